#include "support/reference_pictures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

void ExpectMatchesReference(const std::string& group, const std::string& name, const RgbImage& actual)
{
    const std::string file = name + ".png";
    const fs::path stored = fs::path(VELA_SOURCE_DIR) / "tests" / "reference" / group / file;
    std::string error;
    const char* update = std::getenv("VELA_UPDATE_REFERENCES");
    if (update && std::string(update) == "1") {
        fs::create_directories(stored.parent_path());
        ASSERT_TRUE(WritePng(stored.string(), actual, &error)) << error;
        return;
    }
    RgbImage expected;
    const bool have = ReadPng(stored.string(), &expected, &error);
    const bool sized = have && expected.width == actual.width && expected.height == actual.height;
    int64_t differing = 0;
    if (sized) {
        for (size_t i = 0; i < actual.rgb.size(); i += 3) {
            if (actual.rgb[i] != expected.rgb[i] || actual.rgb[i + 1] != expected.rgb[i + 1] ||
                actual.rgb[i + 2] != expected.rgb[i + 2])
                ++differing;
        }
    }
    if (sized && differing == 0) return;
    const fs::path review = fs::path(VELA_BINARY_DIR) / "test-output" / "reference-actual" / group / file;
    fs::create_directories(review.parent_path());
    std::string writeError;
    WritePng(review.string(), actual, &writeError);
    if (!have) {
        ADD_FAILURE() << file << ": no stored picture (" << error << "); the drawing is in " << review
                      << "; VELA_UPDATE_REFERENCES=1 stores it";
    } else if (!sized) {
        ADD_FAILURE() << file << ": stored picture is " << expected.width << "x" << expected.height << ", drawn "
                      << actual.width << "x" << actual.height << "; the drawing is in " << review;
    } else {
        ADD_FAILURE() << file << ": " << differing << " of " << actual.width * actual.height
                      << " pixels differ from the stored picture; the drawing is in " << review;
    }
}
