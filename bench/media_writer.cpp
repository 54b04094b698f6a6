// What the media writer costs per 960x720 picture with its 1/60 s of sound, for each kind of
// output. The writer encodes on a thread of its own, so the time a picture takes here is that
// of the encoding thread (plus any threads of the encoder): a capture at 60 pictures a second
// keeps up while it stays under 16.7 ms and the caller's drawing fits on the other core.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/media_writer.h"

namespace {

constexpr int kWidth = 960;
constexpr int kHeight = 720;
constexpr int kFps = 60;
constexpr int kRate = 48000;
constexpr size_t kFramesPerPicture = kRate / kFps;

// Like the show's pictures: a 320x240 frame tripled, here a scrolling field of textured tiles
// over a gradient, so the encoders see detail and motion.
std::vector<uint8_t> ShowLikePicture(int index)
{
    std::vector<uint8_t> rgb(static_cast<size_t>(kWidth) * kHeight * 3);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const int sx = x / 3 + index * 2;
            const int sy = y / 3 + index;
            const uint32_t tile = static_cast<uint32_t>((sx / 16) * 73856093 ^ (sy / 16) * 19349663);
            const uint32_t grain = static_cast<uint32_t>((sx * 2654435761u) ^ (sy * 40503u)) >> 28;
            uint8_t* p = &rgb[(static_cast<size_t>(y) * kWidth + x) * 3];
            p[0] = static_cast<uint8_t>((tile & 0x7F) + grain + y / 6);
            p[1] = static_cast<uint8_t>(((tile >> 8) & 0x7F) + grain + x / 8);
            p[2] = static_cast<uint8_t>(((tile >> 16) & 0x7F) + grain);
        }
    }
    return rgb;
}

std::vector<int16_t> Chord(size_t frames)
{
    std::vector<int16_t> samples(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        samples[2 * i] = static_cast<int16_t>(8000 * std::sin(2 * M_PI * 220 * t) + 4000 * std::sin(2 * M_PI * 331 * t));
        samples[2 * i + 1] = static_cast<int16_t>(8000 * std::sin(2 * M_PI * 277 * t) + 3000 * std::sin(2 * M_PI * 1500 * t));
    }
    return samples;
}

// One iteration writes a two-second clip from opening to closing, so the pictures the encoders
// hold back and write at the end are counted too.
void WriteClips(benchmark::State& state, MediaKind kind, const char* name)
{
    constexpr int kPictures = 2 * kFps;
    std::vector<std::vector<uint8_t>> pictures;
    for (int i = 0; i < 16; ++i) pictures.push_back(ShowLikePicture(i));
    const std::vector<int16_t> sound = Chord(kFramesPerPicture * 16);
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "vela-bench-media";
    std::filesystem::create_directories(dir);
    MediaSettings settings;
    settings.path = (dir / name).string();
    settings.kind = kind;
    settings.width = kWidth;
    settings.height = kHeight;
    settings.framesPerSecond = kFps;
    settings.sampleRate = kRate;
    std::string error;
    double bytes = 0;
    for (auto _ : state) {
        MediaWriter* writer = OpenMediaWriter(settings, &error);
        bool ok = writer != nullptr;
        for (int n = 0; ok && n < kPictures; ++n) {
            const size_t i = static_cast<size_t>(n) % 16;
            ok = WriteMediaPicture(writer, pictures[i].data(), &error) &&
                 WriteMediaAudio(writer, sound.data() + i * kFramesPerPicture * 2, kFramesPerPicture, &error);
        }
        if (writer) ok = CloseMediaWriter(writer, &error) && ok;
        if (!ok) {
            state.SkipWithError(error.c_str());
            break;
        }
        if (kind != MediaKind::Pictures) bytes = static_cast<double>(std::filesystem::file_size(settings.path));
    }
    const double pictureCount = static_cast<double>(state.iterations()) * kPictures;
    state.counters["per_picture"] = benchmark::Counter(pictureCount, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["pictures_per_s"] = benchmark::Counter(pictureCount, benchmark::Counter::kIsRate);
    if (bytes > 0) state.counters["kbit_per_s"] = bytes * 8 / 2 / 1000;
    std::filesystem::remove_all(dir);
}

void BM_Mp4(benchmark::State& state) { WriteClips(state, MediaKind::Mp4, "bench.mp4"); }
void BM_Lossless(benchmark::State& state) { WriteClips(state, MediaKind::Lossless, "bench.mkv"); }
void BM_Pictures(benchmark::State& state) { WriteClips(state, MediaKind::Pictures, "bench-pictures"); }

} // namespace

BENCHMARK(BM_Mp4)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_Lossless)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_Pictures)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
