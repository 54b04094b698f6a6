// velatool module: facts about an XM module, its sync marks in play order, and an offline
// render to a WAV file, all through the show's own sound library.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/byte_order.h"
#include "platform/sound_library.h"
#include "resources/pack_archive.h"
#include "velatool/commands.h"

namespace {

const char kUsage[] =
    "usage: velatool module info FILE.XM [--pack PAK]\n"
    "       velatool module syncs FILE.XM [--pack PAK]\n"
    "       velatool module render FILE.XM --out FILE.wav [--pack PAK] [--seconds S]\n"
    "                              [--rate 44100|48000] [--volume 0..64]\n"
    "\n"
    "info    title, channels, patterns, instruments, song length in orders and the duration\n"
    "        of one pass\n"
    "syncs   one line per sync mark in play order over one pass: time in milliseconds from the\n"
    "        start, order index, pattern, row, value\n"
    "render  offline render to a 16-bit stereo WAV file (one pass, or S seconds looping),\n"
    "        printing each mark as it fires: sync VALUE at SAMPLE\n"
    "\n"
    "FILE.XM is an entry of PAK when --pack is given, otherwise a file.\n";

constexpr uint32_t kRenderBlock = 4096;
// A pass that does not end by itself is cut off here.
constexpr double kLongestPassSeconds = 3600.0;

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "velatool module: %s\n%s", message.c_str(), kUsage);
    return 2;
}

int Fail(const std::string& name, const std::string& message)
{
    std::fprintf(stderr, "velatool module: %s: %s\n", name.c_str(), message.c_str());
    return 1;
}

bool ReadModuleBytes(const std::string& name, const std::string& pack, std::vector<uint8_t>* bytes, std::string* error)
{
    if (!pack.empty()) {
        OpenPack(pack.c_str());
        const uint32_t size = PackEntrySize(name.c_str());
        if (size == 0) {
            ClosePack();
            *error = "no such entry in " + pack + " (nor a loose file)";
            return false;
        }
        bytes->resize(size);
        const bool read = ReadPackEntry(name.c_str(), bytes->data(), 0, size) == 0;
        ClosePack();
        if (!read) *error = "cannot read the entry from " + pack;
        return read;
    }
    std::FILE* file = std::fopen(name.c_str(), "rb");
    if (!file) {
        *error = std::strerror(errno);
        return false;
    }
    uint8_t buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes->insert(bytes->end(), buffer, buffer + got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) *error = "read error";
    return !failed;
}

// Starts the library for offline output and loads the module; null after printing the error.
SoundModule* OpenModule(const std::string& name, const std::string& pack, int32_t rate)
{
    std::vector<uint8_t> bytes;
    std::string error;
    if (!ReadModuleBytes(name, pack, &bytes, &error)) {
        Fail(name, error);
        return nullptr;
    }
    SoundStartup();
    SoundSetOption(kSoundOptionOffline, 1);
    SoundSetOption(kSoundOptionMixRate, rate);
    if (!SoundInit()) {
        Fail(name, SoundErrorMessage(SoundLastError()));
        return nullptr;
    }
    SoundModule* module = SoundLoadModuleFromMemory(bytes.data(), static_cast<uint32_t>(bytes.size()));
    if (!module) {
        Fail(name, SoundErrorMessage(SoundLastError()));
        SoundClose();
    }
    return module;
}

void CollectEvent(const SoundSyncEvent& event, void* context)
{
    static_cast<std::vector<SoundSyncEvent>*>(context)->push_back(event);
}

void PrintEvent(const SoundSyncEvent& event, void*)
{
    std::printf("sync %u at %llu\n", event.value, static_cast<unsigned long long>(event.frame));
}

struct RenderPlan {
    int32_t rate = 44100;
    int32_t volume = 64;
    double seconds = 0.0; // 0: one pass
};

// Plays the module offline and hands each block to `sink`. False after printing an error.
template <typename Sink>
bool RenderModule(const std::string& name, SoundModule* module, const RenderPlan& plan, SoundSyncCallback callback,
                  void* context, Sink sink)
{
    const bool onePass = plan.seconds <= 0.0;
    SoundPlayHandle handle = SoundPlayModule(module, onePass ? 0 : 1);
    if (!handle || !SoundSetModuleVolume(handle, plan.volume) || !SoundSetSyncCallback(handle, callback, context)) {
        Fail(name, SoundErrorMessage(SoundLastError()));
        return false;
    }
    const double limit = onePass ? kLongestPassSeconds : plan.seconds;
    const uint64_t total = static_cast<uint64_t>(std::llround(limit * plan.rate));
    std::vector<int16_t> block(kRenderBlock * 2);
    for (uint64_t done = 0; done < total;) {
        if (onePass && !SoundModuleIsPlaying(handle)) break;
        const uint32_t frames = static_cast<uint32_t>(std::min<uint64_t>(kRenderBlock, total - done));
        SoundRenderNext(block.data(), frames);
        sink(block.data(), frames);
        done += frames;
    }
    SoundStopModule(handle);
    return true;
}

int Info(const std::string& name, const std::string& pack)
{
    SoundModule* module = OpenModule(name, pack, 44100);
    if (!module) return 1;
    const SoundModuleFacts* facts = SoundModuleInfo(module);
    std::printf("title: %s\n", facts->title.c_str());
    std::printf("channels: %d\n", facts->channels);
    std::printf("patterns: %d\n", facts->patterns);
    std::printf("instruments: %d\n", facts->instruments);
    std::printf("orders: %d\n", facts->orders);
    std::printf("duration: %.3f s\n", facts->durationSeconds);
    std::printf("sync marks: %zu\n", SoundModuleMarks(module)->size());
    SoundClose();
    return 0;
}

int Syncs(const std::string& name, const std::string& pack)
{
    SoundModule* module = OpenModule(name, pack, 44100);
    if (!module) return 1;
    std::vector<SoundSyncEvent> events;
    RenderPlan plan;
    const bool ok = RenderModule(name, module, plan, CollectEvent, &events, [](const int16_t*, uint32_t) {});
    SoundClose();
    if (!ok) return 1;
    for (const SoundSyncEvent& e : events) {
        std::printf("%.3f %d %d %d %u\n", static_cast<double>(e.frame) * 1000.0 / plan.rate, e.order, e.pattern, e.row, e.value);
    }
    return 0;
}

std::vector<uint8_t> WavHeader(uint32_t rate, uint64_t frames)
{
    const uint32_t dataBytes = static_cast<uint32_t>(std::min<uint64_t>(frames * 4, 0xFFFFFFFFu - 36));
    std::vector<uint8_t> h;
    for (char c : std::string("RIFF")) h.push_back(static_cast<uint8_t>(c));
    AppendLe32(h, 36 + dataBytes);
    for (char c : std::string("WAVEfmt ")) h.push_back(static_cast<uint8_t>(c));
    AppendLe32(h, 16);
    AppendLe16(h, 1); // PCM
    AppendLe16(h, 2);
    AppendLe32(h, rate);
    AppendLe32(h, rate * 4);
    AppendLe16(h, 4);
    AppendLe16(h, 16);
    for (char c : std::string("data")) h.push_back(static_cast<uint8_t>(c));
    AppendLe32(h, dataBytes);
    return h;
}

int Render(const std::string& name, const std::string& pack, const std::string& out, const RenderPlan& plan)
{
    SoundModule* module = OpenModule(name, pack, plan.rate);
    if (!module) return 1;
    std::FILE* file = std::fopen(out.c_str(), "wb");
    if (!file) {
        SoundClose();
        return Fail(out, std::string("cannot write: ") + std::strerror(errno));
    }
    std::vector<uint8_t> header = WavHeader(static_cast<uint32_t>(plan.rate), 0);
    std::fwrite(header.data(), 1, header.size(), file);
    uint64_t frames = 0;
    std::vector<uint8_t> bytes;
    const bool ok = RenderModule(name, module, plan, PrintEvent, nullptr, [&](const int16_t* samples, uint32_t count) {
        bytes.clear();
        for (uint32_t i = 0; i < count * 2; ++i) AppendLe16(bytes, static_cast<uint16_t>(samples[i]));
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        frames += count;
    });
    SoundClose();
    header = WavHeader(static_cast<uint32_t>(plan.rate), frames);
    std::fseek(file, 0, SEEK_SET);
    std::fwrite(header.data(), 1, header.size(), file);
    const bool written = std::ferror(file) == 0;
    if (std::fclose(file) != 0 || !written) return Fail(out, "write error");
    return ok ? 0 : 1;
}

bool ParseNumber(const char* text, double low, double high, double* value)
{
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(text, &end);
    if (errno || end == text || *end || !(v >= low && v <= high)) return false;
    *value = v;
    return true;
}

} // namespace

int RunModuleCommand(int argc, char** argv)
{
    std::vector<std::string> words;
    std::string pack;
    std::string out;
    RenderPlan plan;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        double v = 0;
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--pack" && hasValue) {
            pack = argv[++i];
        } else if (a == "--out" && hasValue) {
            out = argv[++i];
        } else if (a == "--seconds" && hasValue) {
            if (!ParseNumber(argv[++i], 0.001, kLongestPassSeconds, &v)) return UsageError("--seconds takes a number of seconds above 0, at most 3600");
            plan.seconds = v;
        } else if (a == "--rate" && hasValue) {
            const std::string r = argv[++i];
            if (r != "44100" && r != "48000") return UsageError("--rate is 44100 or 48000");
            plan.rate = std::atoi(r.c_str());
        } else if (a == "--volume" && hasValue) {
            if (!ParseNumber(argv[++i], 0, 64, &v) || v != std::floor(v)) return UsageError("--volume is a whole number 0..64");
            plan.volume = static_cast<int32_t>(v);
        } else if (a.size() > 1 && a[0] == '-') {
            return UsageError("unknown option '" + a + "' (or a missing value)");
        } else {
            words.push_back(a);
        }
    }
    if (words.empty()) return UsageError("a subcommand is needed");
    const std::string& command = words[0];
    if (command != "info" && command != "syncs" && command != "render") return UsageError("unknown subcommand '" + command + "'");
    if (words.size() != 2) return UsageError(command + " takes one module");
    if (command == "info") return Info(words[1], pack);
    if (command == "syncs") return Syncs(words[1], pack);
    if (out.empty()) return UsageError("render needs --out FILE.wav");
    return Render(words[1], pack, out, plan);
}
