// The generated pack: every manifest entry is in it, under its own name.
#include <gtest/gtest.h>

#include <string>

#include "generator/manifest.h"
#include "resources/pack_archive.h"

TEST(ContentPack, HoldsEveryManifestEntry)
{
    OpenPack(VELA_CONTENT_PACK);
    ASSERT_FALSE(PackDirectoryDamaged());
    const auto& manifest = content::ContentManifest();
    EXPECT_EQ(PackEntryCount(), manifest.size());
    for (const content::ContentEntry& e : manifest) EXPECT_GT(PackEntrySize(e.name.c_str()), 0u) << e.name;
    ClosePack();
}
