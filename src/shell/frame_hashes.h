// Frame-hash lists: each video frame of a run in virtual time reduced to one 64-bit hash of its
// pixels, with its number, the part playing and the show's time, one line per frame; after the
// frames, a hash of the sound heard while each part played. Two runs whose lists are equal drew
// and played the same. `vela --frame-hashes FILE` writes them, and the whole-show test compares
// runs with the lists stored in tests/reference/show/, through the same functions.
//
// A list's text:
//   # frame part seconds hash, one line per video frame at 10 fps
//   0 0 0.001 d2608d4a4f4e3029            (frame, part, seconds to the millisecond, hash in hex)
//   ...
//   sound 0 ca232a3ff9640a83              (one line per part 0..4; 0 where nothing was heard)
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/video.h"

// One video frame as a list holds it.
struct FrameHash {
    int64_t index = 0;   // the video frame's number, from 0
    int32_t part = 0;    // the part playing (1..4), or 0 (start-up, between parts, the end)
    double seconds = 0;  // the show's time when the frame was handed over
    uint64_t hash = 0;
};

// Start-up and between parts (0), then parts 1..4.
constexpr int32_t kHashedParts = 5;

// The sound heard while each part played, hashed in order; 0 for a part not heard.
struct SoundHashes {
    uint64_t part[kHashedParts] = {};
};

// FNV-1a over the frame's width, its bits per pixel and its rows as stored (pitch x height bytes).
uint64_t HashFramePixels(const VideoSurface& frame);
// Video frame `index`, handed over by virtual time now: its hash, the part playing and the time.
FrameHash HashVideoFrame(int64_t index, const VideoSurface& frame);
// Adds the next `frames` interleaved stereo frames to the hash of the part playing now.
void HashSound(SoundHashes* hashes, const int16_t* samples, size_t frames);

// The list's first line, its frame lines and its closing sound lines, each ending in '\n'.
std::string FrameHashHeader(int32_t framesPerSecond);
std::string FrameHashLine(const FrameHash& frame);
std::string SoundHashLines(const SoundHashes& hashes);

// A list written to a file while the show plays.
struct FrameHashFile {
    std::FILE* file = nullptr;
    std::string path;
    SoundHashes sound;
    int failure = 0; // errno of the first write that failed
};

// Creates the file and writes its first line; false, with the file named in `error`, if it
// cannot be created.
bool OpenFrameHashFile(FrameHashFile* list, const std::string& path, int32_t framesPerSecond, std::string* error);
void WriteFrameHash(FrameHashFile* list, const FrameHash& frame);
// Writes the sound lines and closes the file; false, with the file named and the cause in
// `error`, if any of the list could not be written.
bool CloseFrameHashFile(FrameHashFile* list, std::string* error);
