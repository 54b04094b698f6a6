// velatool pak: builds pack archives from files, lists their directories, extracts entries
// through the show's own reader and verifies every member.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/pack_writer.h"
#include "resources/pack_archive.h"
#include "velatool/commands.h"
#include "velatool/options.h"
#include "velatool/output_files.h"

const char kPakUsage[] =
    "usage: velatool pak create OUT.PAK [--method store|deflate|gzip] [--descriptor] NAME=FILE ... | --dir DIR\n"
    "       velatool pak list PAK\n"
    "       velatool pak extract PAK NAME [-o|--out FILE] [--offset N] [--length N]\n"
    "       velatool pak verify PAK\n"
    "\n"
    "create   writes each file as a member (deflated zip by default; --descriptor puts the sizes\n"
    "         and CRC-32 after the data), then the directory and the trailer. With --dir, every\n"
    "         file below DIR becomes an entry named by its relative path with backslashes.\n"
    "         Two entries may not share a name: names are matched without case.\n"
    "list     one line per directory record: name, offset, size, member kind, method.\n"
    "extract  copies an entry (or the range --offset/--length of it) to FILE or standard output;\n"
    "         a name the archive lacks is read from the loose file beside it.\n"
    "verify   decodes every member; prints each name with OK or what is wrong with it.\n"
    "\n"
    "Exit status: 0 done; 1 a file missing, unreadable or not a pack archive, an entry neither\n"
    "in the archive nor beside it, a write error, a member verify finds damaged or a directory\n"
    "record whose size is wrong; 2 usage. extract ends as the show does on a damaged member,\n"
    "after a \"funzip error\" line: 3 for headers or framing that are broken or cut short, 4\n"
    "for compressed data that is damaged or fails its CRC-32 or length check, 1 when memory\n"
    "runs out. A failed extract or create leaves no file behind, and a file of that name stays\n"
    "as it was.\n";

namespace {

namespace fs = std::filesystem;

int Fail(const char* command, const std::string& message)
{
    std::fprintf(stderr, "velatool pak %s: %s\n", command, message.c_str());
    return 1;
}

[[noreturn]] void Usage(const std::string& problem) { throw UsageError{problem}; }

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* error)
{
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        *error = path + ": cannot open: " + std::strerror(errno);
        return false;
    }
    bytes->clear();
    uint8_t buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes->insert(bytes->end(), buffer, buffer + n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    if (!ok) *error = path + ": read error";
    return ok;
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error)
{
    FILE* f = OpenOutput(path, error);
    if (!f) return false;
    const bool ok = CloseOutput(f, path, std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size());
    if (!ok) *error = OutputName(path) + ": write error";
    return ok;
}

int Create(int argc, char** argv)
{
    const CommandLine line =
        ReadCommandLine(argc, argv, 2, {{"--method", true}, {"--descriptor", false}, {"--dir", true}});
    const std::string m = ChoiceValue(line.Value("--method", "deflate"), "--method", {"store", "deflate", "gzip"});
    const PackMethod method = m == "store" ? PackMethod::Store : m == "gzip" ? PackMethod::Gzip : PackMethod::Deflate;
    const bool descriptor = line.Has("--descriptor");
    std::string dir = line.Value("--dir");
    if (line.Has("--dir") && dir.empty()) Usage("--dir needs a folder");
    std::string out;
    std::vector<std::pair<std::string, std::string>> inputs; // entry name, file
    for (const std::string& a : line.words) {
        if (out.empty()) {
            out = a;
            continue;
        }
        size_t eq = a.find('=');
        if (eq == std::string::npos || eq == 0 || eq + 1 == a.size()) Usage("'" + a + "' is not NAME=FILE");
        inputs.emplace_back(a.substr(0, eq), a.substr(eq + 1));
    }
    if (out.empty()) Usage("create needs the archive to write");
    if (descriptor && method == PackMethod::Gzip) Usage("--descriptor applies to zip members only");
    if (!dir.empty() && !inputs.empty()) Usage("give either NAME=FILE pairs or --dir, not both");
    if (dir.empty() && inputs.empty()) Usage("create needs NAME=FILE pairs or --dir DIR");

    if (!dir.empty()) {
        std::error_code ec;
        if (!fs::is_directory(dir, ec)) return Fail("create", dir + ": not a folder");
        std::vector<std::pair<std::string, std::string>> found;
        for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            if (!it->is_regular_file(ec)) continue;
            // The archive being written may lie in the folder (from an earlier run): never pack it.
            std::error_code same;
            if (fs::equivalent(it->path(), out, same)) continue;
            std::string name = fs::relative(it->path(), dir, ec).generic_string();
            std::replace(name.begin(), name.end(), '/', '\\');
            found.emplace_back(name, it->path().string());
        }
        if (ec) return Fail("create", dir + ": " + ec.message());
        std::sort(found.begin(), found.end());
        inputs = found;
    }
    // The reader matches names without case and finds only the last record of a name, so an
    // entry given twice would hide the first one.
    std::vector<std::pair<std::string, std::string>> names; // upper-cased name, file
    for (const auto& [name, file] : inputs) {
        std::string key = name;
        for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        names.emplace_back(key, file);
    }
    std::stable_sort(names.begin(), names.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 1; i < names.size(); ++i) {
        if (names[i].first != names[i - 1].first) continue;
        const std::string problem = "two entries named " + names[i].first + " (from " + names[i - 1].second + " and " +
                                    names[i].second + ")";
        if (dir.empty()) Usage(problem);
        return Fail("create", problem);
    }

    PackBuilder pack;
    std::string error;
    for (const auto& [name, file] : inputs) {
        std::vector<uint8_t> bytes;
        if (!ReadWholeFile(file, &bytes, &error)) return Fail("create", error);
        if (bytes.size() > UINT32_MAX || pack.bytes.size() + bytes.size() > UINT32_MAX - 65536)
            return Fail("create", file + ": the archive would pass 4 GiB");
        AddPackEntry(&pack, name, bytes, method, descriptor);
    }
    std::vector<uint8_t> archive = FinishPack(pack);
    if (archive.size() > UINT32_MAX) return Fail("create", "the archive would pass 4 GiB");
    if (!WriteWholeFile(out, archive, &error)) return Fail("create", error);
    return 0;
}

// Opens the archive for list and verify, which need a sound directory.
bool OpenExisting(const char* command, const std::string& path, int* status)
{
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        *status = Fail(command, path + ": is a directory, not a pack archive");
        return false;
    }
    // The smallest archive is its 8-byte trailer.
    const uintmax_t size = fs::file_size(path, ec);
    if (!ec && size < 8) {
        *status = Fail(command, path + (size == 0 ? ": empty file, not a pack archive" : ": too short for a pack archive"));
        return false;
    }
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        *status = Fail(command, path + ": cannot open: " + std::strerror(errno));
        return false;
    }
    std::fclose(f);
    OpenPack(path.c_str());
    if (PackDirectoryDamaged()) {
        *status = Fail(command, path + ": not a usable pack archive");
        return false;
    }
    return true;
}

int List(int argc, char** argv)
{
    const CommandLine line = ReadCommandLine(argc, argv, 2, {});
    if (line.words.size() != 1) Usage("list takes one archive");
    int status = 0;
    if (!OpenExisting("list", line.words[0], &status)) return status;
    for (uint32_t i = 0; i < PackEntryCount(); ++i) {
        PackEntryInfo e{};
        PackEntryAt(i, &e);
        bool gzip = false, deflated = false;
        bool known = PackEntryKind(i, &gzip, &deflated);
        std::printf("%s %u %u %s %s\n", e.name, e.offset, e.size, known ? (gzip ? "gzip" : "zip") : "unknown",
                    known ? (deflated ? "deflated" : "stored") : "unknown");
    }
    ClosePack();
    return 0;
}

int Verify(int argc, char** argv)
{
    const CommandLine line = ReadCommandLine(argc, argv, 2, {});
    if (line.words.size() != 1) Usage("verify takes one archive");
    int status = 0;
    if (!OpenExisting("verify", line.words[0], &status)) return status;
    int damaged = 0;
    for (uint32_t i = 0; i < PackEntryCount(); ++i) {
        PackEntryInfo e{};
        PackEntryAt(i, &e);
        const char* message = nullptr;
        int32_t code = CheckPackEntry(i, &message);
        if (code == 0) {
            std::printf("%s: OK\n", e.name);
        } else {
            std::printf("%s: %s\n", e.name, message);
            ++damaged;
        }
    }
    ClosePack();
    if (damaged) std::fprintf(stderr, "velatool pak verify: %d damaged member%s\n", damaged, damaged == 1 ? "" : "s");
    return damaged ? 1 : 0;
}

// Where extracted bytes go: the part of the contents in [offset, end) is written to the file.
struct ExtractRange {
    FILE* file;
    uint64_t offset, end;
    uint64_t position = 0;
    bool failed = false;
};

void WriteRange(const uint8_t* bytes, size_t count, void* context)
{
    auto* r = static_cast<ExtractRange*>(context);
    const uint64_t lo = std::max(r->position, r->offset), hi = std::min(r->position + count, r->end);
    if (lo < hi && !r->failed && std::fwrite(bytes + (lo - r->position), 1, hi - lo, r->file) != hi - lo) r->failed = true;
    r->position += count;
}

int Extract(int argc, char** argv)
{
    const CommandLine line =
        ReadCommandLine(argc, argv, 2, {{"--out", true, "-o"}, {"--offset", true}, {"--length", true}});
    if (line.words.size() < 2) Usage("extract needs an archive and a name");
    if (line.words.size() > 2) Usage("extract takes one archive and one name");
    const std::string& pak = line.words[0];
    const std::string& name = line.words[1];
    const std::string out = line.Value("--out");
    const auto offset = static_cast<uint32_t>(WholeNumberValue(line.Value("--offset", "0"), "--offset", 0, UINT32_MAX));
    const bool haveLength = line.Has("--length");
    const auto length = static_cast<uint32_t>(WholeNumberValue(line.Value("--length", "0"), "--length", 0, UINT32_MAX));

    // The contents are streamed to the output as they are decoded: nothing of the size the
    // directory claims is ever held in memory or trusted.
    const std::string target = out.empty() ? "-" : out;
    std::string openError;
    FILE* file = OpenOutput(target, &openError);
    if (!file) return Fail("extract", openError);
    ExtractRange range{file, offset, haveLength ? uint64_t{offset} + length : UINT64_MAX};
    OpenPack(pak.c_str());
    const uint32_t recorded = PackEntrySize(name.c_str());
    const bool inArchive = PackHasEntry(name.c_str());
    uint64_t size = 0;
    const int32_t status = StreamPackEntry(name.c_str(), WriteRange, &range, &size);
    ClosePack();
    const bool sound = status == 0 && !(inArchive && size != recorded);
    const bool written = CloseOutput(file, target, sound && !range.failed);
    std::string problem;
    if (status != 0) problem = name + ": not in " + pak + " and no loose file of that name";
    else if (!sound)
        problem = name + ": the directory gives " + std::to_string(recorded) + " bytes, the member holds " +
                  std::to_string(size);
    else if (!written) problem = OutputName(target) + ": write error";
    if (problem.empty()) return 0;
    return Fail("extract", problem);
}

} // namespace

int RunPakCommand(int argc, char** argv)
{
    return RunCommand("pak", kPakUsage, [&] {
        const std::string sub = ReadSubcommand(argc, argv);
        if (sub == "create") return Create(argc, argv);
        if (sub == "list") return List(argc, argv);
        if (sub == "extract") return Extract(argc, argv);
        if (sub == "verify") return Verify(argc, argv);
        Usage("unknown subcommand '" + sub + "'");
    });
}
