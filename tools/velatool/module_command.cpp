// velatool module: facts about an XM module, its sync marks in play order, and an offline
// render to a WAV file, all through the show's own sound library.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "formats/wav_header.h"
#include "platform/sound_library.h"
#include "resources/pack_archive.h"
#include "velatool/commands.h"
#include "velatool/named_inputs.h"
#include "velatool/options.h"
#include "velatool/output_files.h"
#include "velatool/xm_extent.h"

const char kModuleUsage[] =
    "usage: velatool module info FILE.XM [--pack PAK]\n"
    "       velatool module syncs FILE.XM [--pack PAK]\n"
    "       velatool module render FILE.XM --out FILE.wav [--pack PAK] [--seconds S]\n"
    "                              [--rate 44100|48000] [--volume 0..64] [--force]\n"
    "\n"
    "info    title, channels, patterns, instruments, song length in orders and the duration\n"
    "        of one pass\n"
    "syncs   one line per sync mark in play order over one pass: time in milliseconds from the\n"
    "        start, order index, pattern, row, value (or a line saying there are none)\n"
    "render  offline render to a 16-bit stereo WAV file (one pass, or S seconds looping),\n"
    "        printing each mark as it fires: sync VALUE at SAMPLE. '--out -' writes the WAV to\n"
    "        standard output and the marks to the standard error stream.\n"
    "\n"
    "FILE.XM is an entry of PAK when --pack is given, otherwise a file.\n"
    "A module shorter than its own headers, patterns and samples say has lost its end: info\n"
    "and syncs refuse it, and render plays what is left only with --force.\n";

namespace {

constexpr uint32_t kRenderBlock = 4096;
// A pass that does not end by itself is cut off here.
constexpr double kLongestPassSeconds = 3600.0;

[[noreturn]] void Usage(const std::string& problem) { throw UsageError{problem}; }
[[noreturn]] void Fail(const std::string& name, const std::string& message) { throw CommandFailure{name + ": " + message}; }

std::vector<uint8_t> ReadModuleBytes(const std::string& name, const std::string& pack)
{
    std::vector<uint8_t> bytes;
    if (!pack.empty()) {
        OpenArchiveFor(pack, name);
        const std::string problem = EntryProblem(name, pack);
        const uint32_t size = PackEntrySize(name.c_str());
        if (problem.empty()) bytes.resize(size);
        const bool read = problem.empty() && ReadPackEntry(name.c_str(), bytes.data(), 0, size) == 0;
        ClosePack();
        if (!problem.empty()) Fail(name, problem);
        if (!read) Fail(name, "cannot read the entry from " + pack);
        return bytes;
    }
    const std::string problem = FileProblem(name);
    if (!problem.empty()) Fail(name, problem);
    std::FILE* file = std::fopen(name.c_str(), "rb");
    if (!file) Fail(name, std::strerror(errno));
    uint8_t buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
    const bool failed = std::ferror(file) != 0;
    const int reason = errno;
    std::fclose(file);
    if (failed) Fail(name, std::string("read error: ") + std::strerror(reason));
    return bytes;
}

// The module's bytes, checked against the length its own headers give. A module that has lost
// its end is refused, or with `lenient` only warned about.
std::vector<uint8_t> ReadWholeModule(const std::string& name, const std::string& pack, bool lenient)
{
    std::vector<uint8_t> bytes = ReadModuleBytes(name, pack);
    const XmExtent extent = MeasureXmModule(bytes.data(), bytes.size());
    if (extent.measured && !extent.complete) {
        // "the sample headers of instrument 2" and "the samples of instrument 2" are plural.
        const char* verb = extent.cutShort.rfind("the sample", 0) == 0 ? " end" : " ends";
        const std::string problem = "truncated: " + extent.cutShort + verb + " past the end of the file (it needs " +
                                    std::string(extent.cutShort == "the song header" ? "" : "at least ") +
                                    std::to_string(extent.needed) + " bytes, the file holds " +
                                    std::to_string(bytes.size()) + ")";
        if (!lenient) Fail(name, problem);
        std::fprintf(stderr, "velatool module: %s: warning: %s; rendering what is there\n", name.c_str(),
                     problem.c_str());
    }
    return bytes;
}

// The library started for offline output, closed again on every way out.
struct OfflineSound {
    explicit OfflineSound(const std::string& name, int32_t rate)
    {
        SoundStartup();
        SoundSetOption(kSoundOptionOffline, 1);
        SoundSetOption(kSoundOptionMixRate, rate);
        if (!SoundInit()) Fail(name, SoundErrorMessage(SoundLastError()));
    }
    ~OfflineSound() { SoundClose(); }
    OfflineSound(const OfflineSound&) = delete;
    OfflineSound& operator=(const OfflineSound&) = delete;
};

// Loads the module into the started library.
SoundModule* LoadModule(const std::string& name, const std::vector<uint8_t>& bytes)
{
    SoundModule* module = SoundLoadModuleFromMemory(bytes.data(), static_cast<uint32_t>(bytes.size()));
    if (!module) Fail(name, SoundErrorMessage(SoundLastError()));
    return module;
}

void CollectEvent(const SoundSyncEvent& event, void* context)
{
    static_cast<std::vector<SoundSyncEvent>*>(context)->push_back(event);
}

// Marks go to standard output, or to the standard error stream when the WAV goes to standard output.
void PrintEvent(const SoundSyncEvent& event, void* stream)
{
    std::fprintf(static_cast<FILE*>(stream), "sync %u at %llu\n", event.value, static_cast<unsigned long long>(event.frame));
}

struct RenderPlan {
    int32_t rate = 44100;
    int32_t volume = 64;
    double seconds = 0.0; // 0: one pass
};

// Plays the module offline and hands each block to `sink`; the frames played.
template <typename Sink>
uint64_t RenderModule(const std::string& name, SoundModule* module, const RenderPlan& plan, SoundSyncCallback callback,
                      void* context, Sink sink)
{
    const bool onePass = plan.seconds <= 0.0;
    SoundPlayHandle handle = SoundPlayModule(module, onePass ? 0 : 1);
    if (!handle || !SoundSetModuleVolume(handle, plan.volume) || !SoundSetSyncCallback(handle, callback, context)) {
        if (handle) SoundStopModule(handle);
        Fail(name, SoundErrorMessage(SoundLastError()));
    }
    const double limit = onePass ? kLongestPassSeconds : plan.seconds;
    const uint64_t total = static_cast<uint64_t>(std::llround(limit * plan.rate));
    std::vector<int16_t> block(kRenderBlock * 2);
    uint64_t done = 0;
    while (done < total) {
        if (onePass && !SoundModuleIsPlaying(handle)) break;
        const uint32_t frames = static_cast<uint32_t>(std::min<uint64_t>(kRenderBlock, total - done));
        SoundRenderNext(block.data(), frames);
        sink(block.data(), frames);
        done += frames;
    }
    SoundStopModule(handle);
    return done;
}

int Info(const std::string& name, const std::string& pack)
{
    const std::vector<uint8_t> bytes = ReadWholeModule(name, pack, false);
    OfflineSound sound(name, 44100);
    SoundModule* module = LoadModule(name, bytes);
    const SoundModuleFacts* facts = SoundModuleInfo(module);
    std::printf("title: %s\n", facts->title.c_str());
    std::printf("channels: %d\n", facts->channels);
    std::printf("patterns: %d\n", facts->patterns);
    std::printf("instruments: %d\n", facts->instruments);
    std::printf("orders: %d\n", facts->orders);
    std::printf("duration: %.3f s\n", facts->durationSeconds);
    std::printf("sync marks: %zu\n", SoundModuleMarks(module)->size());
    return 0;
}

int Syncs(const std::string& name, const std::string& pack)
{
    const std::vector<uint8_t> bytes = ReadWholeModule(name, pack, false);
    std::vector<SoundSyncEvent> events;
    RenderPlan plan;
    {
        OfflineSound sound(name, plan.rate);
        RenderModule(name, LoadModule(name, bytes), plan, CollectEvent, &events, [](const int16_t*, uint32_t) {});
    }
    for (const SoundSyncEvent& e : events) {
        std::printf("%.3f %d %d %d %u\n", static_cast<double>(e.frame) * 1000.0 / plan.rate, e.order, e.pattern, e.row, e.value);
    }
    if (events.empty()) std::printf("no sync marks in one pass\n");
    return 0;
}

// The header of a 16-bit stereo WAV file of `frames` frames.
std::vector<uint8_t> WavHeader(uint32_t rate, uint64_t frames) { return MakeWavHeader(rate, 2, frames * 4); }

// The WAV file being written: a file whose header is completed at the end, or standard output,
// where the header goes first with the length worked out beforehand.
struct WavOutput {
    std::string path;
    FILE* file = nullptr;
    bool toStandardOutput = false;

    explicit WavOutput(const std::string& out) : path(out), toStandardOutput(out == "-")
    {
        std::string error;
        file = OpenOutput(out, &error);
        if (!file) throw CommandFailure{error};
    }
    ~WavOutput()
    {
        // Only an output that was not finished is still open here: it is discarded.
        if (file) CloseOutput(file, path, false);
    }
    WavOutput(const WavOutput&) = delete;
    WavOutput& operator=(const WavOutput&) = delete;

    void Write(const std::vector<uint8_t>& bytes) { std::fwrite(bytes.data(), 1, bytes.size(), file); }

    void Finish(uint32_t rate, uint64_t frames)
    {
        bool written = true;
        if (!toStandardOutput) {
            const std::vector<uint8_t> header = WavHeader(rate, frames);
            written = std::fseek(file, 0, SEEK_SET) == 0 && std::fwrite(header.data(), 1, header.size(), file) == header.size();
        }
        FILE* finished = file;
        file = nullptr;
        if (!CloseOutput(finished, path, written)) Fail(OutputName(path), "write error");
    }
};

int Render(const std::string& name, const std::string& pack, const std::string& out, const RenderPlan& plan, bool force)
{
    const std::vector<uint8_t> bytes = ReadWholeModule(name, pack, force);
    OfflineSound sound(name, plan.rate);
    SoundModule* module = LoadModule(name, bytes);
    WavOutput wav(out);
    // Standard output cannot be rewound to complete the header, so a pass is measured first.
    uint64_t frames = 0;
    if (wav.toStandardOutput) {
        frames = plan.seconds > 0 ? static_cast<uint64_t>(std::llround(plan.seconds * plan.rate))
                                  : RenderModule(name, module, plan, nullptr, nullptr, [](const int16_t*, uint32_t) {});
    }
    wav.Write(WavHeader(static_cast<uint32_t>(plan.rate), frames));
    std::vector<uint8_t> block;
    FILE* marks = wav.toStandardOutput ? stderr : stdout;
    frames = RenderModule(name, module, plan, PrintEvent, marks, [&](const int16_t* samples, uint32_t count) {
        block.clear();
        AppendWavSamples(&block, samples, count * 2);
        wav.Write(block);
    });
    wav.Finish(static_cast<uint32_t>(plan.rate), frames);
    return 0;
}

} // namespace

int RunModuleCommand(int argc, char** argv)
{
    return RunCommand("module", kModuleUsage, [&] {
        const CommandLine line =
            ReadCommandLine(argc, argv, 1,
                            {{"--pack", true}, {"--out", true}, {"--seconds", true}, {"--rate", true},
                             {"--volume", true}, {"--force", false}});
        const std::vector<std::string>& words = line.words;
        if (words.empty()) Usage("a subcommand is needed");
        const std::string& command = words[0];
        if (command != "info" && command != "syncs" && command != "render")
            Usage("unknown subcommand '" + command + "'");
        if (words.size() != 2) Usage(command + " takes one module");
        const std::string pack = line.Value("--pack");
        if (line.Has("--pack") && pack.empty()) Usage("--pack needs an archive");
        if (command == "info" || command == "syncs") {
            line.Allow({"--pack"}, command);
            return command == "info" ? Info(words[1], pack) : Syncs(words[1], pack);
        }
        const std::string out = line.Value("--out");
        if (out.empty()) Usage("render needs --out FILE.wav");
        RenderPlan plan;
        if (line.Has("--seconds"))
            plan.seconds = RealNumberValue(line.Value("--seconds"), "--seconds", 0.001, kLongestPassSeconds);
        plan.rate = ChoiceValue(line.Value("--rate", "44100"), "--rate", {"44100", "48000"}) == "48000" ? 48000 : 44100;
        plan.volume = static_cast<int32_t>(WholeNumberValue(line.Value("--volume", "64"), "--volume", 0, 64));
        return Render(words[1], pack, out, plan, line.Has("--force"));
    });
}
