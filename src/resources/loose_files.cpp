// Case-insensitive resolution of resource names on a case-sensitive file system, confined
// to the folder the names are relative to.
#include "resources/loose_files.h"

#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool SameWithoutCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

bool Exists(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// The entry of `directory` whose name equals `component` ignoring case; the first in byte
// order when several do, so the choice does not depend on the directory's order.
std::string FindWithoutCase(const std::string& directory, std::string_view component)
{
    DIR* dir = opendir(directory.c_str());
    if (!dir) return {};
    std::string best;
    while (dirent* entry = readdir(dir)) {
        std::string_view candidate(entry->d_name);
        if (SameWithoutCase(candidate, component) && (best.empty() || candidate < best)) best = candidate;
    }
    closedir(dir);
    return best;
}

std::string RealPath(const std::string& path)
{
    char buffer[PATH_MAX];
    return realpath(path.c_str(), buffer) ? std::string(buffer) : std::string();
}

} // namespace

std::string ResolveLooseFile(const std::string& folder, const char* name)
{
    std::string_view rest(name ? name : "");
    if (rest.empty() || IsSeparator(rest[0])) return {};
    if (rest.size() >= 2 && rest[1] == ':') return {}; // a drive letter

    std::vector<std::string_view> components;
    while (!rest.empty()) {
        size_t cut = 0;
        while (cut < rest.size() && !IsSeparator(rest[cut])) ++cut;
        std::string_view part = rest.substr(0, cut);
        rest.remove_prefix(cut < rest.size() ? cut + 1 : cut);
        if (part.empty() || part == ".") continue;
        if (part == "..") return {};
        components.push_back(part);
    }
    if (components.empty()) return {};

    const std::string base = folder.empty() ? std::string(".") : folder;
    std::string path = base;
    for (std::string_view part : components) {
        std::string exact = path + "/" + std::string(part);
        if (Exists(exact)) {
            path = exact;
            continue;
        }
        std::string found = FindWithoutCase(path, part);
        if (found.empty()) return {};
        path += "/" + found;
    }

    // Links inside the folder must not lead out of it.
    std::string realBase = RealPath(base), realFile = RealPath(path);
    if (realBase.empty() || realFile.empty()) return {};
    if (realBase != "/" && (realFile.size() <= realBase.size() || realFile.compare(0, realBase.size(), realBase) != 0 ||
                            realFile[realBase.size()] != '/'))
        return {};
    return path;
}

std::FILE* OpenLooseFile(const std::string& folder, const char* name, uint64_t* size)
{
    const std::string path = ResolveLooseFile(folder, name);
    struct stat st;
    if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file) *size = static_cast<uint64_t>(st.st_size);
    return file;
}
