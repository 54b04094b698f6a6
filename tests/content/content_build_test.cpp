// The content build as a whole: the same sources give the same bytes, whatever the threads;
// the desktop icon is a 256x256 PNG with transparency.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "pictures/icon.h"
#include "support/test_support.h"

namespace {

const std::string kGenerator = std::string(VELA_BINARY_DIR) + "/content/vela-content";

TEST(ContentBuild, TwoBuildsGiveTheSameBytes)
{
    // The build made its pack with one thread per processor; this second build uses three
    // threads, so entries are made in another order and interleaving. (One fresh build only:
    // the whole content build is long under the sanitizers.)
    const auto dir = ScratchDir("content_build_twice");
    const std::string again = (dir / "AGAIN.PAK").string();
    ASSERT_EQ(std::system((kGenerator + " --jobs 3 --out '" + again + "' >/dev/null").c_str()), 0);
    const std::vector<uint8_t> second = ReadFileBytes(again);
    ASSERT_GT(second.size(), 100000u);
    EXPECT_TRUE(second == ReadFileBytes(VELA_CONTENT_PACK));
}

TEST(ContentBuild, IconIsTheEmblemOnATransparentGround)
{
    const std::vector<uint8_t> rgba = content::DrawIcon(256);
    ASSERT_EQ(rgba.size(), 256u * 256u * 4u);
    auto alpha = [&](int x, int y) { return rgba[(static_cast<size_t>(y) * 256 + x) * 4 + 3]; };
    for (auto [x, y] : {std::pair{0, 0}, {255, 0}, {0, 255}, {255, 255}, {40, 40}}) EXPECT_EQ(alpha(x, y), 0) << x << "," << y;
    EXPECT_EQ(alpha(128, 128), 255);
    EXPECT_EQ(alpha(128, 10), 255); // the upper point of the star

    const auto dir = ScratchDir("content_icon");
    const std::string path = (dir / "vela.png").string();
    ASSERT_EQ(std::system((kGenerator + " --icon '" + path + "'").c_str()), 0);
    const std::vector<uint8_t> png = ReadFileBytes(path);
    ASSERT_GT(png.size(), 33u);
    EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
    EXPECT_EQ(std::string(png.begin() + 12, png.begin() + 16), "IHDR");
    EXPECT_EQ(png[16 + 2] << 8 | png[16 + 3], 256); // width
    EXPECT_EQ(png[20 + 2] << 8 | png[20 + 3], 256); // height
    EXPECT_EQ(png[25], 6);                          // colour type: RGB with alpha
}

} // namespace
