// The stages of a capture apart, each in frames per second: drawing a frame (the 5,000-triangle
// benchmark scene), enlarging and converting a 320x240 picture to 960x720 in the outputs'
// layouts, and the media writer's whole encoding of 960x720 pictures handed in small with their
// 1/60 s of sound, for each kind of output. The writer encodes on a thread of its own (and
// x264 on threads of its own), so the encoding rate is that of the whole machine: the whole
// show captures at 3x real time when drawing and encoding together pass 180 frames a second.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/frame_pipeline.h"
#include "platform/media_conversion.h"
#include "platform/media_writer.h"
#include "support/bench_scene.h"
#include "support/bench_scene_loading.h"

namespace {

constexpr int kScale = 3;
constexpr int kSmallWidth = 320;
constexpr int kSmallHeight = 240;
constexpr int kWidth = kSmallWidth * kScale;
constexpr int kHeight = kSmallHeight * kScale;
constexpr int kFps = 60;
constexpr int kRate = 48000;
constexpr size_t kFramesPerPicture = kRate / kFps;

// Like the show's pictures: a scrolling field of textured tiles over a gradient, so the
// encoders see detail and motion.
std::vector<uint8_t> ShowLikePicture(int index)
{
    std::vector<uint8_t> rgb(static_cast<size_t>(kSmallWidth) * kSmallHeight * 3);
    for (int y = 0; y < kSmallHeight; ++y) {
        for (int x = 0; x < kSmallWidth; ++x) {
            const int sx = x + index * 2;
            const int sy = y + index;
            const uint32_t tile = static_cast<uint32_t>((sx / 16) * 73856093 ^ (sy / 16) * 19349663);
            const uint32_t grain = static_cast<uint32_t>((sx * 2654435761u) ^ (sy * 40503u)) >> 28;
            uint8_t* p = &rgb[(static_cast<size_t>(y) * kSmallWidth + x) * 3];
            p[0] = static_cast<uint8_t>((tile & 0x7F) + grain + y / 2);
            p[1] = static_cast<uint8_t>(((tile >> 8) & 0x7F) + grain + x / 3);
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
    settings.scale = kScale;
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
    state.counters["fps"] = benchmark::Counter(pictureCount, benchmark::Counter::kIsRate);
    if (bytes > 0) state.counters["kbit_per_s"] = bytes * 8 / 2 / 1000;
    std::filesystem::remove_all(dir);
}

void BM_Mp4(benchmark::State& state) { WriteClips(state, MediaKind::Mp4, "bench.mp4"); }
void BM_Lossless(benchmark::State& state) { WriteClips(state, MediaKind::Lossless, "bench.mkv"); }
void BM_Pictures(benchmark::State& state) { WriteClips(state, MediaKind::Pictures, "bench-pictures"); }

// Drawing: whole frames of the benchmark scene at 320x180 in 16 bits.
void BM_Draw(benchmark::State& state)
{
    constexpr int32_t w = 320, h = 180;
    Scene scene{};
    if (!OpenBenchScene(&scene, w, h, 16)) {
        state.SkipWithError("cannot write, reserve room for or load the benchmark scene");
        return;
    }
    std::vector<uint16_t> view(static_cast<size_t>(w) * h);
    float frame = 0;
    for (auto _ : state) {
        RenderScene(frame, reinterpret_cast<uint8_t*>(view.data()), nullptr);
        benchmark::DoNotOptimize(view.data());
        frame = frame >= kBenchSceneLastFrame ? 0 : frame + 1;
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    CloseBenchScene(&scene);
}

// Conversion: one 320x240 picture enlarged three times into 4:2:0 YUV (MP4) or BGR0 (lossless).
void Convert(benchmark::State& state, bool yuv)
{
    const std::vector<uint8_t> small = ShowLikePicture(3);
    std::vector<uint8_t> luma(static_cast<size_t>(kWidth) * kHeight), u(luma.size() / 4), v(luma.size() / 4);
    std::vector<uint8_t> bgr0(luma.size() * 4);
    uint8_t* const planes[3] = {luma.data(), u.data(), v.data()};
    const int strides[3] = {kWidth, kWidth / 2, kWidth / 2};
    const SmallPicture in{small.data(), kSmallWidth, kSmallHeight, kScale};
    for (auto _ : state) {
        if (yuv) EnlargeToYuv420(in, planes, strides);
        else EnlargeToBgr0(in, bgr0.data(), kWidth * 4);
        benchmark::ClobberMemory();
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
void BM_ConvertYuv420(benchmark::State& state) { Convert(state, true); }
void BM_ConvertBgr0(benchmark::State& state) { Convert(state, false); }

} // namespace

BENCHMARK(BM_Draw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertYuv420)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertBgr0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mp4)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_Lossless)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_Pictures)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
