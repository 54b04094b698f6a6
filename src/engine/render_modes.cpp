// The render-mode table, generated at compile time from the three words of each row.
#include "engine/render_modes.h"

#include <array>

namespace {

constexpr const char* kMapWords[5] = {"NOMAP", "TEXTU", "ENVMA", "TEXTR", "ENVTR"};
constexpr const char* kShadeWords[5] = {"NOSHA", "SHADE", "FLATY", "GOURA", "FOGGY"};
constexpr const char* kBlendWords[4] = {"OPAQU", "TRANS", "ADDIT", "SOUST"};

constexpr int32_t Row(int map, int shade, int blend) { return 1 + map * 20 + shade * 4 + blend; }

// Rows of legacy codes 0..48, in code order (code 10 is Wire).
constexpr int32_t kLegacyRows[49] = {
    Row(0, 3, 0), Row(1, 0, 0), Row(1, 2, 0), Row(1, 3, 0), Row(1, 0, 1), Row(2, 0, 0),
    Row(2, 2, 0), Row(2, 3, 0), Row(2, 0, 1), Row(0, 2, 0), 0,            Row(1, 4, 0),
    Row(2, 4, 0), Row(0, 4, 0), Row(1, 0, 2), Row(2, 0, 2), Row(1, 1, 0), Row(2, 1, 0),
    Row(0, 1, 0), Row(3, 0, 0), Row(3, 2, 0), Row(3, 3, 0), Row(3, 0, 1), Row(4, 0, 0),
    Row(4, 2, 0), Row(4, 3, 0), Row(4, 0, 1), Row(3, 4, 0), Row(4, 4, 0), Row(3, 0, 2),
    Row(4, 0, 2), Row(3, 1, 0), Row(4, 1, 0), Row(1, 1, 1), Row(2, 1, 1), Row(1, 1, 2),
    Row(2, 1, 2), Row(3, 1, 1), Row(4, 1, 1), Row(3, 1, 2), Row(4, 1, 2), Row(1, 0, 3),
    Row(3, 0, 3), Row(1, 1, 3), Row(3, 1, 3), Row(2, 0, 3), Row(4, 0, 3), Row(2, 1, 3),
    Row(4, 1, 3),
};

constexpr void CopyWord(char* out, int& at, const char* word)
{
    for (int i = 0; word[i]; ++i) out[at++] = word[i];
}

constexpr RenderMode MakeRow(int32_t row)
{
    RenderMode mode{-1, {}, 0, RendererId::Wire, 20};
    for (int32_t code = 0; code < 49; ++code) {
        if (kLegacyRows[code] == row) {
            mode.legacyCode = code;
            break;
        }
    }
    int at = 0;
    if (row == 0) {
        CopyWord(mode.name, at, "Wire");
        mode.key = 1;
        return mode;
    }
    const int map = (row - 1) / 20;
    const int shade = ((row - 1) % 20) / 4;
    const int blend = (row - 1) % 4;
    CopyWord(mode.name, at, kMapWords[map]);
    mode.name[at++] = '_';
    CopyWord(mode.name, at, kShadeWords[shade]);
    mode.name[at++] = '_';
    CopyWord(mode.name, at, kBlendWords[blend]);
    mode.key = (static_cast<uint32_t>(blend) << 24) + (static_cast<uint32_t>(shade) << 16) +
               (static_cast<uint32_t>(map) << 8);
    const int family = (map == kMapTextr) ? kMapTextu : (map == kMapEnvtr) ? kMapEnvma : map;
    mode.renderer = static_cast<RendererId>(1 + family * 5 + shade);
    const bool environment = family == kMapEnvma;
    const bool gouraud = shade == kShadeGoura;
    mode.workRecordSize = environment ? (gouraud ? 32 : 28) : (gouraud ? 24 : 20);
    return mode;
}

constexpr std::array<RenderMode, kRenderModeCount> MakeTable()
{
    std::array<RenderMode, kRenderModeCount> table{};
    for (int32_t row = 0; row < kRenderModeCount; ++row) table[row] = MakeRow(row);
    return table;
}

constexpr const char* kRendererNames[kRendererCount] = {
    "RenderWire",
    "RenderNomapNosha", "RenderNomapShade", "RenderNomapFlaty", "RenderNomapGoura", "RenderNomapFoggy",
    "RenderTextuNosha", "RenderTextuShade", "RenderTextuFlaty", "RenderTextuGoura", "RenderTextuFoggy",
    "RenderEnvmaNosha", "RenderEnvmaShade", "RenderEnvmaFlaty", "RenderEnvmaGoura", "RenderEnvmaFoggy",
};

} // namespace

// Built by the compiler: constant initialisation, no start-up code.
constinit const std::array<RenderMode, kRenderModeCount> RenderModeTable = MakeTable();

int32_t FindRenderModeByLegacyCode(int32_t code)
{
    for (int32_t row = 0; row < kRenderModeCount; ++row) {
        if (RenderModeTable[row].legacyCode == code) return row;
    }
    return 0;
}

const RenderMode* RenderModeRow(int32_t mode)
{
    if (mode < 0 || mode >= kRenderModeCount) return nullptr;
    return &RenderModeTable[mode];
}

const char* RendererName(RendererId renderer)
{
    const int index = static_cast<int>(renderer);
    return index < kRendererCount ? kRendererNames[index] : "";
}
