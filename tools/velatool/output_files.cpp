// Opening and finishing a command's output file.
#include "velatool/output_files.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "formats/png_file.h"

namespace {

namespace fs = std::filesystem;

bool IsStandardOutput(const std::string& path) { return path == "-"; }

// A file being written under its temporary name.
struct PendingOutput {
    FILE* file;
    std::string temporary, destination;
};
std::vector<PendingOutput> pending;

// The mode a new file gets from fopen (0666 less the umask), or the mode of the file replaced.
mode_t ModeFor(bool replacing, const struct stat& existing)
{
    if (replacing) return existing.st_mode & 07777;
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

} // namespace

FILE* OpenOutput(const std::string& path, std::string* error)
{
    if (IsStandardOutput(path)) return stdout;
    struct stat st{};
    const bool exists = stat(path.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        FILE* file = std::fopen(path.c_str(), "wb");
        if (!file) *error = path + ": cannot create: " + std::strerror(errno);
        return file;
    }
    // A link to a file is kept: the file it leads to is the one replaced.
    std::error_code ec;
    fs::path destination = path;
    if (exists && fs::is_symlink(destination, ec)) destination = fs::canonical(destination, ec);
    if (ec) destination = path;
    fs::path temporary = destination;
    temporary.replace_filename("." + destination.filename().string() + ".XXXXXX");
    std::string name = temporary.string();
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        *error = path + ": cannot create: " + std::strerror(errno);
        return nullptr;
    }
    FILE* file = fchmod(fd, ModeFor(exists, st)) == 0 ? fdopen(fd, "wb") : nullptr;
    if (!file) {
        *error = path + ": cannot create: " + std::strerror(errno);
        close(fd);
        std::remove(name.c_str());
        return nullptr;
    }
    pending.push_back({file, name, destination.string()});
    return file;
}

bool CloseOutput(FILE* file, const std::string& path, bool ok)
{
    bool written = std::fflush(file) == 0 && !std::ferror(file) && ok;
    if (IsStandardOutput(path)) return written;
    written = std::fclose(file) == 0 && written;
    for (auto it = pending.begin(); it != pending.end(); ++it) {
        if (it->file != file) continue;
        written = written && std::rename(it->temporary.c_str(), it->destination.c_str()) == 0;
        if (!written) std::remove(it->temporary.c_str());
        pending.erase(it);
        break;
    }
    return written;
}

void DiscardOpenOutputs()
{
    for (const PendingOutput& output : pending) {
        std::fclose(output.file);
        std::remove(output.temporary.c_str());
    }
    pending.clear();
}

std::string OutputName(const std::string& path) { return IsStandardOutput(path) ? "standard output" : path; }

bool WritePngOutput(const std::string& path, const RgbImage& image, std::string* error)
{
    FILE* file = OpenOutput(path, error);
    if (!file) return false;
    errno = 0;
    const bool encoded = EncodePng(file, PngPixelsOf(image));
    const bool written = CloseOutput(file, path, encoded);
    const int reason = errno;
    if (!written) *error = OutputName(path) + ": cannot write the PNG" + (reason ? std::string(": ") + std::strerror(reason) : "");
    return written;
}
