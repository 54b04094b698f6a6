// Writes a PNG file with an alpha channel (the desktop icon).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace content {

// `rgba` is width * height * 4 bytes (red, green, blue, straight alpha), top row first.
// False with a message in `error` when the file cannot be written.
bool WritePngRgba(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba,
                  std::string* error);

} // namespace content
