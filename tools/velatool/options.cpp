// Reading velatool command lines and ending commands with the right status and text.
#include "velatool/options.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "resources/pack_archive.h"
#include "velatool/output_files.h"

namespace {

bool IsHelp(const std::string& word) { return word == "--help" || word == "-h"; }

// An option word: "-x" or "--name", but not "-" alone.
bool LooksLikeOption(const std::string& word) { return word.size() > 1 && word[0] == '-'; }

const OptionRule* FindRule(const std::vector<OptionRule>& rules, const std::string& word)
{
    for (const OptionRule& rule : rules) {
        if (word == rule.name || (rule.alias && word == rule.alias)) return &rule;
    }
    return nullptr;
}

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

bool CommandLine::Has(const char* name) const
{
    for (const auto& [option, value] : given) {
        if (option == name) return true;
    }
    return false;
}

std::string CommandLine::Value(const char* name, const std::string& fallback) const
{
    for (auto it = given.rbegin(); it != given.rend(); ++it) {
        if (it->first == name) return it->second;
    }
    return fallback;
}

void CommandLine::Allow(std::initializer_list<const char*> allowed, const std::string& subcommand) const
{
    for (const auto& entry : given) {
        bool known = false;
        for (const char* name : allowed) known = known || entry.first == name;
        if (!known) throw UsageError{entry.first + " does not apply to " + subcommand};
    }
}

CommandLine ReadCommandLine(int argc, char** argv, int first, const std::vector<OptionRule>& rules)
{
    CommandLine line;
    bool optionsEnded = false;
    for (int i = first; i < argc; ++i) {
        const std::string word = argv[i];
        if (optionsEnded || !LooksLikeOption(word)) {
            line.words.push_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        if (IsHelp(word)) throw HelpRequested{};
        // "--name=value" for long options.
        const size_t equals = word.rfind("--", 0) == 0 ? word.find('=') : std::string::npos;
        const std::string name = word.substr(0, equals);
        const OptionRule* rule = FindRule(rules, name);
        if (!rule) throw UsageError{"unknown option '" + name + "'"};
        std::string value;
        if (equals != std::string::npos) {
            if (!rule->takesValue) throw UsageError{std::string(rule->name) + " takes no value"};
            value = word.substr(equals + 1);
        } else if (rule->takesValue) {
            if (i + 1 >= argc) throw UsageError{"missing value for " + name};
            value = argv[++i];
        }
        line.given.emplace_back(rule->name, value);
    }
    return line;
}

std::string ReadSubcommand(int argc, char** argv)
{
    if (argc < 2) throw UsageError{"a subcommand is needed"};
    const std::string word = argv[1];
    if (IsHelp(word)) throw HelpRequested{};
    if (LooksLikeOption(word)) throw UsageError{"a subcommand comes first, before '" + word + "'"};
    return word;
}

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

int RunCommand(const char* name, const char* usage, const std::function<int()>& body)
{
    // A damaged pack member ends the process from inside the reader: no unfinished output stays.
    SetPackFailureHook(DiscardOpenOutputs);
    int status = 0;
    try {
        status = body();
    } catch (const HelpRequested&) {
        std::fputs(usage, stdout);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "velatool %s: %s\nsee 'velatool %s --help'\n", name, e.problem.c_str(), name);
        status = 2;
    } catch (const CommandFailure& f) {
        if (!f.message.empty()) std::fprintf(stderr, "velatool %s: %s\n", name, f.message.c_str());
        status = f.status;
    }
    SetPackFailureHook(nullptr);
    return status;
}
