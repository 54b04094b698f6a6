// The show's parts run headless in virtual time: a pack of small test pictures and scenes made
// with the writers, the 11 MiB pool, a 320x240 16-bit headless display, and a clock that a
// present moves on by one frame and a wait by what it would have slept. The sync marks and
// key presses a test schedules happen as their time comes, on the main thread.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "formats/png_file.h"
#include "formats/scene_writer.h"

// Entries of a test pack, by name.
using PackEntries = std::map<std::string, std::vector<uint8_t>>;

// Test content for parts one and two: the scenes' background colours and the credits' bands
// are chosen so that each effect can be seen in single pixels.
PackEntries PartOneEntries();
PackEntries PartTwoEntries();
// Greetings are 64x32, greeting g in a colour of its own (red for even g, green for odd g).
PackEntries PartThreeEntries();
// The tile is transparent but for one bright pixel at (160, 100); closing picture i is the grey
// 60 x (i + 1).
PackEntries PartFourEntries();
// A scene with a camera and a background event per (frame, grey) pair, and the named objects
// with looping offset tracks of `keys` keys.
FsfScene BackgroundScene(int32_t lastFrame, const std::vector<std::pair<float, int32_t>>& greys,
                         const std::vector<std::string>& trackedObjects = {}, int32_t keys = 4);

// Column of credit c's bright band (the band is 20 columns wide, rows 60..119).
constexpr int32_t CreditBandColumn(int32_t c) { return 20 + 40 * c; }

class PartTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the entries as a pack and opens it.
    void UsePack(const PackEntries& entries);
    // Opens the show's own content pack.
    void UseContentPack();

    // Virtual milliseconds since SetUp.
    uint32_t Now() const;
    // A sync mark (or Escape) when the virtual clock reaches `ms`.
    void MarkAt(uint32_t ms, uint32_t value);
    void EscapeAt(uint32_t ms);
    // Called for every present with the frame clock and the view as shown.
    std::function<void(int32_t clock, const uint16_t* view)> onPresent;
    // How far a present moves the clock, in milliseconds.
    uint32_t frameMilliseconds = 10;
    int32_t presents = 0;
    // Every volume the parts set, in order.
    std::vector<int32_t> volumes;

    size_t poolAtStart = 0;

    friend class PartTestAccess;
};

// The view as an RGB picture, for reference pictures.
RgbImage ViewPicture(const uint16_t* view);
