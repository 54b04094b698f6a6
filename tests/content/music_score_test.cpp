// The composed scores: in key, free of semitone clashes on the beats, inside each part's range,
// and the notation and voicing they are written with.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "music/arrange.h"
#include "music/modules.h"
#include "music/notation.h"
#include "music/score_checks.h"

using namespace content::music;

namespace {

std::string Lines(const std::vector<std::string>& faults, size_t most = 12)
{
    std::string text;
    for (size_t i = 0; i < faults.size() && i < most; ++i) text += faults[i] + "\n";
    if (faults.size() > most) text += "... and " + std::to_string(faults.size() - most) + " more\n";
    return text;
}

void ExpectMusical(const Score& score)
{
    const std::vector<std::string> outside = FindNotesOutsideHarmony(score);
    EXPECT_TRUE(outside.empty()) << Lines(outside);
    const std::vector<std::string> clashes = FindClashes(score);
    EXPECT_TRUE(clashes.empty()) << Lines(clashes);
    const std::vector<std::string> range = FindNotesOutOfRange(score);
    EXPECT_TRUE(range.empty()) << Lines(range);
}

} // namespace

TEST(MusicScores, OpeningIsInKeyWithoutClashes) { ExpectMusical(ComposeOpening()); }
TEST(MusicScores, HallOfFireIsInKeyWithoutClashes) { ExpectMusical(ComposeHallOfFire()); }
TEST(MusicScores, StarDeckIsInKeyWithoutClashes) { ExpectMusical(ComposeStarDeck()); }
