// What vela-content is asked to do, read from its command line.
#pragma once

#include <set>
#include <string>

struct ContentOptions {
    std::string out;           // the archive to write, or empty
    std::string dir;           // a folder for loose files, or empty
    std::string icon;          // the desktop icon's PNG, or empty
    std::set<std::string> only; // upper-cased entry names; empty: every entry
    unsigned jobs = 1;         // threads making entries
    bool list = false;         // print the manifest's names
    bool help = false;
    bool version = false;
};

extern const char kContentUsage[];

// Reads argv into the options (the processor count is the default for --jobs). Throws
// UsageError for a word it cannot use or a request with nothing to write.
ContentOptions ReadContentOptions(int argc, char** argv);
