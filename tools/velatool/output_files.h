// Where a command writes its result: a file, or standard output for "-" as Unix tools do. A
// write that fails leaves no half-written file behind, and never removes what was not a
// regular file (a device such as /dev/full, or a pipe named on the command line).
#pragma once

#include <cstdio>
#include <string>

// Opens `path` for writing, or hands out standard output for "-"; null with `error` set
// ("PATH: cannot create: reason") when the file cannot be created.
FILE* OpenOutput(const std::string& path, std::string* error);

// Finishes what OpenOutput gave: flushes it and closes it (standard output stays open). False
// when `ok` is false or the flush or close fails; a regular file is then removed.
bool CloseOutput(FILE* file, const std::string& path, bool ok);

// "standard output" for "-", else the path: for messages.
std::string OutputName(const std::string& path);
