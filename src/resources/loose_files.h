// Loose files: resource names (backslash paths, any case) mapped to files below one folder.
#pragma once

#include <string>

// The path of the file `name` names below `folder`, matching each path component exactly or,
// failing that, without regard to ASCII case. Empty when the name is absolute, climbs out with
// "..", leads (through links) outside the folder, or names no file.
std::string ResolveLooseFile(const std::string& folder, const char* name);
