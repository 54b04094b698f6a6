// The credits of part one: grey lettering on black, 320x180, whose palette index is the grey
// level (the reveal effect reads the indices as greys). Five role cards and the two title cards.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace content {

// A role in spaced capitals between a small star and a rule, with a line in italics below.
std::vector<uint8_t> MakeRoleCredit(const std::string& role, const std::string& line);
// Title card 1: the show's name. Title card 2: the same name in the same place, with its
// subtitle, so that the first dissolves into the second around the name.
std::vector<uint8_t> MakeTitleCard();
std::vector<uint8_t> MakeSubtitleCard();

} // namespace content
