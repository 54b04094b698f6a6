// Option values read from their text, each a UsageError naming `what` when the text does not fit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "command_line/command_line.h"

// A whole number, decimal or 0x-prefixed hexadecimal, in low .. high.
int64_t WholeNumberValue(const std::string& text, const std::string& what, int64_t low, int64_t high);
// A finite real number in low .. high.
double RealNumberValue(const std::string& text, const std::string& what, double low, double high);
// `count` whole numbers in low .. high separated by `separator`, such as "12,-4" or "255,0,0".
std::vector<int64_t> NumberListValue(const std::string& text, size_t count, char separator, const std::string& what,
                                     int64_t low, int64_t high);
// One of the words of `choices`: "--depth is 15 or 16, got '24'".
std::string ChoiceValue(const std::string& text, const std::string& what, std::initializer_list<const char*> choices);
