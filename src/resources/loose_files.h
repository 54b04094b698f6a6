// Loose files: resource names (backslash paths, any case) mapped to files below one folder.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// The path of the file `name` names below `folder`, matching each path component exactly or,
// failing that, without regard to ASCII case. Empty when the name is absolute, climbs out with
// "..", leads (through links) outside the folder, or names no file.
std::string ResolveLooseFile(const std::string& folder, const char* name);

// Opens the regular file `name` names below `folder` for reading and gives its size; null when
// ResolveLooseFile finds none, or it is not a regular file or cannot be opened.
std::FILE* OpenLooseFile(const std::string& folder, const char* name, uint64_t* size);
