// The show's spine: start-up, music calibration, the passes over the four parts, and the one
// way out that releases everything and can leave a message on the console.
#pragma once

#include <cstdint>

#include "show/show_operations.h"

// Where the archive is read from ("VELA.PAK" in the working directory by default).
extern const char* demoPackPath;
// When no archive was found or named: the folders looked in ("A, B or C") and the working
// folder loose files are read from; null otherwise.
extern const char* showPackPlaces;
extern const char* showLooseFolder;
// How many passes a looping show plays before it ends; 0 (the default): until Escape.
extern int32_t passLimit;
// The size of the memory pool reserved at start-up, in MiB (11; smaller for tests of running out).
extern int32_t poolMebibytes;

// The module the music speed is measured on, silently, at start-up.
extern const char* const kCalibrationModule;
// How long the calibration waits for its marks before taking the nominal speed, in clock units.
constexpr int32_t kCalibrationTimeLimit = 3000;

// argv[0] is not an argument; the words "b%d" and "s%d" set the first part and part two's
// clock offset.
void DemoMain(int argc, char** argv);
// Reads the argument words into the sequencer state (the first start-up step).
void ReadRunWords(int argc, char** argv);
// Closes everything; with a non-empty message, shows it on the console and waits for a key.
void DemoExit(int32_t restoreDisplay, const char* format, ...) __attribute__((format(printf, 2, 3)));
// 0 when the show ended normally or by Escape, 1 when it ended with a message, 2 when it had
// no content to play (no usable archive and no loose files).
int DemoExitStatus();
// Stops the music's playback thread so that the process can end from anywhere (a damaged
// archive member, a signal).
void StopThreadsBeforeExit();
