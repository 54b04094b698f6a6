#include "shell/show_main.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "display/console.h"
#include "display/display_device.h"
#include "display/window.h"
#include "effects/fade_ramp.h"
#include "platform/headless.h"
#include "platform/message_box.h"
#include "platform/tick_source.h"
#include "resources/memory_pool.h"
#include "resources/pack_archive.h"
#include "show/frame_clock.h"
#include "shell/pass_records.h"
#include "show/frame_timings.h"
#include "shell/launcher.h"
#include "show/music.h"
#include "show/parts.h"
#include "show/sequencer_state.h"
#include "display/screen_geometry.h"

const char* demoPackPath = "VELA.PAK";
const char* showPackPlaces = nullptr;
const char* showLooseFolder = nullptr;
int32_t passLimit = 0;
int32_t poolMebibytes = 11;
const char* const kCalibrationModule = "ZIK\\VELA2.XM";


namespace {

int exitStatus = 0;

// The content comes from the archive or, without a usable one, from loose files in the working
// folder. With neither, the show ends at once (status 2) saying where it looked or what is
// wrong with the archive, rather than failing later with a message that names nothing.
bool CheckContentSource()
{
    const bool archiveUsable = !showPackPlaces && !PackDirectoryDamaged();
    if (archiveUsable) return true;
    const bool looseFiles = PackEntrySize(kCalibrationModule) != 0;
    if (looseFiles) {
        if (showPackPlaces) {
            std::fprintf(stderr, "vela: no usable VELA.PAK in %s; reading loose files from the working folder %s instead\n",
                         showPackPlaces, showLooseFolder ? showLooseFolder : ".");
        }
        return true;
    }
    if (showPackPlaces) {
        DemoExit(0, "no usable VELA.PAK in %s, and no loose files in the working folder %s", showPackPlaces,
                 showLooseFolder ? showLooseFolder : ".");
    } else {
        DemoExit(0, "%s: damaged pack archive (%s), and no loose files in the working folder", demoPackPath,
                 PackDirectoryProblem() ? PackDirectoryProblem() : "unreadable");
    }
    exitStatus = 2;
    return false;
}

void PrintBanner()
{
    char line[72];
    line[0] = static_cast<char>(0xC9);
    std::memset(line + 1, 0xCD, 68);
    line[69] = static_cast<char>(0xBB);
    line[70] = '\n';
    line[71] = 0;
    ConsolePrint("%s", line);
    // 17 blanks, the title spaced out, 15 blanks, a 25-character maker-and-date text, 4 blanks.
    ConsolePrint("%c%17s%s%15s%s%4s%c\n", 0xBA, "", "V e l a", "", "Vela demo makers (c) 2026", "", 0xBA);
    line[0] = static_cast<char>(0xC8);
    line[69] = static_cast<char>(0xBC);
    ConsolePrint("%s", line);
}

// The show's message for a module that did not start: the parts wait on its marks, so the show
// cannot go on without it.
const char* ModuleFailureText(const char* module, int32_t result)
{
    static char text[96];
    std::snprintf(text, sizeof text, result == kModuleMissing ? "Le module %s est introuvable" : "Le module %s ne peut pas etre joue",
                  module);
    return text;
}

// Plays the calibration module silently until its third calibration mark and derives the
// music speed from the first two. When no module plays, or the marks do not come within the
// time limit, the speed is taken as nominal. In virtual time the music plays at exactly its
// speed: nothing is measured and nothing waits. The window is pumped all the while.
enum class Calibration { Done, Aborted, ModuleFailed };
Calibration CalibrateMusicSpeed()
{
    if (MusicRendersOffline()) {
        speedFactor.store(1.0f);
        return Calibration::Done;
    }
    ClockReset(0);
    int32_t dots = 0;
    if (const int32_t played = showOperations.playModule(kCalibrationModule); played != kModulePlays) {
        DemoExit(1, "%s", ModuleFailureText(kCalibrationModule, played));
        return Calibration::ModuleFailed;
    }
    showOperations.musicVolume(0);
    bool complete = true;
    bool aborted = false;
    while (syncCounters.calibrationCount.load() != 3) {
        if (!showOperations.musicPlaying()) {
            complete = false;
            break;
        }
        if (CheckAbort()) {
            aborted = true;
            break;
        }
        int32_t now = ClockNow();
        if (now > kCalibrationTimeLimit) {
            complete = false;
            ConsolePrint("\n%s gave no calibration marks: music speed taken as nominal\n", kCalibrationModule);
            std::fprintf(stderr, "vela: %s gave no calibration marks within %d s; the music speed is taken as nominal\n",
                         kCalibrationModule, kCalibrationTimeLimit / 100);
            break;
        }
        if (now / 100 > dots) {
            dots += 1;
            ConsolePrint(".");
        }
        SleepMilliseconds(1);
    }
    syncCounters.calibrationCount.store(0);
    showOperations.musicStop();
    speedFactor.store(complete ? SpeedFactorFromCalibration(syncCounters.calibrationTimes[0].load(),
                                                            syncCounters.calibrationTimes[1].load())
                               : 1.0f);
    return aborted ? Calibration::Aborted : Calibration::Done;
}

void ResetModuleCounters()
{
    syncCounters.restartCount.store(0);
    syncCounters.cueCount.store(0);
}

// The steps of a pass, part by part: the part's load runs before its module starts (while the
// previous module still plays), its run and release after. Part four keeps the third module.
struct PassStep {
    const char* module;  // started after the part's load; null: the module playing goes on
    int32_t volume;      // set right after the start; -1 leaves the library's default
    bool stopFirst;      // the previous module is stopped before this one starts
};
constexpr PassStep kPassSteps[4] = {
    {"ZIK\\VELA1.XM", 64, false},
    {"ZIK\\VELA2.XM", -1, true},
    {"ZIK\\VELA3.XM", -1, true},
    {nullptr, -1, false},
};

enum class PassEnd { Played, Aborted, Failed };

// One pass over the parts from startPart. Failed when a load failed (DemoExit has run already).
PassEnd PlayOnePass()
{
    const int32_t start = sequencer.startPart;
    ShowOperations& op = showOperations;
    NotePassStart();
    for (int32_t part = 1; part <= 4; ++part) {
        const PassStep& step = kPassSteps[part - 1];
        if (part > 1 && sequencer.abortRequested) {
            op.musicStop();
            SetPlayingPart(0);
            NotePassEnd();
            return PassEnd::Aborted;
        }
        if (start <= part) SetPlayingPart(part);
        if (start <= part && op.loadPart[part - 1]() != 0) {
            SetPlayingPart(0);
            NotePassEnd();  // every pass noted at its start is noted at its end, so the two pair up
            DemoExit(1, "%s", sequencer.errorMessage ? sequencer.errorMessage : "");
            return PassEnd::Failed;
        }
        if (step.module) {
            if (step.stopFirst) op.musicStop();
            ResetModuleCounters();
            if (const int32_t played = op.playModule(step.module); played != kModulePlays) {
                if (start <= part) op.freePart[part - 1]();
                SetPlayingPart(0);
                NotePassEnd();
                DemoExit(1, "%s", ModuleFailureText(step.module, played));
                return PassEnd::Failed;
            }
            if (step.volume >= 0) op.musicVolume(step.volume);
        }
        if (start <= part) {
            op.runPart[part - 1]();
            op.freePart[part - 1]();
        }
    }
    op.musicStop();
    SetPlayingPart(0);
    NotePassEnd();
    return PassEnd::Played;
}

// The four modes tried in order: 320x240 at 16 then 15 bits, then 320x200 likewise.
bool ChooseVideoMode()
{
    struct Attempt {
        int32_t height, viewTop, depth;
    };
    static const Attempt kAttempts[] = {{240, 30, 16}, {240, 30, 15}, {200, 10, 16}, {200, 10, 15}};
    int32_t error = 0;
    for (const Attempt& a : kAttempts) {
        screen.screenWidth = 320;
        screen.screenHeight = a.height;
        screen.viewHeight = 180;
        screen.viewTop = a.viewTop;
        screen.pixelDepth = SetVideoMode(320, a.height, a.depth, 1, sequencer.fullScreen);
        error = GetVideoError();
        if (error == 0) return true;
    }
    DemoExit(0, "%s\ntry with univbe to help detecting 15 or 16 bpp video modes\n", VideoErrorText(error));
    return false;
}

} // namespace

void ReadRunWords(int argc, char** argv)
{
    sequencer.startPart = 1;
    for (int i = 1; i < argc; ++i) {
        int value;
        if (std::sscanf(argv[i], "b%d", &value) == 1) sequencer.startPart = value;
        if (std::sscanf(argv[i], "s%d", &value) == 1) sequencer.seekOffset = value;
    }
}

int DemoExitStatus() { return exitStatus; }

void StopThreadsBeforeExit() { MusicClose(); }

void DemoExit(int32_t restoreDisplay, const char* format, ...)
{
    ClosePack();
    MusicClose();
    if (restoreDisplay) SwitchToDesktopWindow();
    FreeMemoryPool();
    char message[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    if (message[0] == 0) return;
    exitStatus = 1;
    sequencer.abortRequested = 0;
    // Standard error always has it too: a window may be closed before anyone reads it.
    std::fprintf(stderr, "vela: %s%s", message, message[std::strlen(message) - 1] == '\n' ? "" : "\n");
    if (!restoreDisplay || IsHeadless()) {
        // No frame to print into, or nobody to read it: the message goes where it can be seen.
        if (restoreDisplay) ConsolePrint("%s", message);
        if (!restoreDisplay && !IsHeadless()) ShowMessageBox(message, "Vela", kMessageBoxError);
        return;
    }
    ConsolePrint("%s", message);
    // Only a key pressed once the message is up ends the wait: keys pressed during the show
    // (F1, F2, F4...) are still latched and would close it before it is seen.
    PumpMessages();
    ClearKeys();
    while (!AnyKeyDown()) {
        if (CheckAbort()) break;
        SleepMilliseconds(10);
    }
}

void DemoMain(int argc, char** argv)
{
    exitStatus = 0;
    StopShowTime();
    ReadRunWords(argc, argv);
    PrintBanner();
    int32_t loop = 0;
    if (RunLauncher(&sequencer.fullScreen, &loop) == 0) return;
    if (MusicInit(MusicSync) != 0) return;
    // A damaged archive member ends the process from wherever it is read: the music's thread
    // must be stopped before the process goes.
    SetPackFailureHook(StopThreadsBeforeExit);
    ConsolePrint("Initializing system...\n");
    if (InitMemoryPool(poolMebibytes) != 0) {
        // No console message (there is no show to leave one on), but the failure is told and
        // the process does not end as if the show had played.
        std::fprintf(stderr, "vela: the %d MiB memory pool could not be reserved\n", poolMebibytes);
        StopThreadsBeforeExit();
        exitStatus = 1;
        return;
    }
    ClockInit(100);
    SetClockHooks(ClockResume, ClockPause);
    ClearKeys();
    OpenPack(demoPackPath);
    if (!CheckContentSource()) return;
    sequencer.loopCount = loop ? (passLimit > 0 ? passLimit : -1) : 1;
    if (!ChooseVideoMode()) return;
    ConsolePrint("Initializing\n.");
    BuildFadeRamp();

    switch (CalibrateMusicSpeed()) {
    case Calibration::Done: break;
    case Calibration::Aborted: DemoExit(1, "%s", ""); return;
    case Calibration::ModuleFailed: return;
    }

    StartShowTime();
    for (;;) {
        const PassEnd end = PlayOnePass();
        if (end == PassEnd::Failed) return;
        if (end == PassEnd::Aborted || sequencer.abortRequested) break;
        // Passes that play no part would loop without ever looking at the keys: play one.
        if (sequencer.startPart > 4) break;
        sequencer.loopCount -= 1;
        if (sequencer.loopCount == 0) break;
    }
    DemoExit(1, "%s", "");
}
