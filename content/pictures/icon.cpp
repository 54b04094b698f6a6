#include "pictures/icon.h"

#include "pictures/emblem.h"

namespace content {

std::vector<uint8_t> DrawIcon(int size)
{
    Canvas canvas(size, size);
    const float half = static_cast<float>(size) * 0.5f;
    DrawEmblem(&canvas, {half, half}, half * 0.97f, 0.0);
    std::vector<uint8_t> rgba(static_cast<size_t>(size) * size * 4);
    for (size_t i = 0; i < rgba.size(); i += 4) {
        const float* p = &canvas.rgba[i];
        const float a = p[3] > 1.0f ? 1.0f : p[3];
        for (int c = 0; c < 3; ++c) rgba[i + c] = static_cast<uint8_t>(ToByte(a > 0.0f ? p[c] / a : 0.0f));
        rgba[i + 3] = static_cast<uint8_t>(ToByte(a));
    }
    return rgba;
}

} // namespace content
