#include "common/quantise.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace content {
namespace {

struct Box {
    size_t begin, end; // range of the sorted colour list
    int widest;        // channel with the largest spread
    int spread;
};

using Rgb8 = std::array<uint8_t, 3>;

void Measure(const std::vector<Rgb8>& colours, Box* box)
{
    int low[3] = {255, 255, 255}, high[3] = {0, 0, 0};
    for (size_t i = box->begin; i < box->end; ++i) {
        for (int c = 0; c < 3; ++c) {
            low[c] = std::min<int>(low[c], colours[i][c]);
            high[c] = std::max<int>(high[c], colours[i][c]);
        }
    }
    box->widest = 0;
    box->spread = -1;
    // Green weighs most, blue least, as the eye sees differences.
    const int weight[3] = {3, 4, 2};
    for (int c = 0; c < 3; ++c) {
        const int s = (high[c] - low[c]) * weight[c];
        if (s > box->spread) {
            box->spread = s;
            box->widest = c;
        }
    }
}

} // namespace

IndexedPicture QuantisePicture(const ImageRgb& picture, int firstIndex)
{
    const size_t count = static_cast<size_t>(picture.width) * picture.height;
    std::vector<Rgb8> colours(count);
    for (size_t i = 0; i < count; ++i) colours[i] = {picture.rgb[i * 3], picture.rgb[i * 3 + 1], picture.rgb[i * 3 + 2]};

    const size_t wanted = static_cast<size_t>(256 - firstIndex);
    std::vector<Box> boxes;
    Box all{0, count, 0, 0};
    Measure(colours, &all);
    boxes.push_back(all);
    while (boxes.size() < wanted) {
        // Split the box with the widest spread weighted by its share of pixels (ties: the first).
        size_t pick = boxes.size();
        int64_t best = 0;
        for (size_t b = 0; b < boxes.size(); ++b) {
            const int64_t size = static_cast<int64_t>(boxes[b].end - boxes[b].begin);
            if (size < 2 || boxes[b].spread <= 0) continue;
            // Spread counts more than population, so small bright details keep their colours.
            const int64_t score = static_cast<int64_t>(boxes[b].spread) * boxes[b].spread * (64 + std::min<int64_t>(size, 4096));
            if (score > best) {
                best = score;
                pick = b;
            }
        }
        if (pick == boxes.size()) break;
        Box box = boxes[pick];
        const int c = box.widest;
        std::sort(colours.begin() + static_cast<ptrdiff_t>(box.begin), colours.begin() + static_cast<ptrdiff_t>(box.end),
                  [c](const Rgb8& p, const Rgb8& q) { return p[c] != q[c] ? p[c] < q[c] : p < q; });
        size_t middle = box.begin + (box.end - box.begin) / 2;
        // Keep equal values together so the split really divides the spread.
        while (middle > box.begin + 1 && colours[middle - 1][c] == colours[middle][c]) --middle;
        if (colours[middle - 1][c] == colours[middle][c]) {
            middle = box.begin + (box.end - box.begin) / 2;
            while (middle + 1 < box.end && colours[middle - 1][c] == colours[middle][c]) ++middle;
        }
        Box first{box.begin, middle, 0, 0}, second{middle, box.end, 0, 0};
        Measure(colours, &first);
        Measure(colours, &second);
        boxes[pick] = first;
        boxes.push_back(second);
    }

    IndexedPicture result;
    std::vector<Rgb8> entries;
    for (const Box& box : boxes) {
        uint64_t sum[3] = {0, 0, 0};
        for (size_t i = box.begin; i < box.end; ++i)
            for (int c = 0; c < 3; ++c) sum[c] += colours[i][c];
        const uint64_t n = box.end - box.begin;
        Rgb8 mean;
        for (int c = 0; c < 3; ++c) {
            // The level the display shows for the mean (5 bits of red and blue, 6 of green,
            // the low bits dropped), with its bits repeated, so dithered pictures keep their
            // patterns.
            const int bits = c == 1 ? 6 : 5;
            const int average = static_cast<int>((sum[c] + n / 2) / n);
            const int v = average >> (8 - bits) << (8 - bits);
            mean[c] = static_cast<uint8_t>(v | v >> bits);
        }
        entries.push_back(mean);
    }
    // Darkest first, so the palette reads as a ramp.
    std::sort(entries.begin(), entries.end(), [](const Rgb8& p, const Rgb8& q) {
        const int lp = p[0] * 3 + p[1] * 6 + p[2], lq = q[0] * 3 + q[1] * 6 + q[2];
        return lp != lq ? lp < lq : p < q;
    });
    for (size_t e = 0; e < entries.size(); ++e)
        result.palette.colours[static_cast<size_t>(firstIndex) + e] = {entries[e][0], entries[e][1], entries[e][2]};

    result.image = Image8(picture.width, picture.height);
    // Nearest entry for each distinct colour, remembered in a table of 15-bit keys and exact checks.
    std::vector<int32_t> cacheKey(32768, -1);
    std::vector<uint8_t> cacheIndex(32768, 0);
    for (size_t i = 0; i < count; ++i) {
        const int r = picture.rgb[i * 3], g = picture.rgb[i * 3 + 1], b = picture.rgb[i * 3 + 2];
        const int32_t key = r << 16 | g << 8 | b;
        const size_t slot = static_cast<size_t>((r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
        if (cacheKey[slot] != key) {
            int bestDistance = 1 << 30;
            size_t best = 0;
            for (size_t e = 0; e < entries.size(); ++e) {
                const int dr = r - entries[e][0], dg = g - entries[e][1], db = b - entries[e][2];
                const int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
                if (d < bestDistance) {
                    bestDistance = d;
                    best = e;
                }
            }
            cacheKey[slot] = key;
            cacheIndex[slot] = static_cast<uint8_t>(static_cast<size_t>(firstIndex) + best);
        }
        result.image.pixels[i] = cacheIndex[slot];
    }
    return result;
}

} // namespace content
