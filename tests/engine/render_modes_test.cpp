// The render-mode table: row layout, names, renderers, record sizes and legacy codes.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "engine/render_modes.h"

TEST(RenderModes, RowsFollowMapShadeBlend)
{
    EXPECT_STREQ(RenderModeTable[0].name, "Wire");
    EXPECT_EQ(RenderModeTable[0].key, 1u);
    EXPECT_EQ(RenderModeTable[0].renderer, RendererId::Wire);
    EXPECT_EQ(RenderModeTable[0].workRecordSize, 20);
    EXPECT_STREQ(RenderModeTable[1].name, "NOMAP_NOSHA_OPAQU");
    EXPECT_STREQ(RenderModeTable[21].name, "TEXTU_NOSHA_OPAQU");
    EXPECT_STREQ(RenderModeTable[56].name, "ENVMA_GOURA_SOUST");
    EXPECT_STREQ(RenderModeTable[100].name, "ENVTR_FOGGY_SOUST");

    EXPECT_STREQ(RenderModeTable[40].name, "TEXTU_FOGGY_SOUST");
    EXPECT_STREQ(RendererName(RenderModeTable[40].renderer), "RenderTextuFoggy");
    EXPECT_EQ(RenderModeTable[40].workRecordSize, 20);
    EXPECT_STREQ(RenderModeTable[44].name, "ENVMA_NOSHA_SOUST");
    EXPECT_EQ(RenderModeTable[44].workRecordSize, 28);
    // Colour-keyed maps share the renderer of their plain map.
    EXPECT_STREQ(RendererName(RenderModeTable[1 + 3 * 20 + 3 * 4].renderer), "RenderTextuGoura");
    EXPECT_EQ(RenderModeTable[1 + 4 * 20 + 3 * 4].workRecordSize, 32);

    std::set<std::string> names;
    std::set<int> renderers;
    for (int row = 1; row < kRenderModeCount; ++row) {
        const RenderMode& m = RenderModeTable[row];
        names.insert(m.name);
        renderers.insert(static_cast<int>(m.renderer));
        const int map = (row - 1) / 20, shade = ((row - 1) / 4) % 5, blend = (row - 1) % 4;
        EXPECT_EQ(KeyMap(m.key), map) << row;
        EXPECT_EQ(KeyShade(m.key), shade) << row;
        EXPECT_EQ(KeyBlend(m.key), blend) << row;
        EXPECT_FALSE(KeyIsWire(m.key));
        EXPECT_EQ(KeyHasColourKey(m.key), map == 3 || map == 4) << row;
    }
    EXPECT_EQ(names.size(), 100u);
    EXPECT_EQ(renderers.size(), 15u);
    EXPECT_EQ(RenderModeRow(101), nullptr);
    EXPECT_EQ(RenderModeRow(-1), nullptr);
}

TEST(RenderModes, LegacyCodes)
{
    int withCode = 0;
    std::set<int> codes;
    for (const RenderMode& m : RenderModeTable) {
        if (m.legacyCode >= 0) {
            ++withCode;
            codes.insert(m.legacyCode);
        }
    }
    EXPECT_EQ(withCode, 49);
    EXPECT_EQ(codes.size(), 49u);
    EXPECT_EQ(*codes.rbegin(), 48);

    EXPECT_EQ(FindRenderModeByLegacyCode(10), 0);
    EXPECT_EQ(FindRenderModeByLegacyCode(99), 0);
    EXPECT_EQ(FindRenderModeByLegacyCode(-1), 1); // the first row without a code
    EXPECT_STREQ(RenderModeTable[FindRenderModeByLegacyCode(0)].name, "NOMAP_GOURA_OPAQU");
    EXPECT_STREQ(RenderModeTable[FindRenderModeByLegacyCode(19)].name, "TEXTR_NOSHA_OPAQU");
    EXPECT_STREQ(RenderModeTable[FindRenderModeByLegacyCode(30)].name, "ENVTR_NOSHA_ADDIT");
    EXPECT_STREQ(RenderModeTable[FindRenderModeByLegacyCode(48)].name, "ENVTR_SHADE_SOUST");
}
