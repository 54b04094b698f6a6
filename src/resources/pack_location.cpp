#include "resources/pack_location.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Empty when the file can serve as an archive, else what is wrong with it.
std::string ArchiveProblem(const std::string& path)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return std::strerror(errno);
    if (S_ISDIR(st.st_mode)) return "it is a folder";
    if (!S_ISREG(st.st_mode)) return "it is not a file";
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return std::strerror(errno);
    std::fclose(file);
    if (st.st_size == 0) return "the file is empty";
    return "";
}

std::string Normal(const fs::path& p) { return p.lexically_normal().string(); }

} // namespace

bool LocatePack(const char* named, const std::string& programPath, PackLocation* location)
{
    *location = PackLocation{};
    if (named) {
        location->path = named;
        const std::string problem = ArchiveProblem(named);
        if (!problem.empty()) {
            location->message = "cannot use the pack archive '" + std::string(named) + "': " + problem;
            return false;
        }
        location->found = true;
        return true;
    }

    std::error_code error;
    fs::path workingFolder = fs::current_path(error);
    if (error) workingFolder = ".";
    const fs::path programFolder = fs::absolute(fs::path(programPath), error).parent_path();
    struct Candidate {
        std::string path;
        std::string shown; // the folder, as the message names it
    };
    std::vector<Candidate> candidates;
    candidates.push_back({"VELA.PAK", Normal(workingFolder)});
    const fs::path shareFolder = programFolder / ".." / "share" / "vela";
    candidates.push_back({Normal(shareFolder / "VELA.PAK"), Normal(shareFolder)});
    // A program still in its build tree has the generated pack below it.
    if (fs::exists(programFolder / "CMakeCache.txt", error)) {
        candidates.push_back({Normal(programFolder / "content" / "VELA.PAK"), Normal(programFolder / "content")});
    }
    candidates.push_back({Normal(programFolder / "VELA.PAK"), Normal(programFolder)});

    std::vector<std::string> folders;
    for (const Candidate& c : candidates) {
        if (ArchiveProblem(c.path).empty()) {
            location->path = c.path;
            location->found = true;
            return true;
        }
        bool named = false;
        for (const std::string& f : folders) named = named || f == c.shown;
        if (!named) folders.push_back(c.shown);
    }
    std::string places;
    for (size_t i = 0; i < folders.size(); ++i) {
        if (i > 0) places += i + 1 == folders.size() ? " or " : ", ";
        places += folders[i];
    }
    location->path = "VELA.PAK";
    location->places = places;
    location->workingFolder = Normal(workingFolder);
    location->message = "no usable VELA.PAK in " + places + "; reading loose files from the working folder " +
                        Normal(workingFolder) + " instead";
    return true;
}

std::string RunningProgramPath(const char* argv0)
{
    std::error_code error;
    fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (error) return argv0 ? argv0 : "";
    return self.string();
}
