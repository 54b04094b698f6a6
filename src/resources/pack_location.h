// Where the show finds its pack archive: the file the user named, else the first usable
// VELA.PAK in the working folder, in the installation's data folder (../share/vela beside the
// program's folder), in the build tree (content/ beside the built program) or beside the
// program itself.
#pragma once

#include <string>

struct PackLocation {
    std::string path;    // the archive to open; "VELA.PAK" when none was found
    bool found = false;  // false: only loose files in the working folder remain
    std::string message; // one line for the user (without "vela: " and newline), or empty
    std::string places;  // when none was found: the folders looked in ("A, B or C")
    std::string workingFolder; // where loose files are read from
};

// `named` is the path the user gave, or null; `programPath` the running program's file. False
// when the named archive cannot be used (missing, not a file, unreadable or empty); the
// message then says why. A missing VELA.PAK is not an error: the message says where it was
// looked for and that loose files are read instead.
bool LocatePack(const char* named, const std::string& programPath, PackLocation* location);

// The running program's file (from /proc/self/exe, else argv[0]).
std::string RunningProgramPath(const char* argv0);
