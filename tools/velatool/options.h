// How a velatool command reads its words (the programs' shared command-line reader and option
// values) and how it ends: on a bad command line (status 2, the problem, then where its help is)
// or on bad data (status 1 and a message naming the file).
#pragma once

#include <functional>
#include <string>

#include "command_line/command_line.h"
#include "command_line/option_values.h"

// A problem with what a command read or wrote (a file missing, unreadable or damaged). An empty
// message means it has been printed already.
struct CommandFailure {
    std::string message;
    int status = 1;
};

// Runs a command's body and turns how it ended into the exit status: HelpRequested prints
// `usage` to standard output (0); UsageError prints "velatool NAME: problem" and "see 'velatool
// NAME --help'" to the standard error stream (2); CommandFailure prints "velatool NAME:
// message" there (its status).
// A damaged pack member met meanwhile ends the process with its own code, after removing the
// outputs not yet finished.
int RunCommand(const char* name, const char* usage, const std::function<int()>& body);
