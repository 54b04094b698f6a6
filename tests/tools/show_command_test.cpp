// velatool show timeline on the show's own pack: the parts' bands lie where the show's stored
// frame list says each part begins.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "formats/png_file.h"
#include "support/test_support.h"
#include "velatool/commands.h"
#include "velatool/show_timeline.h"

namespace {

uint32_t PixelAt(const RgbImage& image, int x, int y)
{
    const uint8_t* p = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
    return static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2];
}

TEST(ShowTimeline, ThePartsBandsChangeWhereTheFrameListsPartsDo)
{
    // (frame, part) wherever the part changes in the whole show at 10 frames a second.
    std::vector<std::pair<int64_t, int32_t>> changes;
    std::ifstream list(std::string(VELA_SOURCE_DIR) + "/tests/reference/show/whole-show-10fps.txt");
    std::string line;
    int32_t previous = -1;
    int64_t frames = 0;
    while (std::getline(list, line)) {
        if (line.empty() || line[0] == '#' || line.rfind("sound", 0) == 0) continue;
        std::istringstream fields(line);
        int64_t frame = 0;
        int32_t part = 0;
        fields >> frame >> part;
        if (part != previous) changes.emplace_back(frame, part);
        previous = part;
        frames = frame + 1;
    }
    ASSERT_GE(changes.size(), 5u) << "start-up, the four parts and the end";

    const std::string out = (ScratchDir("show-timeline") / "timeline.png").string();
    ASSERT_EQ(RunWithWords(RunShowCommand, "show", {"timeline", "--out", out, "--pack", VELA_CONTENT_PACK, "--fps", "10"}), 0);
    RgbImage image;
    std::string error;
    ASSERT_TRUE(ReadPng(out, &image, &error)) << error;
    EXPECT_EQ(image.width, TimelineColumn(static_cast<double>(frames) / 10) + 24) << "the picture is as long as the show";
    const int row = kTimelinePartsTop + 1;
    for (size_t i = 0; i < changes.size(); ++i) {
        const auto [frame, part] = changes[i];
        const int x = TimelineColumn(static_cast<double>(frame) / 10);
        SCOPED_TRACE("part " + std::to_string(part) + " from frame " + std::to_string(frame));
        EXPECT_EQ(PixelAt(image, x, row), TimelinePartColour(part));
        if (i > 0) {
            EXPECT_EQ(PixelAt(image, x - 1, row), TimelinePartColour(changes[i - 1].second));
        }
    }
}

} // namespace
