#include "command_line/command_line.h"

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

std::vector<std::string> CommandLine::Values(const char* name) const
{
    std::vector<std::string> values;
    for (const auto& [option, value] : given) {
        if (option == name) values.push_back(value);
    }
    return values;
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

