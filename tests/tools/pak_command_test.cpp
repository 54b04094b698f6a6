#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "formats/pack_writer.h"
#include "support/test_support.h"
#include "velatool/commands.h"

namespace {

namespace fs = std::filesystem;

int Pak(std::initializer_list<std::string> words) { return RunWithWords(RunPakCommand, "pak", words); }

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

class PakCommand : public ::testing::Test {
protected:
    fs::path dir;
    std::string P(const char* name) const { return (dir / name).string(); }
    void SetUp() override
    {
        dir = ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::string big;
        for (int i = 0; i < 50000; ++i) big += std::to_string(i % 977) + ",";
        WriteFileBytes(dir / "big.txt", Bytes(big));
        WriteFileBytes(dir / "small.bin", {1, 2, 3, 4, 5});
    }
};

TEST_F(PakCommand, EveryMethodRoundTripsThroughListAndExtract)
{
    const std::vector<uint8_t> big = ReadFileBytes(dir / "big.txt");
    struct Case {
        std::vector<std::string> options;
        const char* kind;
        const char* method;
    };
    std::vector<Case> cases = {{{"--method", "store"}, "zip", "stored"},
                               {{}, "zip", "deflated"},
                               {{"--descriptor"}, "zip", "deflated"},
                               {{"--method", "store", "--descriptor"}, "zip", "stored"},
                               {{"--method", "gzip"}, "gzip", "deflated"}};
    for (const Case& c : cases) {
        std::vector<std::string> words = {"pak", "create", P("T.PAK")};
        words.insert(words.end(), c.options.begin(), c.options.end());
        words.push_back("DATA\\BIG.TXT=" + P("big.txt"));
        words.push_back("small=" + P("small.bin"));
        std::vector<char*> argv;
        for (std::string& w : words) argv.push_back(w.data());
        ASSERT_EQ(RunPakCommand(static_cast<int>(argv.size()), argv.data()), 0);

        ::testing::internal::CaptureStdout();
        ASSERT_EQ(Pak({"list", P("T.PAK")}), 0);
        std::string listing = ::testing::internal::GetCapturedStdout();
        std::string first = "DATA\\BIG.TXT 0 " + std::to_string(big.size()) + " " + c.kind + " " + c.method + "\n";
        EXPECT_EQ(listing.substr(0, first.size()), first);
        EXPECT_NE(listing.find("SMALL "), std::string::npos) << listing;

        ASSERT_EQ(Pak({"extract", P("T.PAK"), "data\\big.txt", "-o", P("out.txt")}), 0);
        EXPECT_EQ(ReadFileBytes(dir / "out.txt"), big);
        ::testing::internal::CaptureStdout();
        ASSERT_EQ(Pak({"extract", P("T.PAK"), "SMALL", "--offset", "1", "--length", "3"}), 0);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), std::string("\x02\x03\x04"));
        ::testing::internal::CaptureStdout();
        ASSERT_EQ(Pak({"extract", P("T.PAK"), "SMALL", "--offset", "3", "--length", "100"}), 0);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), std::string("\x04\x05"));

        ::testing::internal::CaptureStdout();
        EXPECT_EQ(Pak({"verify", P("T.PAK")}), 0);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), "DATA\\BIG.TXT: OK\nSMALL: OK\n");
    }
}

TEST_F(PakCommand, DirectoriesBecomeBackslashNamedEntries)
{
    fs::create_directories(dir / "tree" / "Pics" / "deep");
    WriteFileBytes(dir / "tree" / "Pics" / "deep" / "a.bmp", {7});
    WriteFileBytes(dir / "tree" / "top.xm", {8, 8});
    ASSERT_EQ(Pak({"create", P("D.PAK"), "--dir", P("tree")}), 0);
    ::testing::internal::CaptureStdout();
    ASSERT_EQ(Pak({"list", P("D.PAK")}), 0);
    std::string listing = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(listing.find("PICS\\DEEP\\A.BMP 0 1 zip deflated\n"), std::string::npos) << listing;
    EXPECT_NE(listing.find("TOP.XM "), std::string::npos) << listing;
    ::testing::internal::CaptureStdout();
    ASSERT_EQ(Pak({"extract", P("D.PAK"), "pics\\deep\\A.bmp"}), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "\x07");
}

TEST_F(PakCommand, ExtractFallsBackToLooseFilesAndFailsForUnknownNames)
{
    ASSERT_EQ(Pak({"create", P("L.PAK"), "A=" + P("small.bin")}), 0);
    fs::create_directories(dir / "Zik");
    WriteFileBytes(dir / "Zik" / "tune.xm", Bytes("loose"));
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(Pak({"extract", P("L.PAK"), "ZIK\\TUNE.XM"}), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "loose");
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Pak({"extract", P("L.PAK"), "NOPE"}), 1);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("NOPE"), std::string::npos);
}

TEST_F(PakCommand, DamagedMembersAreReportedByVerifyAndEndExtract)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    PackBuilder pack;
    AddPackEntry(&pack, "GOOD", {1, 2, 3}, PackMethod::Deflate);
    std::vector<uint8_t> bad = MakeZipMember("BAD", {4, 5, 6}, false, false);
    bad[14] ^= 0xFF; // CRC
    AddRawPackMember(&pack, "BAD", bad, 3);
    WriteFileBytes(dir / "B.PAK", FinishPack(pack));

    ::testing::internal::CaptureStdout();
    EXPECT_NE(Pak({"verify", P("B.PAK")}), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "GOOD: OK\nBAD: invalid compressed data--crc error\n");
    EXPECT_EXIT(Pak({"extract", P("B.PAK"), "BAD"}), ::testing::ExitedWithCode(4),
                "funzip error: invalid compressed data--crc error");

    // Written to a file, the damaged member leaves nothing behind: no output, no temporary, and
    // a file that was there before is untouched. The extract is forked from this test (not run
    // afresh, which would make a scratch folder of its own) so that it writes into `dir`.
    GTEST_FLAG_SET(death_test_style, "fast");
    WriteFileBytes(dir / "kept.bin", Bytes("before"));
    for (const char* out : {"new.bin", "kept.bin"}) {
        EXPECT_EXIT(Pak({"extract", P("B.PAK"), "BAD", "-o", P(out)}), ::testing::ExitedWithCode(4), "crc error");
        std::vector<std::string> left;
        for (const fs::directory_entry& e : fs::directory_iterator(dir)) left.push_back(e.path().filename().string());
        std::sort(left.begin(), left.end());
        EXPECT_EQ(left, (std::vector<std::string>{"B.PAK", "big.txt", "kept.bin", "small.bin"})) << out;
        EXPECT_EQ(ReadFileBytes(dir / "kept.bin"), Bytes("before")) << out;
    }
    GTEST_FLAG_SET(death_test_style, "threadsafe");
}

TEST_F(PakCommand, ADirectoryThatMisstatesASizeIsAnErrorForExtractAndVerify)
{
    PackBuilder pack;
    AddPackEntry(&pack, "TRUE", {1, 2, 3}, PackMethod::Deflate);
    AddPackEntry(&pack, "LIAR", {4, 5, 6, 7}, PackMethod::Deflate);
    pack.records[1].size = 5000; // the member holds 4 bytes
    WriteFileBytes(dir / "S.PAK", FinishPack(pack));

    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Pak({"extract", P("S.PAK"), "LIAR", "-o", P("liar.bin")}), 1);
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("LIAR: the directory gives 5000 bytes, the member holds 4"), std::string::npos) << errors;
    EXPECT_FALSE(fs::exists(dir / "liar.bin")) << "a failed extract leaves no file behind";
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(Pak({"verify", P("S.PAK")}), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "TRUE: OK\nLIAR: the directory gives 5000 bytes, the member holds 4\n");

    // Ranges of a sound entry still come out exactly.
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(Pak({"extract", P("S.PAK"), "TRUE", "--offset", "1", "--length", "5"}), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), std::string("\x02\x03"));
}

TEST_F(PakCommand, AnArchiveWrittenIntoItsOwnFolderIsNotPackedIntoItself)
{
    fs::create_directories(dir / "tree");
    WriteFileBytes(dir / "tree" / "a.bin", {1});
    const std::string out = (dir / "tree" / "OUT.PAK").string();
    ASSERT_EQ(Pak({"create", out, "--dir", P("tree")}), 0);
    ASSERT_EQ(Pak({"create", out, "--dir", P("tree")}), 0);
    ::testing::internal::CaptureStdout();
    ASSERT_EQ(Pak({"list", out}), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "A.BIN 0 1 zip deflated\n");
}

// The reader would only ever find the last of two records of one name (matched without case).
TEST_F(PakCommand, TwoEntriesOfOneNameAreRefused)
{
    fs::create_directories(dir / "tree");
    WriteFileBytes(dir / "tree" / "a.bin", {1});
    WriteFileBytes(dir / "tree" / "A.BIN", {2});
    struct Case {
        std::vector<std::string> words;
        int status;
        std::string problem;
    };
    const std::vector<Case> cases = {
        {{"A=" + P("small.bin"), "A=" + P("big.txt")}, 2, "two entries named A (from "},
        {{"Data\\x=" + P("small.bin"), "B=" + P("big.txt"), "DATA\\X=" + P("big.txt")}, 2, "two entries named DATA\\X"},
        {{"--dir", P("tree")}, 1, "two entries named A.BIN"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> words = {"create", P("X.PAK")};
        words.insert(words.end(), c.words.begin(), c.words.end());
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(RunWithWords(RunPakCommand, "pak", words), c.status) << c.problem;
        const std::string errors = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(errors.find(c.problem), std::string::npos) << errors;
        EXPECT_FALSE(fs::exists(dir / "X.PAK")) << c.problem;
    }
}

TEST_F(PakCommand, BadInvocationsAndFilesFailClearly)
{
    WriteFileBytes(dir / "junk.pak", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Pak({"list", P("missing.pak")}), 1);
    EXPECT_EQ(Pak({"list", P("junk.pak")}), 1);
    EXPECT_EQ(Pak({"verify", P("junk.pak")}), 1);
    WriteFileBytes(dir / "empty.pak", {});
    EXPECT_EQ(Pak({"list", P("empty.pak")}), 1);
    EXPECT_EQ(Pak({"verify", dir.string()}), 1);
    EXPECT_EQ(Pak({"create", P("X.PAK"), "NOEQUALS"}), 2);
    EXPECT_EQ(Pak({"create", P("X.PAK"), "--method", "lzma", "A=" + P("small.bin")}), 2);
    EXPECT_EQ(Pak({"create", P("X.PAK"), "A=" + P("absent.bin")}), 1);
    EXPECT_EQ(Pak({"extract", P("X.PAK"), "A", "--offset", "-1"}), 2);
    EXPECT_EQ(Pak({"frobnicate"}), 2);
    std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("missing.pak: cannot open"), std::string::npos) << errors;
    EXPECT_NE(errors.find("junk.pak: damaged archive directory"), std::string::npos) << errors;
    EXPECT_NE(errors.find("empty.pak: empty file, not a pack archive"), std::string::npos) << errors;
    EXPECT_NE(errors.find(": is a directory, not a pack archive"), std::string::npos) << errors;
    EXPECT_NE(errors.find("absent.bin: cannot open"), std::string::npos) << errors;
    EXPECT_FALSE(fs::exists(dir / "X.PAK"));
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(Pak({"--help"}), 0);
    EXPECT_NE(::testing::internal::GetCapturedStdout().find("velatool pak create"), std::string::npos);
}

} // namespace
