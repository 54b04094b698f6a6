// The media writer: short clips of every kind read back with ffprobe and ffmpeg (every picture
// and all the sound there, at the right size and rate; lossless output equal to the input), the
// same bytes on every run, and failures that name the file instead of a crash or a false success.
#include <gtest/gtest.h>
#include <malloc.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "formats/byte_order.h"
#include "platform/media_writer.h"
#include "support/test_support.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kPictures = 30;
constexpr int kRate = 48000;
constexpr int kFps = 60;
constexpr size_t kAudioFrames = static_cast<size_t>(kPictures) * kRate / kFps;

MediaSettings SettingsFor(MediaKind kind, const std::filesystem::path& path)
{
    MediaSettings s;
    s.path = path.string();
    s.kind = kind;
    s.width = kWidth;
    s.height = kHeight;
    s.framesPerSecond = kFps;
    s.sampleRate = kRate;
    return s;
}

// Gradients that take every byte value in each channel, shifting with the picture number, and a
// saturated square that moves across them.
std::vector<uint8_t> MovingPattern(int index)
{
    std::vector<uint8_t> rgb(static_cast<size_t>(kWidth) * kHeight * 3);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            uint8_t* p = &rgb[(static_cast<size_t>(y) * kWidth + x) * 3];
            p[0] = static_cast<uint8_t>(x + index * 3);
            p[1] = static_cast<uint8_t>(y + x / 2);
            p[2] = static_cast<uint8_t>(255 - y - index * 5);
            const int left = 20 + index * 8;
            if (x >= left && x < left + 40 && y >= 100 && y < 140) {
                p[0] = 230;
                p[1] = 20;
                p[2] = 40;
            }
        }
    }
    return rgb;
}

std::vector<uint8_t> AllPictures()
{
    std::vector<uint8_t> all;
    for (int i = 0; i < kPictures; ++i) {
        const std::vector<uint8_t> p = MovingPattern(i);
        all.insert(all.end(), p.begin(), p.end());
    }
    return all;
}

// 440 Hz on the left and 660 Hz on the right.
std::vector<int16_t> Tone(size_t frames)
{
    std::vector<int16_t> samples(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        samples[2 * i] = static_cast<int16_t>(std::lround(12000 * std::sin(2 * M_PI * 440 * t)));
        samples[2 * i + 1] = static_cast<int16_t>(std::lround(9000 * std::sin(2 * M_PI * 660 * t)));
    }
    return samples;
}

// Writes the clip the way a capture does: each picture followed by its share of sound, here in
// uneven pieces that never line up with an encoder's frame.
void WriteClip(const MediaSettings& settings)
{
    std::string error;
    MediaWriter* writer = OpenMediaWriter(settings, &error);
    ASSERT_NE(writer, nullptr) << error;
    const std::vector<int16_t> tone = Tone(kAudioFrames);
    const size_t perPicture = kAudioFrames / kPictures;
    size_t done = 0;
    for (int i = 0; i < kPictures; ++i) {
        ASSERT_TRUE(WriteMediaPicture(writer, MovingPattern(i).data(), &error)) << error;
        const size_t first = (i % 3 == 0) ? 1 : perPicture / 3;
        ASSERT_TRUE(WriteMediaAudio(writer, tone.data() + 2 * done, first, &error)) << error;
        ASSERT_TRUE(WriteMediaAudio(writer, tone.data() + 2 * (done + first), perPicture - first, &error)) << error;
        done += perPicture;
    }
    ASSERT_EQ(done, kAudioFrames);
    ASSERT_TRUE(CloseMediaWriter(writer, &error)) << error;
}

bool HaveFfmpegTools()
{
    return std::system("command -v ffprobe >/dev/null 2>&1 && command -v ffmpeg >/dev/null 2>&1") == 0;
}

std::string RunForOutput(const std::string& command)
{
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return {};
    std::string out;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
    return out;
}

std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

// ffprobe's fields of one stream ("v:0", "a:0"), or of the file with an empty selection.
std::map<std::string, std::string> Probe(const std::filesystem::path& path, const std::string& stream)
{
    const std::string what = stream.empty()
                                 ? std::string("-show_entries format=duration,nb_streams")
                                 : "-count_frames -select_streams " + stream +
                                       " -show_entries stream=codec_name,width,height,pix_fmt,nb_read_frames,r_frame_rate,"
                                       "sample_rate,channels,color_space,color_range,duration_ts";
    std::istringstream lines(RunForOutput("ffprobe -v error " + what + " -of default=nw=1 " + Quoted(path)));
    std::map<std::string, std::string> fields;
    for (std::string line; std::getline(lines, line);) {
        const size_t eq = line.find('=');
        if (eq != std::string::npos) fields[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return fields;
}

// Every picture of the input (ffmpeg's input options and file) as RGB bytes.
std::vector<uint8_t> DecodePictures(const std::string& input)
{
    const std::string out = RunForOutput("ffmpeg -v error " + input + " -map 0:v:0 -f rawvideo -pix_fmt rgb24 -");
    return std::vector<uint8_t>(out.begin(), out.end());
}

std::vector<int16_t> DecodeSound(const std::filesystem::path& path)
{
    const std::string out = RunForOutput("ffmpeg -v error -i " + Quoted(path) + " -map 0:a:0 -f s16le -ac 2 -");
    std::vector<int16_t> samples(out.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(ReadLe16(reinterpret_cast<const uint8_t*>(&out[2 * i])));
    return samples;
}

double MeanDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    double sum = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) sum += std::abs(int(a[i]) - int(b[i]));
    return a.empty() ? 0 : sum / static_cast<double>(a.size());
}

// Checks the video stream and the file's length; gives the stream's fields.
std::map<std::string, std::string> ExpectVideoStream(const std::filesystem::path& path, const char* codec, const char* pixelFormat)
{
    std::map<std::string, std::string> v = Probe(path, "v:0");
    EXPECT_EQ(v["codec_name"], codec);
    EXPECT_EQ(v["width"], std::to_string(kWidth));
    EXPECT_EQ(v["height"], std::to_string(kHeight));
    EXPECT_EQ(v["pix_fmt"], pixelFormat);
    EXPECT_EQ(v["nb_read_frames"], std::to_string(kPictures));
    EXPECT_EQ(v["r_frame_rate"], std::to_string(kFps) + "/1");
    std::map<std::string, std::string> f = Probe(path, "");
    EXPECT_EQ(f["nb_streams"], "2");
    EXPECT_NEAR(std::atof(f["duration"].c_str()), double(kPictures) / kFps, 0.03) << f["duration"];
    return v;
}

// Checks the audio stream; gives its fields.
std::map<std::string, std::string> ExpectAudioStream(const std::filesystem::path& path, const char* codec)
{
    std::map<std::string, std::string> a = Probe(path, "a:0");
    EXPECT_EQ(a["codec_name"], codec);
    EXPECT_EQ(a["sample_rate"], std::to_string(kRate));
    EXPECT_EQ(a["channels"], "2");
    return a;
}

// While it lives, glibc's malloc hands out memory filled with a non-zero byte instead of what
// happened to be there, so that a library reading memory it never wrote gives other bytes.
struct FilledMallocs {
    FilledMallocs() { mallopt(M_PERTURB, 1); }
    ~FilledMallocs() { mallopt(M_PERTURB, 0); }
};

std::map<std::string, std::vector<uint8_t>> ReadFolder(const std::filesystem::path& folder)
{
    std::map<std::string, std::vector<uint8_t>> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        files[entry.path().filename().string()] = ReadFileBytes(entry.path());
    }
    return files;
}

} // namespace

TEST(MediaWriterClips, Mp4HoldsEveryPictureInItsColoursAndAllTheSound)
{
    if (!HaveFfmpegTools()) GTEST_SKIP() << "ffprobe or ffmpeg missing";
    const std::filesystem::path path = ScratchDir("media-mp4") / "clip.mp4";
    WriteClip(SettingsFor(MediaKind::Mp4, path));
    std::map<std::string, std::string> v = ExpectVideoStream(path, "h264", "yuv420p");
    EXPECT_EQ(v["color_space"], "bt709");
    EXPECT_EQ(v["color_range"], "tv");
    std::map<std::string, std::string> a = ExpectAudioStream(path, "aac");

    // Decoded by the labels it carries, every picture is close to its input (the other common
    // matrix, BT.601, would be off by 8 on average).
    const std::vector<uint8_t> input = AllPictures();
    const std::vector<uint8_t> decoded = DecodePictures("-i " + Quoted(path));
    ASSERT_EQ(decoded.size(), input.size());
    EXPECT_LT(MeanDifference(decoded, input), 3.5);
    const size_t square = (static_cast<size_t>(120) * kWidth + 40) * 3;  // inside the square of picture 0
    EXPECT_NEAR(decoded[square], 230, 12);
    EXPECT_NEAR(decoded[square + 1], 20, 12);

    // The file states the sound's length exactly; the encoder's priming is cut by the edit list,
    // and a decoder that ignores the list's end gives at most the rest of the last AAC frame.
    EXPECT_EQ(a["duration_ts"], std::to_string(kAudioFrames));
    const size_t decodedFrames = DecodeSound(path).size() / 2;
    EXPECT_GE(decodedFrames, kAudioFrames);
    EXPECT_LT(decodedFrames, kAudioFrames + 1024);
}

TEST(MediaWriterClips, LosslessGivesBackEveryPixelAndSampleExactly)
{
    if (!HaveFfmpegTools()) GTEST_SKIP() << "ffprobe or ffmpeg missing";
    const std::filesystem::path path = ScratchDir("media-lossless") / "clip.mkv";
    WriteClip(SettingsFor(MediaKind::Lossless, path));
    ExpectVideoStream(path, "ffv1", "bgr0");
    ExpectAudioStream(path, "flac");
    EXPECT_TRUE(DecodePictures("-i " + Quoted(path)) == AllPictures());
    EXPECT_TRUE(DecodeSound(path) == Tone(kAudioFrames));
}

TEST(MediaWriterClips, PicturesAreNumberedPngsBesideACompleteWav)
{
    const std::filesystem::path folder = ScratchDir("media-pictures") / "new" / "series";
    // A longer capture left in the folder before: its pictures past this one's end go.
    {
        MediaSettings longer = SettingsFor(MediaKind::Pictures, folder);
        std::string error;
        MediaWriter* writer = OpenMediaWriter(longer, &error);
        ASSERT_NE(writer, nullptr) << error;
        const std::vector<uint8_t> black(static_cast<size_t>(kWidth) * kHeight * 3);
        for (int i = 0; i < kPictures + 2; ++i) ASSERT_TRUE(WriteMediaPicture(writer, black.data(), &error)) << error;
        ASSERT_TRUE(CloseMediaWriter(writer, &error)) << error;
    }
    WriteClip(SettingsFor(MediaKind::Pictures, folder));
    std::map<std::string, std::vector<uint8_t>> files = ReadFolder(folder);
    ASSERT_EQ(files.size(), static_cast<size_t>(kPictures) + 1);
    EXPECT_TRUE(files.count("frame-000000.png") && files.count("frame-000029.png") && files.count("audio.wav"));

    const std::vector<uint8_t>& wav = files["audio.wav"];
    ASSERT_EQ(wav.size(), 44 + kAudioFrames * 4);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(ReadLe32(&wav[4]), wav.size() - 8);
    EXPECT_EQ(std::string(wav.begin() + 8, wav.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(ReadLe16(&wav[20]), 1);   // integer PCM
    EXPECT_EQ(ReadLe16(&wav[22]), 2);   // channels
    EXPECT_EQ(ReadLe32(&wav[24]), static_cast<uint32_t>(kRate));
    EXPECT_EQ(ReadLe32(&wav[28]), static_cast<uint32_t>(kRate) * 4);
    EXPECT_EQ(ReadLe16(&wav[32]), 4);   // bytes per frame
    EXPECT_EQ(ReadLe16(&wav[34]), 16);  // bits per sample
    EXPECT_EQ(std::string(wav.begin() + 36, wav.begin() + 40), "data");
    EXPECT_EQ(ReadLe32(&wav[40]), kAudioFrames * 4);
    const std::vector<int16_t> tone = Tone(kAudioFrames);
    bool same = true;
    for (size_t i = 0; i < tone.size(); ++i) same = same && static_cast<int16_t>(ReadLe16(&wav[44 + 2 * i])) == tone[i];
    EXPECT_TRUE(same);

    if (!HaveFfmpegTools()) GTEST_SKIP() << "ffmpeg missing: the PNGs are not decoded";
    EXPECT_TRUE(DecodePictures("-framerate 60 -i " + Quoted(folder / "frame-%06d.png")) == AllPictures());
    EXPECT_NEAR(std::atof(Probe(folder / "audio.wav", "")["duration"].c_str()), double(kPictures) / kFps, 1e-3);
}

TEST(MediaWriterClips, EveryKindWritesTheSameBytesOnEveryRun)
{
    const std::filesystem::path dir = ScratchDir("media-same-bytes");
    for (MediaKind kind : {MediaKind::Mp4, MediaKind::Lossless, MediaKind::Pictures}) {
        const std::string name = kind == MediaKind::Mp4 ? "clip.mp4" : kind == MediaKind::Lossless ? "clip.mkv" : "clip";
        std::filesystem::create_directories(dir / "first");
        std::filesystem::create_directories(dir / "second");
        WriteClip(SettingsFor(kind, dir / "first" / name));
        {
            FilledMallocs filled;
            WriteClip(SettingsFor(kind, dir / "second" / name));
        }
        if (kind == MediaKind::Pictures) {
            EXPECT_TRUE(ReadFolder(dir / "first" / name) == ReadFolder(dir / "second" / name)) << name;
        } else {
            const std::vector<uint8_t> first = ReadFileBytes(dir / "first" / name);
            EXPECT_GT(first.size(), 1000u);
            EXPECT_TRUE(first == ReadFileBytes(dir / "second" / name)) << name;
        }
    }
}

TEST(MediaWriterFailures, PathsThatCannotBeWrittenAreNamedWithTheirCause)
{
    const std::filesystem::path dir = ScratchDir("media-bad-paths");
    std::string error;
    for (MediaKind kind : {MediaKind::Mp4, MediaKind::Lossless}) {
        const std::filesystem::path missing = dir / "no-such-folder" / "clip.out";
        EXPECT_EQ(OpenMediaWriter(SettingsFor(kind, missing), &error), nullptr);
        EXPECT_NE(error.find(missing.string()), std::string::npos) << error;
        EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
    }
    // A folder for pictures where a file stands.
    WriteFileBytes(dir / "a-file", {1, 2, 3});
    const std::filesystem::path blocked = dir / "a-file" / "series";
    EXPECT_EQ(OpenMediaWriter(SettingsFor(MediaKind::Pictures, blocked), &error), nullptr);
    EXPECT_NE(error.find(blocked.string()), std::string::npos) << error;
    EXPECT_EQ(OpenMediaWriter(SettingsFor(MediaKind::Pictures, dir / "a-file"), &error), nullptr);
    EXPECT_NE(error.find("a-file"), std::string::npos) << error;
    EXPECT_EQ(OpenMediaWriter(SettingsFor(MediaKind::Mp4, ""), &error), nullptr);
    EXPECT_FALSE(error.empty());

    // A colon is part of the file's name, never an FFmpeg protocol.
    const std::filesystem::path colon = dir / "pipe:1.mkv";
    MediaWriter* writer = OpenMediaWriter(SettingsFor(MediaKind::Lossless, colon), &error);
    ASSERT_NE(writer, nullptr) << error;
    EXPECT_TRUE(CloseMediaWriter(writer, &error)) << error;
    EXPECT_GT(std::filesystem::file_size(colon), 0u);
}

TEST(MediaWriterFailures, AFullDiskIsAFailureNeverASuccess)
{
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    const std::vector<uint8_t> picture = MovingPattern(0);
    const std::vector<int16_t> tone = Tone(800);
    for (MediaKind kind : {MediaKind::Mp4, MediaKind::Lossless}) {
        std::string error;
        MediaWriter* writer = OpenMediaWriter(SettingsFor(kind, "/dev/full"), &error);
        bool ok = writer != nullptr;
        for (int i = 0; ok && i < kPictures; ++i) {
            ok = WriteMediaPicture(writer, picture.data(), &error) && WriteMediaAudio(writer, tone.data(), 800, &error);
        }
        if (writer) {
            // Once a write has failed every later one does; the close reports the file unfinished.
            if (!ok) {
                EXPECT_FALSE(WriteMediaPicture(writer, picture.data(), nullptr));
            }
            EXPECT_FALSE(CloseMediaWriter(writer, &error)) << "a full disk went unnoticed";
        }
        EXPECT_NE(error.find("/dev/full: cannot write: No space left on device"), std::string::npos) << error;
    }
}

// The encoding thread writes what was queued before a close, and a failure it meets reaches the
// caller at a later write or at the close.
TEST(ThreadsMediaWriter, QueuedWorkIsWrittenAndAFailureOnTheEncodingThreadReachesTheCaller)
{
    const std::filesystem::path folder = ScratchDir("media-threads") / "series";
    const std::vector<uint8_t> picture = MovingPattern(1);
    const std::vector<int16_t> tone = Tone(800);
    std::string error;
    MediaWriter* writer = OpenMediaWriter(SettingsFor(MediaKind::Pictures, folder), &error);
    ASSERT_NE(writer, nullptr) << error;
    for (int i = 0; i < 8; ++i) {
        ASSERT_TRUE(WriteMediaPicture(writer, picture.data(), &error) && WriteMediaAudio(writer, tone.data(), 800, &error)) << error;
    }
    ASSERT_TRUE(CloseMediaWriter(writer, &error)) << error;
    EXPECT_TRUE(std::filesystem::exists(folder / "frame-000007.png"));
    EXPECT_EQ(std::filesystem::file_size(folder / "audio.wav"), 44u + 8 * 800 * 4);

    writer = OpenMediaWriter(SettingsFor(MediaKind::Pictures, folder), &error);
    ASSERT_NE(writer, nullptr) << error;
    std::filesystem::remove_all(folder);  // the pictures have nowhere to go
    bool ok = true;
    for (int i = 0; ok && i < 50; ++i) ok = WriteMediaPicture(writer, picture.data(), &error);
    EXPECT_FALSE(ok);
    EXPECT_FALSE(CloseMediaWriter(writer, &error));
    EXPECT_NE(error.find((folder / "frame-000000.png").string() + ": cannot create"), std::string::npos) << error;

    // Absurd amounts of sound in one call are refused before anything is copied.
    writer = OpenMediaWriter(SettingsFor(MediaKind::Pictures, folder), &error);
    ASSERT_NE(writer, nullptr) << error;
    EXPECT_FALSE(WriteMediaAudio(writer, tone.data(), SIZE_MAX / 2, &error));
    EXPECT_TRUE(CloseMediaWriter(writer, &error)) << error;
}

TEST(MediaWriterFailures, SettingsItCannotHonourAreRefusedAtOpenWithTheValueNamed)
{
    const std::filesystem::path dir = ScratchDir("media-bad-settings");
    struct Case {
        MediaKind kind;
        int width, height, fps, rate;
        const char* named;
        int scale = 1;
    };
    const Case cases[] = {
        {MediaKind::Mp4, 321, 240, 60, 48000, "321x240"},              // 4:2:0 needs even sides
        {MediaKind::Mp4, 320, 240, 60, 12345, "12345 Hz"},             // no AAC rate
        {MediaKind::Lossless, 320, 1 << 20, 60, 48000, "320x1048576"}, // sizes that overflow
        {MediaKind::Pictures, 0, 240, 60, 48000, "0x240"},
        {MediaKind::Lossless, 320, 240, 0, 48000, "0 pictures a second"},
        {MediaKind::Pictures, 320, 240, 60, 48000, "enlargement by 7", 7},  // not whole pixels
        {MediaKind::Mp4, 320, 240, 60, 48000, "enlargement by 0", 0},
    };
    for (const Case& c : cases) {
        MediaSettings s = SettingsFor(c.kind, dir / "out");
        s.width = c.width;
        s.height = c.height;
        s.framesPerSecond = c.fps;
        s.sampleRate = c.rate;
        s.scale = c.scale;
        std::string error;
        EXPECT_EQ(OpenMediaWriter(s, &error), nullptr) << c.named;
        EXPECT_NE(error.find(c.named), std::string::npos) << error;
    }
}

TEST(MediaWriterFailures, MisuseIsRefusedAndAnEmptyCaptureClosesCleanly)
{
    const std::filesystem::path dir = ScratchDir("media-misuse");
    std::string error;
    const std::vector<uint8_t> picture = MovingPattern(0);
    const int16_t samples[4] = {};
    EXPECT_FALSE(WriteMediaPicture(nullptr, picture.data(), &error));
    EXPECT_FALSE(WriteMediaAudio(nullptr, samples, 2, &error));
    EXPECT_FALSE(CloseMediaWriter(nullptr, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(CloseMediaWriter(nullptr, nullptr));

    for (MediaKind kind : {MediaKind::Mp4, MediaKind::Lossless, MediaKind::Pictures}) {
        const std::filesystem::path path = dir / (kind == MediaKind::Mp4 ? "empty.mp4" : kind == MediaKind::Lossless ? "empty.mkv" : "empty");
        MediaWriter* writer = OpenMediaWriter(SettingsFor(kind, path), &error);
        ASSERT_NE(writer, nullptr) << error;
        // Missing data is refused without spoiling the writer; no sound at all is fine.
        EXPECT_FALSE(WriteMediaPicture(writer, nullptr, &error));
        EXPECT_FALSE(WriteMediaAudio(writer, nullptr, 5, &error));
        EXPECT_TRUE(WriteMediaAudio(writer, nullptr, 0, &error)) << error;
        EXPECT_TRUE(CloseMediaWriter(writer, &error)) << error;
        EXPECT_FALSE(CloseMediaWriter(writer, &error));
        EXPECT_NE(error.find("closed"), std::string::npos) << error;
        EXPECT_FALSE(WriteMediaPicture(writer, picture.data(), &error));
        EXPECT_TRUE(std::filesystem::exists(path));
    }
    EXPECT_EQ(std::filesystem::file_size(dir / "empty" / "audio.wav"), 44u);
}
