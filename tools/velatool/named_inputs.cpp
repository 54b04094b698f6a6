// Archives, file paths and what keeps a named input from being read.
#include "velatool/named_inputs.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>

#include "resources/pack_archive.h"
#include "velatool/options.h"

namespace fs = std::filesystem;

void OpenArchiveFor(const std::string& pack, const std::string& subject)
{
    const std::string problem = FileProblem(pack);
    if (!problem.empty()) {
        throw CommandFailure{subject == pack ? pack + ": cannot open the archive (" + problem + ")"
                                             : subject + ": cannot open the archive " + pack + " (" + problem + ")"};
    }
    OpenPack(pack.c_str());
    if (PackDirectoryDamaged()) {
        ClosePack();
        throw CommandFailure{subject == pack ? pack + ": damaged archive directory"
                                             : subject + ": the archive " + pack + " has a damaged directory"};
    }
}

std::string UseFileFolder(const std::string& path)
{
    const fs::path p(path);
    ClosePack();
    SetLooseFolder(p.has_parent_path() ? p.parent_path().c_str() : ".");
    return p.filename().string();
}

std::string FileProblem(const std::string& path)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return errno == ENOENT || errno == ENOTDIR ? "no such file" : std::strerror(errno);
    if (S_ISDIR(st.st_mode)) return "a directory, not a file";
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return std::strerror(errno);
    std::fclose(file);
    if (S_ISREG(st.st_mode) && st.st_size == 0) return "empty file";
    return {};
}

std::string EntryProblem(const std::string& name, const std::string& pack)
{
    if (PackEntrySize(name.c_str()) > 0) return {};
    if (PackHasEntry(name.c_str())) return "empty entry";
    return "not in " + pack + ", nor a loose file beside it";
}

std::string InputProblem(const std::string& name, const std::string& pack)
{
    return pack.empty() ? FileProblem(name) : EntryProblem(name, pack);
}
