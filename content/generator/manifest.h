// The manifest: every entry of the show's pack, with the function that makes its bytes. Adding
// or renaming a picture, scene, texture or module is one edit of manifest.cpp.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace content {

struct ContentEntry {
    std::string name;                            // pack entry name: backslashes, as the show asks
    std::function<std::vector<uint8_t>()> make;  // the entry's bytes; pure and deterministic
};

// Every entry, in pack order.
const std::vector<ContentEntry>& ContentManifest();

} // namespace content
