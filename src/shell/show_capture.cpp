#include "shell/show_capture.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "display/window.h"
#include "formats/pixel_format.h"
#include "platform/headless.h"
#include "shell/frame_hashes.h"
#include "shell/show_main.h"
#include "show/frame_timings.h"
#include "show/sequencer_state.h"
#include "shell/virtual_time.h"

namespace {

constexpr int kFrameWidth = 320, kFrameHeight = 240;

// Nominal lengths of start-up and of each part in seconds, for the time-left estimate only.
constexpr double kNominalSeconds[5] = {12, 60, 181, 95, 82};

struct Capture {
    CaptureOptions options;
    MediaWriter* writer = nullptr;
    FrameHashFile hashes;
    bool hashing = false;
    std::string error; // the first write that failed
    std::vector<uint8_t> rgb;
    std::chrono::steady_clock::time_point started;
    double lastReport = -1;
    int32_t firstPart = 1;
};
Capture capture;

// The show's frame as 8-bit RGB at 320x240 (the writer enlarges it by whole pixels): a 320x200
// frame is centred between black bars, any other size (the console's desktop window) is sampled
// down to fit.
void ConvertFrame(const VideoSurface& frame, std::vector<uint8_t>* out)
{
    out->assign(static_cast<size_t>(kFrameWidth) * kFrameHeight * 3, 0);
    const int offsetY = frame.width == kFrameWidth && frame.height < kFrameHeight ? (kFrameHeight - frame.height) / 2 : 0;
    const bool native = frame.width == kFrameWidth && frame.height <= kFrameHeight;
    const bool packed = frame.bitsPerPixel == 16 || frame.bitsPerPixel == 15;
    for (int y = 0; y < kFrameHeight; ++y) {
        const int sy = native ? y - offsetY : y * frame.height / kFrameHeight;
        if (sy < 0 || sy >= frame.height) continue;
        const uint8_t* line = frame.pixels + static_cast<size_t>(sy) * frame.pitch;
        uint8_t* o = out->data() + static_cast<size_t>(y) * kFrameWidth * 3;
        for (int x = 0; x < kFrameWidth; ++x, o += 3) {
            const int sx = native ? x : x * frame.width / kFrameWidth;
            if (packed) {
                const uint32_t c = UnpackColour(static_cast<uint32_t>(line[sx * 2] | line[sx * 2 + 1] << 8), frame.bitsPerPixel);
                o[0] = static_cast<uint8_t>(c >> 16);
                o[1] = static_cast<uint8_t>(c >> 8);
                o[2] = static_cast<uint8_t>(c);
            } else if (frame.bitsPerPixel == 32) {
                o[0] = line[sx * 4 + 2];
                o[1] = line[sx * 4 + 1];
                o[2] = line[sx * 4];
            } else {
                o[0] = o[1] = o[2] = line[sx];
            }
        }
    }
}

// A line of progress on standard error: redrawn in place twice a second on a terminal, a new
// line every ten seconds elsewhere.
void ReportProgress(bool last)
{
    const double show = VirtualSeconds();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - capture.started).count();
    const bool terminal = isatty(STDERR_FILENO);
    if (!last && wall - capture.lastReport < (terminal ? 0.5 : 10.0)) return;
    capture.lastReport = wall;
    double expected = kNominalSeconds[0];
    for (int p = std::max(1, capture.firstPart); p <= 4; ++p) expected += kNominalSeconds[p];
    const double speed = wall > 0 ? show / wall : 0;
    const double left = speed > 0 ? std::max(0.0, expected - show) / speed : 0;
    const double fps = wall > 0 ? static_cast<double>(VirtualVideoFrames()) / wall : 0;
    const int minutes = static_cast<int>(show / 60);
    // Between parts and after the last one no part is playing: the line then says where the show is.
    char where[16] = "the end";
    if (!last && PlayingPart() >= 1) std::snprintf(where, sizeof where, "part %d", static_cast<int>(PlayingPart()));
    else if (!last) std::snprintf(where, sizeof where, "between parts");
    char line[176];
    std::snprintf(line, sizeof line, "capture: %s, %d:%04.1f of the show, %.0f frames/s (%.1fx real time)", where, minutes,
                  show - 60.0 * minutes, fps, speed);
    if (last) std::fprintf(stderr, "%s%s, done in %.1f s\n", terminal ? "\r" : "", line, wall);
    else std::fprintf(stderr, terminal ? "\r%s, about %d s left   " : "%s, about %d s left\n", line, static_cast<int>(left + 0.5));
    std::fflush(stderr);
}

// The writer encodes on a thread of its own: these calls copy and hand over. The frame-hash
// list hashes every frame and all the sound, whatever else becomes of them.
void TakePicture(int64_t index, const VideoSurface& frame, void*)
{
    if (capture.hashing) WriteFrameHash(&capture.hashes, HashVideoFrame(index, frame));
    if (!capture.error.empty()) return;
    if (capture.writer) {
        ConvertFrame(frame, &capture.rgb);
        if (!WriteMediaPicture(capture.writer, capture.rgb.data(), &capture.error)) sequencer.abortRequested = 1;
    }
    if (capture.options.seconds > 0 && VirtualSeconds() >= capture.options.seconds) sequencer.abortRequested = 1;
    if (capture.options.progress) ReportProgress(false);
}

void TakeSound(const int16_t* samples, size_t frames, void*)
{
    if (capture.hashing) HashSound(&capture.hashes.sound, samples, frames);
    if (!capture.error.empty() || !capture.writer) return;
    if (!WriteMediaAudio(capture.writer, samples, frames, &capture.error)) sequencer.abortRequested = 1;
}

} // namespace

std::string CheckCaptureOptions(const CaptureOptions& o)
{
    if (o.write && o.path.empty()) return "the capture needs a file to write";
    if (o.framesPerSecond < 1 || o.framesPerSecond > 240) return "--fps takes 1..240 frames per second";
    if (o.scale < 1 || o.scale > 6) return "--scale takes 1..6";
    if (o.seconds < 0) return "--seconds takes a length of the show in seconds";
    return "";
}

int CaptureShow(const CaptureOptions& options, int wordCount, char** words, const VideoModeRules& rules)
{
    capture.options = options;
    capture.error.clear();
    capture.started = std::chrono::steady_clock::now();
    capture.lastReport = -1;
    capture.firstPart = 1;
    for (int i = 0; i < wordCount; ++i) {
        int part = 0;
        if (std::sscanf(words[i], "b%d", &part) == 1) capture.firstPart = part;
    }

    MediaSettings settings;
    settings.path = options.path;
    settings.kind = options.kind;
    settings.width = kFrameWidth * options.scale;
    settings.height = kFrameHeight * options.scale;
    settings.scale = options.scale;
    settings.framesPerSecond = options.framesPerSecond;
    settings.sampleRate = kVirtualSampleRate;
    std::string error;
    // The frame-hash list first: a media file is not begun when the list cannot be, and the
    // list is taken back when the media file cannot be begun.
    capture.hashing = !options.frameHashPath.empty();
    if (capture.hashing && !OpenFrameHashFile(&capture.hashes, options.frameHashPath, options.framesPerSecond, &error)) {
        std::fprintf(stderr, "vela: %s\n", error.c_str());
        capture.hashing = false;
        return 2;
    }
    capture.writer = options.write ? OpenMediaWriter(settings, &error) : nullptr;
    if (options.write && !capture.writer) {
        std::fprintf(stderr, "vela: %s\n", error.c_str());
        if (capture.hashing) {
            std::string ignored;
            CloseFrameHashFile(&capture.hashes, &ignored);
            std::remove(options.frameHashPath.c_str());
            capture.hashing = false;
        }
        return 2;
    }
    SetHeadless(true);
    VirtualTimeSink sink;
    sink.picture = TakePicture;
    sink.sound = TakeSound;
    StartVirtualTime(options.framesPerSecond, sink);
    const int opened = RunApplication(wordCount, words, rules, DemoMain);
    FinishVirtualTime();
    if (options.progress) ReportProgress(true);

    std::string closeError;
    const bool closed = !capture.writer || CloseMediaWriter(capture.writer, &closeError);
    capture.writer = nullptr;
    std::string hashError;
    const bool hashesWritten = !capture.hashing || CloseFrameHashFile(&capture.hashes, &hashError);
    capture.hashing = false;
    if (!hashesWritten) std::fprintf(stderr, "vela: %s\n", hashError.c_str());
    if (!capture.error.empty() || !closed) {
        std::fprintf(stderr, "vela: %s\n", capture.error.empty() ? closeError.c_str() : capture.error.c_str());
        return 1;
    }
    if (!hashesWritten) return 1;
    if (opened != 0) return 1;
    return DemoExitStatus();
}
