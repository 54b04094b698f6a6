// Where the names a command is given are read from. With --pack PAK a name is an entry of that
// archive (or a loose file beside it, as in the show). Without it the name is a path the user
// typed: the file's own folder becomes the root for it and for the names the file refers to
// (a scene's textures and flare pictures), which stay confined below that folder.
#pragma once

#include <string>

// Opens the archive for the names that follow. A CommandFailure naming `subject` (the entry
// asked for, or the archive) when the archive cannot be read or its directory is damaged. The
// caller closes it with ClosePack.
void OpenArchiveFor(const std::string& pack, const std::string& subject);

// Makes the file at `path` readable through the pack archive's loose files: its folder becomes
// the loose root, and the name to ask for (its file name) is returned.
std::string UseFileFolder(const std::string& path);

// What keeps the file at `path` from being read: "no such file", "a directory, not a file",
// "empty file" or the system's reason; empty when it is a readable file with bytes in it.
std::string FileProblem(const std::string& path);

// The same for `name` in the archive `pack` that is open: "not in PAK, nor a loose file beside
// it", "empty entry"; empty when there are bytes to read.
std::string EntryProblem(const std::string& name, const std::string& pack);

// FileProblem or EntryProblem, whichever applies (`pack` empty: a path).
std::string InputProblem(const std::string& name, const std::string& pack);
