// The pack archive: the directory read at opening (records validated against the file),
// lookup by upper-cased name with the last match winning, and reads that decode the whole
// member or fall back to loose files beside the archive.
#include "resources/pack_archive.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "resources/loose_files.h"
#include "resources/memory_pool.h"
#include "resources/pack_member.h"
#include "formats/byte_order.h"

namespace {

void (*packFailureHook)() = nullptr;

struct PackEntry {
    char* name; // inside the directory block
    uint32_t offset;
    uint32_t size;
};

struct PackArchive {
    std::string fileName;
    std::string folder; // loose files resolve below it
    uint32_t count = 0;
    char* block = nullptr;
    PackEntry* entries = nullptr;
    bool damaged = false;
    const char* problem = nullptr; // what was wrong with a damaged directory
};

PackArchive archive;

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

void ReleaseDirectory()
{
    PoolFree(archive.entries);
    PoolFree(archive.block);
    archive.entries = nullptr;
    archive.block = nullptr;
    archive.count = 0;
}

// Tells once that the archive cannot be used, and leaves only loose files.
void RejectDirectory(const char* problem)
{
    std::fprintf(stderr, "%s: damaged archive directory (%s); reading loose files instead\n",
                 archive.fileName.c_str(), problem);
    ReleaseDirectory();
    archive.damaged = true;
    archive.problem = problem;
}

bool ReadAt(FILE* file, uint64_t position, void* out, size_t n)
{
    return fseeko(file, static_cast<off_t>(position), SEEK_SET) == 0 && std::fread(out, 1, n, file) == n;
}

// Reads and checks the trailer and directory; false (after telling why) when damaged.
bool ReadDirectory(FILE* file, uint64_t fileSize)
{
    uint8_t trailer[8];
    if (fileSize < 8 || !ReadAt(file, fileSize - 8, trailer, 8)) {
        RejectDirectory("no room for the trailer");
        return false;
    }
    const uint32_t count = ReadLe32(trailer), directoryOffset = ReadLe32(trailer + 4);
    if (directoryOffset > fileSize - 8) {
        RejectDirectory("directory offset beyond the file");
        return false;
    }
    const uint64_t blockSize = fileSize - 8 - directoryOffset;
    if (uint64_t{count} * 9 > blockSize) { // a record takes at least a 0 byte and two u32
        RejectDirectory("more records than the directory can hold");
        return false;
    }
    const uint64_t tableSize = uint64_t{count} * sizeof(PackEntry);
    if (blockSize >= UINT32_MAX || tableSize >= UINT32_MAX) {
        RejectDirectory("directory too large");
        return false;
    }
    archive.block = static_cast<char*>(PoolAlloc(static_cast<uint32_t>(blockSize) + 1, 4));
    archive.entries = static_cast<PackEntry*>(PoolAlloc(static_cast<uint32_t>(tableSize) + 1, alignof(PackEntry)));
    if (!archive.block || !archive.entries) {
        RejectDirectory("not enough memory for the directory");
        return false;
    }
    if (blockSize && !ReadAt(file, directoryOffset, archive.block, blockSize)) {
        RejectDirectory("directory cannot be read");
        return false;
    }
    char* record = archive.block;
    char* const blockEnd = archive.block + blockSize;
    for (uint32_t i = 0; i < count; ++i) {
        char* terminator = static_cast<char*>(std::memchr(record, 0, blockEnd - record));
        if (!terminator) {
            RejectDirectory("record name without its terminator");
            return false;
        }
        if (blockEnd - (terminator + 1) < 8) {
            RejectDirectory("record runs past the directory");
            return false;
        }
        for (char* c = record; c < terminator; ++c) *c = Upper(*c);
        const uint8_t* fields = reinterpret_cast<const uint8_t*>(terminator + 1);
        PackEntry& entry = archive.entries[i];
        entry.name = record;
        entry.offset = ReadLe32(fields);
        entry.size = ReadLe32(fields + 4);
        if (entry.offset >= directoryOffset) {
            RejectDirectory("entry offset outside the member area");
            return false;
        }
        record = terminator + 9;
    }
    archive.count = count;
    return true;
}

// The last record carrying the upper-cased name, or null.
const PackEntry* FindEntry(const char* name)
{
    if (!archive.count || !name) return nullptr;
    std::string wanted(name);
    for (char& c : wanted) c = Upper(c);
    for (uint32_t i = archive.count; i-- > 0;) {
        if (wanted == archive.entries[i].name) return &archive.entries[i];
    }
    return nullptr;
}

std::string LooseFolder() { return archive.folder.empty() ? std::string(".") : archive.folder; }

// Decodes the entry's member into the range given, or with `sink` into the sink.
MemberResult DecodeEntry(const PackEntry& entry, uint8_t* destination, uint32_t offset, uint32_t length, bool* opened,
                         MemberSink sink = nullptr, void* context = nullptr)
{
    FILE* file = std::fopen(archive.fileName.c_str(), "rb");
    *opened = file != nullptr;
    if (!file) return MemberResult{};
    MemberResult result{};
    if (fseeko(file, entry.offset, SEEK_SET) != 0)
        result = MemberResult{3, "input not a zip or gzip file", false, 0, 0, 0};
    else if (sink)
        result = DecodeMemberTo(file, sink, context);
    else
        result = DecodeMember(file, destination, offset, length);
    std::fclose(file);
    return result;
}

// A damaged member ends the process; stored data whose sizes differ names them first.
void FailOnDamage(const MemberResult& result)
{
    if (!result.exitCode) return;
    if (result.lengthMismatch)
        std::fprintf(stderr, "len %ld, siz %ld\n", static_cast<long>(result.storedUncompressed),
                     static_cast<long>(result.storedCompressed));
    FailPackMember(result.exitCode, result.text);
}

} // namespace

void SetPackFailureHook(void (*beforeExit)()) { packFailureHook = beforeExit; }

void FailPackMember(int32_t exitCode, const char* text)
{
    std::fflush(stdout);
    std::fprintf(stderr, "funzip error: %s\n", text);
    // The hook may read nothing more from the archive; a second failure inside it exits at once.
    if (void (*hook)() = packFailureHook) {
        packFailureHook = nullptr;
        hook();
    }
    // The read may be on a loading thread while the main thread goes on presenting: the process
    // ends without running static destructors under it, once every stream is flushed.
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

void OpenPack(const char* archivePath)
{
    ClosePack();
    archive.fileName = archivePath ? archivePath : "";
    size_t slash = archive.fileName.rfind('/');
    archive.folder = slash == std::string::npos ? std::string(".") : archive.fileName.substr(0, slash + 1);
    if (archive.folder.empty()) archive.folder = "/";

    FILE* file = std::fopen(archive.fileName.c_str(), "rb");
    if (!file) return;
    uint64_t fileSize = 0;
    if (fseeko(file, 0, SEEK_END) == 0) {
        off_t end = ftello(file);
        fileSize = end > 0 ? static_cast<uint64_t>(end) : 0;
    }
    if (fileSize > 0) ReadDirectory(file, fileSize);
    std::fclose(file);
}

uint32_t PackEntrySize(const char* name)
{
    if (const PackEntry* entry = FindEntry(name)) return entry->size;
    uint64_t size = 0;
    std::FILE* file = OpenLooseFile(LooseFolder(), name, &size);
    if (!file) return 0;
    std::fclose(file);
    return size > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(size);
}

int32_t ReadPackEntry(const char* name, void* destination, uint32_t offset, uint32_t length)
{
    if (const PackEntry* entry = FindEntry(name)) {
        bool opened = false;
        MemberResult result = DecodeEntry(*entry, static_cast<uint8_t*>(destination), offset, length, &opened);
        if (!opened) return 1;
        FailOnDamage(result);
        return 0;
    }
    uint64_t size = 0;
    std::FILE* file = OpenLooseFile(LooseFolder(), name, &size);
    if (!file) return 1;
    if (length && fseeko(file, offset, SEEK_SET) == 0) std::fread(destination, 1, length, file);
    std::fclose(file);
    return 0;
}

void ClosePack()
{
    ReleaseDirectory();
    archive.fileName.clear();
    archive.folder.clear();
    archive.damaged = false;
    archive.problem = nullptr;
}

bool PackDirectoryDamaged() { return archive.damaged; }

const char* PackDirectoryProblem() { return archive.damaged ? archive.problem : nullptr; }

void SetLooseFolder(const char* folder) { archive.folder = folder && *folder ? folder : "."; }

uint32_t PackEntryCount() { return archive.count; }

bool PackEntryAt(uint32_t index, PackEntryInfo* entry)
{
    if (index >= archive.count) return false;
    const PackEntry& e = archive.entries[index];
    *entry = PackEntryInfo{e.name, e.offset, e.size};
    return true;
}

bool PackEntryKind(uint32_t index, bool* gzip, bool* deflated)
{
    if (index >= archive.count) return false;
    FILE* file = std::fopen(archive.fileName.c_str(), "rb");
    if (!file) return false;
    MemberKind kind{};
    if (fseeko(file, archive.entries[index].offset, SEEK_SET) == 0) kind = PeekMember(file);
    std::fclose(file);
    *gzip = kind.gzip;
    *deflated = kind.deflated;
    return kind.known;
}

int32_t CheckPackEntry(uint32_t index, const char** message)
{
    *message = nullptr;
    if (index >= archive.count) return 0;
    bool opened = false;
    const PackEntry& entry = archive.entries[index];
    MemberResult result = DecodeEntry(entry, nullptr, 0, 0, &opened);
    if (!opened) {
        *message = "cannot open the archive file";
        return 1;
    }
    *message = result.text;
    if (result.exitCode == 0 && result.size != entry.size) {
        // A sound member the directory describes wrongly: readers would size it by the record.
        static char text[96];
        std::snprintf(text, sizeof text, "the directory gives %u bytes, the member holds %llu", entry.size,
                      static_cast<unsigned long long>(result.size));
        *message = text;
        return 1;
    }
    return result.exitCode;
}

bool PackHasEntry(const char* name) { return FindEntry(name) != nullptr; }

int32_t StreamPackEntry(const char* name, PackSink sink, void* context, uint64_t* size)
{
    *size = 0;
    if (const PackEntry* entry = FindEntry(name)) {
        bool opened = false;
        MemberResult result = DecodeEntry(*entry, nullptr, 0, 0, &opened, sink, context);
        if (!opened) return 1;
        FailOnDamage(result);
        *size = result.size;
        return 0;
    }
    uint64_t looseSize = 0;
    std::FILE* file = OpenLooseFile(LooseFolder(), name, &looseSize);
    if (!file) return 1;
    uint8_t buffer[65536];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
        sink(buffer, got, context);
        *size += got;
    }
    std::fclose(file);
    return 0;
}
