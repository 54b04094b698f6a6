// Fuzzes the archive reader: the input is taken once as a whole archive file (trailer,
// directory, then every member decoded and verified) and once as a lone member decoded
// with a range chosen from its first bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "resources/pack_archive.h"
#include "resources/pack_member.h"

namespace {

const std::string& ArchivePath()
{
    static const std::string path = [] {
        char folder[] = "/tmp/vela-pack-fuzz-XXXXXX";
        if (!mkdtemp(folder)) std::abort();
        static std::string made = folder;
        std::atexit([] {
            std::remove((made + "/FUZZ.PAK").c_str());
            rmdir(made.c_str());
        });
        return made + "/FUZZ.PAK";
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* file = std::fopen(ArchivePath().c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    OpenPack(ArchivePath().c_str());
    for (uint32_t i = 0; i < PackEntryCount(); ++i) {
        PackEntryInfo entry{};
        PackEntryAt(i, &entry);
        bool gzip, deflated;
        PackEntryKind(i, &gzip, &deflated);
        const char* message;
        CheckPackEntry(i, &message);
        PackEntrySize(entry.name);
    }
    ClosePack();

    if (size >= 2) {
        std::vector<uint8_t> bytes(data, data + size);
        FILE* member = fmemopen(bytes.data(), bytes.size(), "rb");
        if (member) {
            const uint32_t offset = data[0] * 257u, length = data[1] * 263u;
            std::vector<uint8_t> out(length);
            DecodeMember(member, out.data(), offset, length);
            std::fclose(member);
        }
    }
    return 0;
}
