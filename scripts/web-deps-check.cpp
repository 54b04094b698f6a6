// Checks the libraries that scripts/build-web-deps builds for the browser, as one program built
// with em++ and run under node (scripts/build-web-deps --check); it builds natively as well, so
// both builds can be compared line by line.
//
// libopenmpt: a small XM module made by the project's own writer is opened from memory, its
// kind, channels and length read back, a few thousand stereo frames rendered (they must not be
// silent), and bytes that are no module must be refused with an exception that can be caught.
// zlib: the rendered frames are deflated and inflated again and must come back unchanged.
// Prints what it found and "web deps check: ok", or what failed and exits with status 1.
#include "formats/xm_writer.h"

#include <libopenmpt/libopenmpt.hpp>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

int failures = 0;

void Expect(bool ok, const std::string& what)
{
    if (!ok) {
        std::printf("FAILED: %s\n", what.c_str());
        ++failures;
    }
}

// Two channels, one pattern of 16 rows at speed 3 / 125 BPM: a looped square wave playing
// C-4, E-4 and G-4 on the left, C-3 on the right.
std::vector<uint8_t> TinyModule()
{
    XmModule m;
    m.title = "web deps check";
    m.channels = 2;
    m.speed = 3;
    m.bpm = 125;
    m.patterns.push_back(MakeXmPattern(16, 2));
    m.orders.push_back(0);
    XmInstrument tone;
    tone.name = "square";
    XmSample s = MakeSquareSample(256, 64, 12000, true);
    s.loopType = kXmForwardLoop;
    s.loopStart = 0;
    s.loopLength = 256;
    tone.samples.push_back(s);
    m.instruments.push_back(tone);
    const uint8_t melody[] = {49, 53, 56, 61};
    for (int i = 0; i < 4; ++i) {
        XmCell& c = m.patterns[0].At(i * 4, 0);
        c.note = melody[i];
        c.instrument = 1;
    }
    XmCell& bass = m.patterns[0].At(0, 1);
    bass.note = 37;
    bass.instrument = 1;
    return WriteXm(m);
}

void CheckOpenmpt(std::vector<int16_t>& frames)
{
    const std::vector<uint8_t> bytes = TinyModule();
    std::printf("module: %zu bytes of XM\n", bytes.size());
    std::printf("libopenmpt %s, zlib %s\n", openmpt::string::get("library_version").c_str(), zlibVersion());

    openmpt::module mod(bytes);
    mod.ctl_set_integer("dither", 0); // as the show plays it: the same bytes on every run
    const std::string type = mod.get_metadata("type");
    const double seconds = mod.get_duration_seconds();
    std::printf("opened: type %s, %d channels, %d patterns, %.3f seconds\n", type.c_str(),
                mod.get_num_channels(), mod.get_num_patterns(), seconds);
    Expect(type == "xm", "module type is xm, got " + type);
    Expect(mod.get_num_channels() == 2, "module has 2 channels");
    // 16 rows x 3 ticks at 125 BPM (a tick is 2.5 / 125 s = 20 ms): 0.96 s.
    Expect(seconds > 0.95 && seconds < 0.97, "module lasts 0.96 seconds");

    constexpr int32_t kRate = 48000;
    constexpr size_t kChunk = 1024;
    constexpr size_t kWanted = 4096;
    frames.assign(kWanted * 2, 0);
    size_t rendered = 0;
    while (rendered < kWanted) {
        const size_t n = mod.read_interleaved_stereo(kRate, kChunk, frames.data() + rendered * 2);
        if (n == 0) break;
        rendered += n;
    }
    int peak = 0;
    for (int16_t v : frames) peak = std::max(peak, std::abs(static_cast<int>(v)));
    const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(frames.data()),
                            static_cast<uInt>(frames.size() * sizeof(int16_t)));
    std::printf("rendered: %zu stereo frames at %d Hz, peak %d, crc32 %08lx\n", rendered,
                static_cast<int>(kRate), peak, crc);
    Expect(rendered == kWanted, "rendered " + std::to_string(kWanted) + " frames");
    Expect(peak > 1000, "rendered frames are not silent");

    std::vector<uint8_t> garbage(600, 0x5A);
    bool refused = false;
    try {
        openmpt::module bad(garbage);
    } catch (const openmpt::exception& e) {
        refused = true;
        std::printf("refused bytes that are no module: %s\n", e.what());
    }
    Expect(refused, "bytes that are no module are refused with openmpt::exception");
}

void CheckZlib(const std::vector<int16_t>& frames)
{
    const auto* in = reinterpret_cast<const Bytef*>(frames.data());
    const uLong inSize = static_cast<uLong>(frames.size() * sizeof(int16_t));
    std::vector<Bytef> packed(compressBound(inSize));
    uLongf packedSize = static_cast<uLongf>(packed.size());
    const int deflated = compress2(packed.data(), &packedSize, in, inSize, Z_BEST_COMPRESSION);
    Expect(deflated == Z_OK, "deflate returns Z_OK");
    std::vector<Bytef> unpacked(inSize);
    uLongf unpackedSize = inSize;
    const int inflated = uncompress(unpacked.data(), &unpackedSize, packed.data(), packedSize);
    Expect(inflated == Z_OK, "inflate returns Z_OK");
    const bool same = inflated == Z_OK && unpackedSize == inSize &&
                      std::equal(unpacked.begin(), unpacked.end(), in);
    std::printf("zlib: %lu bytes deflated to %lu, inflated %s\n", inSize,
                static_cast<unsigned long>(packedSize), same ? "back unchanged" : "DIFFERENT");
    Expect(same, "inflated bytes equal the original");
    Expect(packedSize < inSize / 2, "square waves deflate to less than half");
}

} // namespace

int main()
{
    std::vector<int16_t> frames;
    try {
        CheckOpenmpt(frames);
    } catch (const std::exception& e) {
        Expect(false, std::string("libopenmpt threw: ") + e.what());
    }
    if (!frames.empty()) CheckZlib(frames);
    if (failures > 0) {
        std::printf("web deps check: %d failed\n", failures);
        return 1;
    }
    std::printf("web deps check: ok\n");
    return 0;
}
