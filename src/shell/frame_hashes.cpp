#include "shell/frame_hashes.h"

#include <cerrno>
#include <cstring>

#include "shell/virtual_time.h"
#include "show/frame_timings.h"

namespace {

constexpr uint64_t kFnvOffset = 1469598103934665603ull;

uint64_t Fnv1a(const uint8_t* bytes, size_t count, uint64_t h = kFnvOffset)
{
    for (size_t i = 0; i < count; ++i) h = (h ^ bytes[i]) * 1099511628211ull;
    return h;
}

void WriteText(FrameHashFile* list, const std::string& text)
{
    if (!list->file || list->failure) return;
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), list->file) != text.size()) list->failure = errno ? errno : EIO;
}

} // namespace

uint64_t HashFramePixels(const VideoSurface& frame)
{
    uint64_t h = Fnv1a(reinterpret_cast<const uint8_t*>(&frame.width), sizeof frame.width);
    h = Fnv1a(reinterpret_cast<const uint8_t*>(&frame.bitsPerPixel), sizeof frame.bitsPerPixel, h);
    return Fnv1a(frame.pixels, static_cast<size_t>(frame.pitch) * frame.height, h);
}

FrameHash HashVideoFrame(int64_t index, const VideoSurface& frame)
{
    return FrameHash{index, PlayingPart(), VirtualSeconds(), HashFramePixels(frame)};
}

void HashSound(SoundHashes* hashes, const int16_t* samples, size_t frames)
{
    const int32_t part = PlayingPart();
    if (part < 0 || part >= kHashedParts) return;
    uint64_t& h = hashes->part[part];
    h = Fnv1a(reinterpret_cast<const uint8_t*>(samples), frames * 2 * sizeof(int16_t), h ? h : kFnvOffset);
}

std::string FrameHashHeader(int32_t framesPerSecond)
{
    return "# frame part seconds hash, one line per video frame at " + std::to_string(framesPerSecond) + " fps\n";
}

std::string FrameHashLine(const FrameHash& frame)
{
    char line[96];
    std::snprintf(line, sizeof line, "%lld %d %.3f %016llx\n", static_cast<long long>(frame.index), static_cast<int>(frame.part),
                  frame.seconds, static_cast<unsigned long long>(frame.hash));
    return line;
}

std::string SoundHashLines(const SoundHashes& hashes)
{
    std::string lines;
    for (int32_t p = 0; p < kHashedParts; ++p) {
        char line[48];
        std::snprintf(line, sizeof line, "sound %d %llx\n", static_cast<int>(p), static_cast<unsigned long long>(hashes.part[p]));
        lines += line;
    }
    return lines;
}

bool OpenFrameHashFile(FrameHashFile* list, const std::string& path, int32_t framesPerSecond, std::string* error)
{
    *list = FrameHashFile{};
    list->path = path;
    list->file = std::fopen(path.c_str(), "w");
    if (!list->file) {
        *error = path + ": cannot create the frame-hash list: " + std::strerror(errno);
        return false;
    }
    WriteText(list, FrameHashHeader(framesPerSecond));
    return true;
}

void WriteFrameHash(FrameHashFile* list, const FrameHash& frame) { WriteText(list, FrameHashLine(frame)); }

bool CloseFrameHashFile(FrameHashFile* list, std::string* error)
{
    if (!list->file) return true;
    WriteText(list, SoundHashLines(list->sound));
    errno = 0;
    if (std::fflush(list->file) != 0 && !list->failure) list->failure = errno ? errno : EIO;
    if (std::fclose(list->file) != 0 && !list->failure) list->failure = errno ? errno : EIO;
    list->file = nullptr;
    if (!list->failure) return true;
    *error = list->path + ": cannot write the frame-hash list: " + std::strerror(list->failure);
    return false;
}
