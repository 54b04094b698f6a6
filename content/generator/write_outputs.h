// Where the made entries go: loose files below a folder, and the pack archive.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "generator/manifest.h"

// Writes each entry below `dir` (folders from the backslashes of its name). Empty, or what failed.
std::string WriteLooseFiles(const std::string& dir, const std::vector<const content::ContentEntry*>& chosen,
                            const std::vector<std::vector<uint8_t>>& made);

// Packs the entries in order into `out`, written whole beside it and then moved into place.
// Empty, or what failed; `packedBytes` gets the archive's size.
std::string WritePack(const std::string& out, const std::vector<const content::ContentEntry*>& chosen,
                      const std::vector<std::vector<uint8_t>>& made, size_t* packedBytes);
