// Where a command writes its result: a file, or standard output for "-" as Unix tools do. A
// file is written under a temporary name in its own folder and renamed into place only once
// everything was written, so a failed command leaves neither a half-written file nor its
// temporary behind, and a file that was there before stays as it was. A device or a pipe named
// on the command line (such as /dev/full) is written directly and never removed.
#pragma once

#include <cstdio>
#include <string>

#include "formats/rgb_image.h"

// Opens `path` for writing, or hands out standard output for "-"; null with `error` set
// ("PATH: cannot create: reason") when the file cannot be created.
FILE* OpenOutput(const std::string& path, std::string* error);

// Finishes what OpenOutput gave: flushes it and closes it (standard output stays open), and
// puts a file in place. False when `ok` is false or the flush, close or rename fails; the
// temporary is then removed.
bool CloseOutput(FILE* file, const std::string& path, bool ok);

// Closes and removes the temporaries of every output still open, for a process that must end
// at once (a damaged pack member ends it from inside the reader).
void DiscardOpenOutputs();

// "standard output" for "-", else the path: for messages.
std::string OutputName(const std::string& path);

// Writes the image as an 8-bit RGB PNG output (a file, or standard output for "-"); false with
// "PATH: cannot write the PNG: reason" or OpenOutput's message in `error`, and no file left behind.
bool WritePngOutput(const std::string& path, const RgbImage& image, std::string* error);
