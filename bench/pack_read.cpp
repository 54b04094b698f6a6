// ReadPackEntry of a large deflated member (file read, inflate through the window, CRC-32,
// range copy) against zlib's own raw inflate of the same bytes from memory into one buffer.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>
#include <zlib.h>

#include "formats/pack_writer.h"
#include "resources/pack_archive.h"

namespace {

constexpr size_t kEntryBytes = 8u << 20;

// Picture-like contents: smooth gradients with a little noise, about 3:1 under deflate.
std::vector<uint8_t> Contents()
{
    std::vector<uint8_t> v(kEntryBytes);
    uint32_t x = 12345;
    for (size_t i = 0; i < v.size(); ++i) {
        x = x * 1664525u + 1013904223u;
        size_t pixel = i / 3, column = pixel % 640, line = pixel / 640;
        v[i] = static_cast<uint8_t>((column + line * (i % 3 + 1)) / 3 + ((x >> 29) & 3));
    }
    return v;
}

struct Fixture {
    std::string folder;
    std::vector<uint8_t> compressed; // the raw deflate data of the member
    Fixture()
    {
        std::vector<uint8_t> contents = Contents();
        compressed = DeflateRaw(contents);
        folder = (std::filesystem::temp_directory_path() / ("vela-pack-bench-" + std::to_string(getpid()))).string();
        std::filesystem::create_directories(folder);
        PackBuilder pack;
        AddPackEntry(&pack, "BIG.BIN", contents, PackMethod::Deflate);
        std::vector<uint8_t> archive = FinishPack(pack);
        FILE* f = std::fopen((folder + "/VELA.PAK").c_str(), "wb");
        std::fwrite(archive.data(), 1, archive.size(), f);
        std::fclose(f);
        OpenPack((folder + "/VELA.PAK").c_str());
    }
    ~Fixture()
    {
        ClosePack();
        std::filesystem::remove_all(folder);
    }
};

Fixture& Shared()
{
    static Fixture fixture;
    return fixture;
}

void BM_ReadPackEntry(benchmark::State& state)
{
    Shared();
    std::vector<uint8_t> out(kEntryBytes);
    for (auto _ : state) {
        if (ReadPackEntry("BIG.BIN", out.data(), 0, kEntryBytes) != 0) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kEntryBytes);
}

void BM_ZlibRawInflate(benchmark::State& state)
{
    Fixture& f = Shared();
    std::vector<uint8_t> out(kEntryBytes);
    for (auto _ : state) {
        z_stream stream{};
        inflateInit2(&stream, -MAX_WBITS);
        stream.next_in = f.compressed.data();
        stream.avail_in = static_cast<uInt>(f.compressed.size());
        stream.next_out = out.data();
        stream.avail_out = static_cast<uInt>(out.size());
        if (inflate(&stream, Z_FINISH) != Z_STREAM_END) state.SkipWithError("inflate failed");
        inflateEnd(&stream);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kEntryBytes);
}

} // namespace

BENCHMARK(BM_ReadPackEntry)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibRawInflate)->Unit(benchmark::kMillisecond);
