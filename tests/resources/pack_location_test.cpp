// Finding the pack archive: the named file or an error naming it; otherwise the working
// folder, the installation's data folder, the build tree and the program's folder, in that
// order, skipping unusable files; and one line saying where it looked when none is there.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "resources/pack_location.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

void WriteFile(const fs::path& path, size_t size)
{
    fs::create_directories(path.parent_path());
    WriteFileBytes(path, std::vector<uint8_t>(size, 'P'));
}

// A scratch tree: an installation (prefix/bin, prefix/share/vela), a build tree and a working
// folder, with the working folder current for the test's duration.
class PackLocationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = ScratchDir("pack_location");
        work = root / "work";
        fs::create_directories(work);
        saved = fs::current_path();
        fs::current_path(work);
        installed = (root / "prefix" / "bin" / "vela").string();
        built = (root / "build" / "vela").string();
        WriteFile(installed, 4);
        WriteFile(built, 4);
        WriteFile(root / "build" / "CMakeCache.txt", 4);
    }
    void TearDown() override { fs::current_path(saved); }

    PackLocation Locate(const char* named, const std::string& program, bool expected = true)
    {
        PackLocation location;
        EXPECT_EQ(LocatePack(named, program, &location), expected) << location.message;
        return location;
    }

    fs::path root, work, saved;
    std::string installed, built;
};

TEST_F(PackLocationTest, ANamedArchiveMustBeAReadableNonEmptyFile)
{
    WriteFile(work / "good.pak", 8);
    WriteFile(work / "empty.pak", 0);
    PackLocation good = Locate("good.pak", installed);
    EXPECT_EQ(good.path, "good.pak");
    EXPECT_TRUE(good.found);
    EXPECT_TRUE(good.message.empty());

    for (const char* bad : {"missing.pak", "empty.pak", "."}) {
        PackLocation location = Locate(bad, installed, false);
        EXPECT_NE(location.message.find(std::string("'") + bad + "'"), std::string::npos) << location.message;
        EXPECT_EQ(location.message.find('\n'), std::string::npos);
    }
    EXPECT_NE(Locate("missing.pak", installed, false).message.find("No such file"), std::string::npos);
    EXPECT_NE(Locate("empty.pak", installed, false).message.find("empty"), std::string::npos);
    // A named archive that is missing is not replaced by one found elsewhere.
    WriteFile(work / "VELA.PAK", 8);
    EXPECT_FALSE(Locate("missing.pak", installed, false).found);
}

TEST_F(PackLocationTest, TheWorkingFolderComesFirstThenTheInstallation)
{
    WriteFile(root / "prefix" / "share" / "vela" / "VELA.PAK", 8);
    EXPECT_EQ(Locate(nullptr, installed).path, (root / "prefix" / "share" / "vela" / "VELA.PAK").string());
    // An empty archive in the working folder is passed over; a real one wins.
    WriteFile(work / "VELA.PAK", 0);
    EXPECT_EQ(Locate(nullptr, installed).path, (root / "prefix" / "share" / "vela" / "VELA.PAK").string());
    WriteFile(work / "VELA.PAK", 8);
    PackLocation location = Locate(nullptr, installed);
    EXPECT_EQ(location.path, "VELA.PAK");
    EXPECT_TRUE(location.message.empty());
}

TEST_F(PackLocationTest, ABuiltProgramFindsTheGeneratedPackThenOneBesideIt)
{
    WriteFile(root / "build" / "VELA.PAK", 8);
    EXPECT_EQ(Locate(nullptr, built).path, (root / "build" / "VELA.PAK").string());
    WriteFile(root / "build" / "content" / "VELA.PAK", 8);
    EXPECT_EQ(Locate(nullptr, built).path, (root / "build" / "content" / "VELA.PAK").string());
    // Outside a build tree there is no content folder to look in.
    WriteFile(root / "prefix" / "bin" / "content" / "VELA.PAK", 8);
    EXPECT_FALSE(Locate(nullptr, installed).found);
}

TEST_F(PackLocationTest, NoneFoundGivesOneLineNamingEveryPlaceAndLooseFiles)
{
    PackLocation location = Locate(nullptr, installed);
    EXPECT_FALSE(location.found);
    EXPECT_EQ(location.path, "VELA.PAK");
    const std::string& m = location.message;
    EXPECT_EQ(m.find('\n'), std::string::npos);
    EXPECT_NE(m.find(fs::current_path().string()), std::string::npos) << m;
    EXPECT_NE(m.find((root / "prefix" / "share" / "vela").string()), std::string::npos) << m;
    EXPECT_NE(m.find((root / "prefix" / "bin").string()), std::string::npos) << m;
    EXPECT_NE(m.find("loose files"), std::string::npos) << m;
    EXPECT_EQ(m.find("/../"), std::string::npos) << m;
}

} // namespace
