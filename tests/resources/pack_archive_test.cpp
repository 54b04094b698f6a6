#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

#include "formats/byte_order.h"
#include "formats/pack_writer.h"
#include "resources/pack_archive.h"
#include "resources/pack_member.h"
#include "support/test_support.h"

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> Pattern(size_t n, uint32_t seed = 1)
{
    // Compressible but not trivial, so deflated members span many windows.
    std::vector<uint8_t> v(n);
    uint32_t x = seed;
    for (size_t i = 0; i < n; ++i) {
        x = x * 1103515245u + 12345u;
        v[i] = static_cast<uint8_t>((i / 7) ^ ((x >> 16) & 3));
    }
    return v;
}

std::vector<uint8_t> ReadAll(const char* name)
{
    std::vector<uint8_t> out(PackEntrySize(name));
    EXPECT_EQ(ReadPackEntry(name, out.data(), 0, static_cast<uint32_t>(out.size())), 0) << name;
    return out;
}

class PackArchiveTest : public ::testing::Test {
protected:
    fs::path dir;
    void SetUp() override { dir = ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name()); }
    void TearDown() override { ClosePack(); }

    std::string Write(const PackBuilder& pack, const char* file = "VELA.PAK")
    {
        WriteFileBytes(dir / file, FinishPack(pack));
        return (dir / file).string();
    }
};

TEST_F(PackArchiveTest, EveryMemberKindReadsTheSameContents)
{
    const std::vector<uint8_t> contents = Pattern(100000);
    PackBuilder pack;
    AddPackEntry(&pack, "A\\STORED.BIN", contents, PackMethod::Store);
    AddPackEntry(&pack, "A\\DEFLATED.BIN", contents, PackMethod::Deflate);
    AddPackEntry(&pack, "A\\DESCRIBED.BIN", contents, PackMethod::Deflate, true);
    AddPackEntry(&pack, "A\\STOREDDESC.BIN", contents, PackMethod::Store, true);
    AddPackEntry(&pack, "A\\GZIP.BIN", contents, PackMethod::Gzip);
    AddRawPackMember(&pack, "A\\NAMEDGZ.BIN", MakeGzipMember(contents, "named.bin"), 100000);
    AddPackEntry(&pack, "A\\EMPTY.BIN", {}, PackMethod::Deflate);
    OpenPack(Write(pack).c_str());
    ASSERT_EQ(PackEntryCount(), 7u);
    for (const char* name : {"A\\STORED.BIN", "A\\DEFLATED.BIN", "A\\DESCRIBED.BIN", "A\\STOREDDESC.BIN",
                             "A\\GZIP.BIN", "A\\NAMEDGZ.BIN"}) {
        EXPECT_EQ(PackEntrySize(name), contents.size()) << name;
        EXPECT_EQ(ReadAll(name), contents) << name;
    }
    EXPECT_EQ(PackEntrySize("A\\EMPTY.BIN"), 0u);
    uint8_t untouched = 0x5A;
    EXPECT_EQ(ReadPackEntry("A\\EMPTY.BIN", &untouched, 0, 1), 0);
    EXPECT_EQ(untouched, 0x5A);
}

TEST_F(PackArchiveTest, RangesCopyOnlyWhatLiesInsideTheEntry)
{
    const std::vector<uint8_t> contents = Pattern(70000, 7); // three windows, the last partial
    PackBuilder pack;
    AddPackEntry(&pack, "R.BIN", contents, PackMethod::Deflate);
    OpenPack(Write(pack).c_str());

    struct Range {
        uint32_t offset, length;
    };
    for (Range r : {Range{0, 54}, Range{32767, 2}, Range{32768, 32768}, Range{1, 69999}, Range{65530, 4470}}) {
        std::vector<uint8_t> out(r.length, 0xEE);
        ASSERT_EQ(ReadPackEntry("R.BIN", out.data(), r.offset, r.length), 0);
        EXPECT_TRUE(std::equal(out.begin(), out.end(), contents.begin() + r.offset)) << r.offset;
    }
    // Past the end: only the bytes up to the end are written; beyond it, nothing.
    std::vector<uint8_t> tail(100, 0xEE);
    ASSERT_EQ(ReadPackEntry("R.BIN", tail.data(), 69990, 100), 0);
    EXPECT_TRUE(std::equal(tail.begin(), tail.begin() + 10, contents.begin() + 69990));
    EXPECT_TRUE(std::all_of(tail.begin() + 10, tail.end(), [](uint8_t b) { return b == 0xEE; }));
    for (uint32_t offset : {70000u, 80000u, UINT32_MAX}) {
        uint8_t b = 0xEE;
        EXPECT_EQ(ReadPackEntry("R.BIN", &b, offset, 1), 0);
        EXPECT_EQ(b, 0xEE);
    }
}

TEST_F(PackArchiveTest, LookupIgnoresCaseKeepsSeparatorsAndTakesTheLastMatch)
{
    PackBuilder pack;
    AddPackEntry(&pack, "zik\\Vela1.xm", {1, 1, 1}, PackMethod::Store);
    AddPackEntry(&pack, "PICS\\FOND.BMP", {2}, PackMethod::Deflate);
    AddPackEntry(&pack, "ZIK\\VELA1.XM", {3, 3}, PackMethod::Gzip);
    OpenPack(Write(pack).c_str());
    PackEntryInfo first{};
    ASSERT_TRUE(PackEntryAt(0, &first));
    EXPECT_STREQ(first.name, "ZIK\\VELA1.XM"); // upper-cased as read
    EXPECT_EQ(ReadAll("zik\\vela1.xm"), (std::vector<uint8_t>{3, 3}));
    EXPECT_EQ(PackEntrySize("Pics\\Fond.bmp"), 1u);
    EXPECT_EQ(PackEntrySize("PICS/FOND.BMP"), 0u); // a different name, and no such loose file
    uint8_t b;
    EXPECT_EQ(ReadPackEntry("PICS/FOND.BMP", &b, 0, 1), 1);
}

TEST_F(PackArchiveTest, NamesMissingFromTheArchiveComeFromLooseFilesBesideIt)
{
    fs::create_directories(dir / "Loading");
    WriteFileBytes(dir / "Loading" / "load.bmp", {9, 8, 7, 6});
    WriteFileBytes(dir / "ONLY.TXT", {1});
    PackBuilder pack;
    AddPackEntry(&pack, "ONLY.TXT", {5, 5}, PackMethod::Deflate);
    OpenPack(Write(pack).c_str());
    EXPECT_EQ(ReadAll("ONLY.TXT"), (std::vector<uint8_t>{5, 5})); // the archive wins
    EXPECT_EQ(PackEntrySize("LOADING\\LOAD.BMP"), 4u);
    uint8_t part[8] = {};
    EXPECT_EQ(ReadPackEntry("LOADING\\LOAD.BMP", part, 2, 8), 0); // a short read is no error
    EXPECT_EQ(part[0], 7);
    EXPECT_EQ(part[1], 6);
    EXPECT_EQ(part[2], 0);
    EXPECT_EQ(PackEntrySize("LOADING\\NONE.BMP"), 0u);
    EXPECT_EQ(ReadPackEntry("LOADING\\NONE.BMP", part, 0, 1), 1);
    EXPECT_EQ(PackEntrySize("LOADING"), 0u); // a folder is not a file
    EXPECT_EQ(ReadPackEntry("LOADING", part, 0, 1), 1);
}

TEST_F(PackArchiveTest, LooseNamesNeverLeaveTheFolder)
{
    fs::create_directories(dir / "inner");
    WriteFileBytes(dir / "SECRET.TXT", {1, 2, 3});
    WriteFileBytes(dir / "inner" / "OK.TXT", {4});
    fs::create_symlink(dir / "SECRET.TXT", dir / "inner" / "LINK.TXT");
    OpenPack((dir / "inner" / "MISSING.PAK").c_str());
    EXPECT_EQ(PackEntryCount(), 0u);
    EXPECT_EQ(PackEntrySize("ok.txt"), 1u);
    EXPECT_EQ(PackEntrySize(".\\OK.TXT"), 1u);
    const std::string absolute = (dir / "SECRET.TXT").string();
    for (const char* name : {"..\\SECRET.TXT", "..\\secret.txt", "../SECRET.TXT", "X\\..\\..\\SECRET.TXT",
                             absolute.c_str(), "\\SECRET.TXT", "C:\\SECRET.TXT", "LINK.TXT", ""}) {
        EXPECT_EQ(PackEntrySize(name), 0u) << name;
        uint8_t b;
        EXPECT_EQ(ReadPackEntry(name, &b, 0, 1), 1) << name;
    }
}

TEST_F(PackArchiveTest, EmptyOrClosedArchivesLeaveOnlyLooseFiles)
{
    WriteFileBytes(dir / "VELA.PAK", {});
    WriteFileBytes(dir / "A.BIN", {1, 2});
    OpenPack((dir / "VELA.PAK").c_str());
    EXPECT_EQ(PackEntryCount(), 0u);
    EXPECT_EQ(PackEntrySize("a.bin"), 2u);

    PackBuilder pack;
    AddPackEntry(&pack, "A.BIN", {7, 7, 7}, PackMethod::Deflate);
    OpenPack(Write(pack).c_str());
    EXPECT_EQ(PackEntrySize("A.BIN"), 3u);
    ClosePack();
    EXPECT_EQ(PackEntryCount(), 0u);
}

// Each of these directories would send the reader outside its buffers; each must be refused
// with a message naming the archive, leaving loose files in charge.
TEST_F(PackArchiveTest, DamagedDirectoriesAreRefusedWithLooseFilesAsFallback)
{
    WriteFileBytes(dir / "A.BIN", {4, 4, 4, 4});
    PackBuilder pack;
    AddPackEntry(&pack, "A.BIN", {1}, PackMethod::Store);
    const std::vector<uint8_t> good = FinishPack(pack);
    const size_t directory = pack.bytes.size();

    auto set32 = [](std::vector<uint8_t> v, size_t at, uint32_t value) {
        StoreLe32(v.data() + at, value);
        return v;
    };
    std::vector<std::vector<uint8_t>> damaged = {
        {1, 2, 3},                                            // shorter than the trailer
        set32(good, good.size() - 4, 0xFFFFFF00u),            // directory offset past the end
        set32(good, good.size() - 8, 1000000),                // more records than bytes
        set32(good, good.size() - 8, 2),                      // second record runs off the block
        set32(good, directory + 6, static_cast<uint32_t>(good.size())), // member beyond the file
    };
    std::vector<uint8_t> unterminated = good;
    unterminated.resize(directory + 5); // the name without its 0 byte, then a fresh trailer
    for (uint32_t v : {1u, static_cast<uint32_t>(directory)}) AppendLe32(unterminated, v);
    damaged.push_back(unterminated);

    for (size_t i = 0; i < damaged.size(); ++i) {
        WriteFileBytes(dir / "VELA.PAK", damaged[i]);
        ::testing::internal::CaptureStderr();
        OpenPack((dir / "VELA.PAK").c_str());
        std::string message = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(message.find("VELA.PAK: damaged archive directory"), std::string::npos) << i << ": " << message;
        EXPECT_EQ(PackEntryCount(), 0u) << i;
        EXPECT_EQ(PackEntrySize("A.BIN"), 4u) << i;
    }
}

// A damaged member ends the process with the decoder's line and its exit code.
struct DamagedMember {
    const char* label;
    std::vector<uint8_t> member;
    uint32_t size;
    int exitCode;
    const char* text;
    // Cut short: inside an archive, the bytes after it (the next member, the directory) are read
    // as its own, so the decoder finds some other damage there.
    bool cutShort = false;
};

std::vector<DamagedMember> DamagedMembers()
{
    const std::vector<uint8_t> contents = Pattern(5000);
    auto zip = [&](bool deflate, bool descriptor) { return MakeZipMember("X", contents, deflate, descriptor); };
    std::vector<DamagedMember> list;
    list.push_back({"neither", {'M', 'Z', 0, 0}, 5000, 3, "input not a zip or gzip file"});
    std::vector<uint8_t> m = zip(true, false);
    m.resize(20);
    list.push_back({"short zip header", m, 5000, 3, "invalid zipfile", true});
    m = zip(true, false);
    m[3] = 2;
    list.push_back({"zip signature", m, 5000, 3, "invalid zipfile"});
    m = zip(true, false);
    m[8] = 12;
    list.push_back({"method", m, 5000, 3, "first entry not deflated or stored--cannot unpack"});
    m = zip(true, false);
    m[6] |= 1;
    list.push_back({"encrypted zip", m, 5000, 3, "cannot decrypt entry (need to recompile with full crypt.c)"});
    m = zip(false, false);
    m[18] ^= 1;
    list.push_back({"stored sizes", m, 5000, 4, "invalid compressed data--length mismatch"});
    m = zip(true, false);
    m[31] = 0x07; // a final block of the reserved type
    list.push_back({"corrupt deflate", m, 5000, 4, "invalid compressed data--format violated"});
    m = zip(true, false);
    m.resize(m.size() - 10);
    list.push_back({"deflate cut short", m, 5000, 4, "invalid compressed data--format violated"});
    m = zip(false, false);
    m[14] ^= 1;
    list.push_back({"crc", m, 5000, 4, "invalid compressed data--crc error"});
    m = zip(false, false);
    m[20] = 0xFF; // both sizes agree, but the data ends long before
    m[24] = 0xFF;
    list.push_back({"stored data cut short", m, 5000, 3, "zipfile ended prematurely"});
    m = zip(true, true);
    m.resize(m.size() - 4);
    list.push_back({"descriptor", m, 5000, 3, "zipfile ended prematurely", true});
    m = zip(true, true);
    m[m.size() - 1] ^= 1;
    list.push_back({"descriptor size", m, 5000, 4, "invalid compressed data--length error"});
    m = MakeGzipMember(contents);
    m.resize(6);
    list.push_back({"short gzip header", m, 5000, 3, "invalid gzip file", true});
    m = MakeGzipMember(contents);
    m[2] = 7;
    list.push_back({"gzip method", m, 5000, 3, "gzip file not deflated"});
    m = MakeGzipMember(contents);
    m[3] = 0x02;
    list.push_back({"multi-part", m, 5000, 3, "cannot handle multi-part gzip files"});
    m = MakeGzipMember(contents);
    m[3] = 0x20;
    list.push_back({"encrypted gzip", m, 5000, 3, "cannot decrypt entry (need to recompile with full crypt.c)"});
    m = MakeGzipMember(contents);
    m.resize(m.size() - 3);
    list.push_back({"gzip trailer", m, 5000, 3, "gzip file ended prematurely", true});
    m = MakeGzipMember(contents);
    m[m.size() - 2] ^= 1;
    list.push_back({"gzip length", m, 5000, 4, "invalid compressed data--length error"});
    return list;
}

// The decoder reports every damage with its text and code; the member is the whole input.
TEST(PackMember, EveryDamageHasItsTextAndCode)
{
    for (const DamagedMember& d : DamagedMembers()) {
        std::vector<uint8_t> bytes = d.member;
        FILE* file = fmemopen(bytes.data(), bytes.size(), "rb");
        ASSERT_NE(file, nullptr);
        uint8_t out[8];
        MemberResult r = DecodeMember(file, out, 0, sizeof out);
        std::fclose(file);
        EXPECT_EQ(r.exitCode, d.exitCode) << d.label;
        EXPECT_STREQ(r.text, d.text) << d.label;
    }
}

TEST_F(PackArchiveTest, DamagedMembersEndTheProcessWithTheirCode)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const DamagedMember& d : DamagedMembers()) {
        PackBuilder pack;
        AddPackEntry(&pack, "GOOD", Pattern(10), PackMethod::Deflate);
        AddRawPackMember(&pack, "X", d.member, d.size);
        OpenPack(Write(pack).c_str());
        uint8_t out[8];
        const char* message = nullptr;
        const int32_t code = CheckPackEntry(1, &message);
        ASSERT_NE(code, 0) << d.label;
        if (!d.cutShort) {
            EXPECT_EQ(code, d.exitCode) << d.label;
            EXPECT_STREQ(message, d.text) << d.label;
        }
        const std::string expected = std::string("funzip error: ") + message + "\n";
        EXPECT_EXIT(ReadPackEntry("X", out, 0, 8), ::testing::ExitedWithCode(code), ::testing::HasSubstr(expected))
            << d.label;
        EXPECT_EQ(CheckPackEntry(0, &message), 0);
    }
}

TEST_F(PackArchiveTest, StoredSizeMismatchNamesBothSizesFirst)
{
    std::vector<uint8_t> m = MakeZipMember("X", Pattern(300), false, false);
    m[18] = 0x20; // compressed size 288 + high byte kept
    PackBuilder pack;
    AddRawPackMember(&pack, "X", m, 300);
    OpenPack(Write(pack).c_str());
    uint8_t b;
    EXPECT_EXIT(ReadPackEntry("X", &b, 0, 1), ::testing::ExitedWithCode(4),
                "len 300, siz 288\nfunzip error: invalid compressed data--length mismatch");
}

} // namespace
