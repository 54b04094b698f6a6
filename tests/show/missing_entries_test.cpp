// Every entry of the show's own pack, taken away one at a time: the part that reads it refuses to
// load with that part's own message, and gives the pool back to its level before the load. The
// entries are laid out as loose files (no archive beside them), so that hiding one is a rename.
#include <filesystem>
#include <functional>
#include <fstream>
#include <string>
#include <vector>

#include "resources/memory_pool.h"
#include "resources/pack_archive.h"
#include "support/part_harness.h"
#include "show/part_support.h"
#include "show/parts.h"
#include "show/sequencer_state.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

fs::path LoosePath(const fs::path& folder, const std::string& name)
{
    fs::path path = folder;
    size_t start = 0;
    for (size_t slash = name.find('\\'); slash != std::string::npos; slash = name.find('\\', start)) {
        path /= name.substr(start, slash - start);
        start = slash + 1;
    }
    return path / name.substr(start);
}

// The message the show gives when `name` is missing; empty when no part's load depends on it.
std::string ExpectedMessage(const std::string& name)
{
    const auto startsWith = [&](const char* prefix) { return name.rfind(prefix, 0) == 0; };
    if (startsWith("CREDITS\\") || startsWith("FINALPIC\\") || name == "PICS\\FOND.BMP")
        return "Un fichier BMP des credits est introuvable";
    if (startsWith("TRANSIT\\")) return "Le fichier " + name + " est introuvable";
    if (name == "LOADING\\LOAD.BMP" || name == "PICS\\CLUBBER.BMP") return "Fichier " + name + " introuvable.";
    if (startsWith("LOADING\\")) return "Fichier AnimLoading introuvable.";
    if (startsWith("GREETING\\")) return "Un fichier BMP des greetings est introuvable";
    if (name.ends_with(".FSF")) return "File error";
    if (startsWith("SCENES\\")) {
        // A texture: its own name in the engine's fixed twelve-character slot.
        std::string file = name.substr(name.rfind('\\') + 1);
        file.resize(12, ' ');
        return "Error: File  " + file + " acces error or invalid BMP format";
    }
    return {}; // the modules: a part without its module plays silently
}

using MissingEntryTest = PartTest;

TEST_F(MissingEntryTest, EveryEntryOfTheShowsPackIsMissedWithItsPartsMessage)
{
    UseContentPack();
    const fs::path folder = ScratchDir("missing-entries");
    std::vector<std::string> names;
    for (uint32_t i = 0; i < PackEntryCount(); ++i) {
        PackEntryInfo entry{};
        ASSERT_TRUE(PackEntryAt(i, &entry));
        std::vector<uint8_t> bytes(entry.size);
        ASSERT_EQ(ReadPackEntry(entry.name, bytes.data(), 0, entry.size), 0) << entry.name;
        const fs::path path = LoosePath(folder, entry.name);
        fs::create_directories(path.parent_path());
        WriteFileBytes(path, bytes);
        names.push_back(entry.name);
    }
    ClosePack();
    ASSERT_GE(names.size(), 80u);
    OpenPack((folder / "VELA.PAK").c_str()); // no such archive: every entry is a loose file

    // Each part's load in show order, then the fifth scene, which part four loads as it plays.
    const std::vector<std::function<int32_t()>> loads = {
        LoadPart1, LoadPart2, LoadPart3, LoadPart4,
        [] {
            Scene scene{};
            const int32_t e = LoadPartScene(&scene, "SCENES\\PLAN_5\\PLAN5.FSF");
            if (e == 0) FreePartScene(&scene);
            return e;
        },
    };
    const std::vector<void (*)()> frees = {FreePart1, FreePart2, FreePart3, FreePart4, [] {}};

    int32_t failures = 0;
    for (const std::string& name : names) {
        const fs::path path = LoosePath(folder, name);
        fs::rename(path, path.string() + ".hidden");
        std::string message;
        for (size_t part = 0; part < loads.size() && message.empty(); ++part) {
            sequencer.errorMessage = nullptr;
            const size_t poolBefore = PoolBytesInUse();
            if (loads[part]() == 0) {
                frees[part]();
                continue;
            }
            message = sequencer.errorMessage ? sequencer.errorMessage : "(no message)";
            EXPECT_EQ(PoolBytesInUse(), poolBefore) << name;
            ++failures;
        }
        EXPECT_EQ(message, ExpectedMessage(name)) << name;
        fs::rename(path.string() + ".hidden", path);
    }
    EXPECT_EQ(failures, static_cast<int32_t>(names.size()) - 3); // all but the three modules
    ClosePack();
}

} // namespace
