// Opening and finishing a command's output file.
#include "velatool/output_files.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

bool IsStandardOutput(const std::string& path) { return path == "-"; }

} // namespace

FILE* OpenOutput(const std::string& path, std::string* error)
{
    if (IsStandardOutput(path)) return stdout;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) *error = path + ": cannot create: " + std::strerror(errno);
    return file;
}

bool CloseOutput(FILE* file, const std::string& path, bool ok)
{
    bool written = std::fflush(file) == 0 && !std::ferror(file) && ok;
    if (IsStandardOutput(path)) return written;
    struct stat st;
    const bool regular = fstat(fileno(file), &st) == 0 && S_ISREG(st.st_mode);
    written = std::fclose(file) == 0 && written;
    if (!written && regular) std::remove(path.c_str());
    return written;
}

std::string OutputName(const std::string& path) { return IsStandardOutput(path) ? "standard output" : path; }
