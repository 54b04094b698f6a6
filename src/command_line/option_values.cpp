#include "command_line/option_values.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

std::string JoinChoices(std::initializer_list<const char*> choices)
{
    std::string text;
    size_t i = 0;
    for (const char* choice : choices) {
        if (i) text += i + 1 == choices.size() ? " or " : ", ";
        text += choice;
        ++i;
    }
    return text;
}

} // namespace

int64_t WholeNumberValue(const std::string& text, const std::string& what, int64_t low, int64_t high)
{
    const char* start = text.c_str();
    const bool negative = *start == '-';
    const char* digits = negative || *start == '+' ? start + 1 : start;
    const bool hex = digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
    if (hex) digits += 2;
    // No sign or blank after the prefix: strtoull would take one.
    const bool wellFormed = *digits && std::strchr("+- \t\n", *digits) == nullptr;
    char* end = nullptr;
    errno = 0;
    const unsigned long long magnitude = std::strtoull(digits, &end, hex ? 16 : 10);
    if (!wellFormed || *end || errno == ERANGE || magnitude > (uint64_t{1} << 62))
        throw UsageError{what + ": '" + text + "' is not a whole number"};
    const int64_t value = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    if (value < low || value > high)
        throw UsageError{what + ": " + text + " is outside " + std::to_string(low) + " .. " + std::to_string(high)};
    return value;
}

double RealNumberValue(const std::string& text, const std::string& what, double low, double high)
{
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || std::strchr(" \t\n", text[0]) || *end || errno == ERANGE || !std::isfinite(value))
        throw UsageError{what + ": '" + text + "' is not a number"};
    if (!(value >= low && value <= high)) {
        char range[96];
        std::snprintf(range, sizeof range, " is outside %g .. %g", low, high);
        throw UsageError{what + ": " + text + range};
    }
    return value;
}

std::vector<int64_t> NumberListValue(const std::string& text, size_t count, char separator, const std::string& what,
                                     int64_t low, int64_t high)
{
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == separator) parts.emplace_back();
        else parts.back() += c;
    }
    if (parts.size() != count) {
        std::string form;
        for (size_t i = 0; i < count; ++i) form += (i ? std::string(1, separator) : "") + "N";
        throw UsageError{what + " is " + form + ", got '" + text + "'"};
    }
    std::vector<int64_t> values;
    for (const std::string& part : parts) values.push_back(WholeNumberValue(part, what, low, high));
    return values;
}

std::string ChoiceValue(const std::string& text, const std::string& what, std::initializer_list<const char*> choices)
{
    for (const char* choice : choices) {
        if (text == choice) return text;
    }
    throw UsageError{what + " is " + JoinChoices(choices) + ", got '" + text + "'"};
}

