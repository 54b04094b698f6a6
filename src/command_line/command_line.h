// The words of a command line, read the same way by every program (vela, velatool and the
// content generator): named options with or without a value, positional words and --help. A
// program reads them into its own options struct and turns a UsageError into one line, where
// its help is, and status 2.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

// A problem with the words a program was given.
struct UsageError {
    std::string problem;
};

// Thrown where --help or -h is met.
struct HelpRequested {};

// One named option: its long name ("--pack"), an optional short name ("-o") and whether a value
// follows it.
struct OptionRule {
    const char* name;
    bool takesValue;
    const char* alias = nullptr;
};

struct CommandLine {
    std::vector<std::string> words;                          // positional words, in order
    std::vector<std::pair<std::string, std::string>> given;  // (long name, value), in order

    bool Has(const char* name) const;
    // The value of the option's last occurrence, or `fallback` when it was not given.
    std::string Value(const char* name, const std::string& fallback = {}) const;
    // Every value given for the option, in order.
    std::vector<std::string> Values(const char* name) const;
    // Refuses every given option outside `allowed`: "--out does not apply to info".
    void Allow(std::initializer_list<const char*> allowed, const std::string& subcommand) const;
};

// Reads argv[first] .. argv[argc - 1]: "--name value", "--name=value", "-o value", options
// without a value, and positional words. "--" makes every later word positional, and a lone "-"
// (standard input or output) is a positional word. A value is the next word whatever it looks
// like, so "--at -2,3" and "--out -" work. Throws HelpRequested for --help or -h, UsageError for
// an unknown option, a value given to an option without one, or a missing value.
CommandLine ReadCommandLine(int argc, char** argv, int first, const std::vector<OptionRule>& rules);

// The subcommand word at argv[1] of "CMD SUBCOMMAND ...": a usage error when there is none,
// HelpRequested for --help or -h there, a usage error for any other option there.
std::string ReadSubcommand(int argc, char** argv);
