// The words of a velatool command line, read the same way by every subcommand: named options
// with or without a value, positional words and --help; and the way a command ends on a bad
// command line (status 2, the problem, then where its help is) or on bad data (status 1 and a
// message naming the file).
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

// A problem with the words a command was given.
struct UsageError {
    std::string problem;
};

// A problem with what a command read or wrote (a file missing, unreadable or damaged). An empty
// message means it has been printed already.
struct CommandFailure {
    std::string message;
    int status = 1;
};

// Thrown where --help or -h is met; RunCommand answers it with the usage text.
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

// Option values, each a usage error naming `what` when the text does not fit.
// A whole number, decimal or 0x-prefixed hexadecimal, in low .. high.
int64_t WholeNumberValue(const std::string& text, const std::string& what, int64_t low, int64_t high);
// A finite real number in low .. high.
double RealNumberValue(const std::string& text, const std::string& what, double low, double high);
// `count` whole numbers in low .. high separated by `separator`, such as "12,-4" or "255,0,0".
std::vector<int64_t> NumberListValue(const std::string& text, size_t count, char separator, const std::string& what,
                                     int64_t low, int64_t high);
// One of the words of `choices`: "--depth is 15 or 16, got '24'".
std::string ChoiceValue(const std::string& text, const std::string& what, std::initializer_list<const char*> choices);

// Runs a command's body and turns how it ended into the exit status: HelpRequested prints
// `usage` to standard output (0); UsageError prints "velatool NAME: problem" and "see 'velatool
// NAME --help'" to the standard error stream (2); CommandFailure prints "velatool NAME:
// message" there (its status).
// A damaged pack member met meanwhile ends the process with its own code, after removing the
// outputs not yet finished.
int RunCommand(const char* name, const char* usage, const std::function<int()>& body);
