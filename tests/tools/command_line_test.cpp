// The command-line reader every velatool subcommand shares, and the way each subcommand ends on
// a bad command line: status 2, "velatool CMD: problem", then where its help is.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "formats/bmp_writer.h"
#include "formats/pack_writer.h"
#include "formats/xm_writer.h"
#include "platform/xm_test_modules.h"
#include "support/test_support.h"
#include "velatool/commands.h"
#include "velatool/options.h"

namespace {

const std::vector<OptionRule> kRules = {{"--pack", true}, {"--all", false}, {"--out", true, "-o"}, {"--at", true}};

CommandLine Read(std::vector<std::string> words)
{
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    return ReadCommandLine(static_cast<int>(argv.size()), argv.data(), 0, kRules);
}

std::string ProblemOf(const std::vector<std::string>& words)
{
    try {
        Read(words);
    } catch (const UsageError& e) {
        return e.problem;
    }
    return "(accepted)";
}

} // namespace

TEST(CommandLineReader, OptionsValuesAndPositionalWordsInAnyOrder)
{
    const CommandLine line =
        Read({"info", "--pack", "A.PAK", "-", "--all", "-o", "x.png", "--at", "-2,3", "--pack=B.PAK", "--", "--not"});
    EXPECT_EQ(line.words, (std::vector<std::string>{"info", "-", "--not"}));
    EXPECT_TRUE(line.Has("--all"));
    EXPECT_FALSE(Read({"info"}).Has("--all"));
    EXPECT_EQ(line.Value("--out"), "x.png") << "the short name is stored under the long one";
    EXPECT_EQ(line.Value("--at"), "-2,3") << "a value may begin with a minus sign";
    EXPECT_EQ(line.Value("--pack"), "B.PAK") << "the last occurrence counts";
    EXPECT_EQ(Read({"--out", "-"}).Value("--out"), "-");
    EXPECT_EQ(Read({}).Value("--out", "fallback"), "fallback");
    EXPECT_EQ(Read({"--out="}).Value("--out", "fallback"), "");
}

TEST(CommandLineReader, UnknownOptionsMissingValuesAndHelp)
{
    EXPECT_EQ(ProblemOf({"--bogus"}), "unknown option '--bogus'");
    EXPECT_EQ(ProblemOf({"--bogus=1"}), "unknown option '--bogus'");
    EXPECT_EQ(ProblemOf({"name", "--pack"}), "missing value for --pack");
    EXPECT_EQ(ProblemOf({"-o"}), "missing value for -o");
    EXPECT_EQ(ProblemOf({"--all=yes"}), "--all takes no value");
    EXPECT_THROW(Read({"x", "--bogus", "--help"}), UsageError) << "words are read in order";
    EXPECT_THROW(Read({"x", "--help", "--bogus"}), HelpRequested);
    EXPECT_THROW(Read({"-h"}), HelpRequested);
    EXPECT_NO_THROW(Read({"--pack", "--help"})) << "a value is never taken for an option";

    const CommandLine line = Read({"--out", "a", "--all"});
    EXPECT_NO_THROW(line.Allow({"--out", "--all"}, "render"));
    try {
        line.Allow({"--out"}, "info");
        ADD_FAILURE() << "--all was allowed";
    } catch (const UsageError& e) {
        EXPECT_EQ(e.problem, "--all does not apply to info");
    }
}

TEST(CommandLineReader, ValuesAreCheckedAgainstTheirForm)
{
    EXPECT_EQ(WholeNumberValue("42", "--n", 0, 100), 42);
    EXPECT_EQ(WholeNumberValue("-7", "--n", -10, 10), -7);
    EXPECT_EQ(WholeNumberValue("0x10", "--n", 0, 100), 16);
    EXPECT_EQ(WholeNumberValue("010", "--n", 0, 100), 10) << "no octal surprise";
    for (const char* bad : {"", "4x", "0x", "--1", "- 1", " 1", "1.5", "99999999999999999999999"})
        EXPECT_THROW(WholeNumberValue(bad, "--n", -100, 100), UsageError) << bad;
    try {
        WholeNumberValue("300", "--rgb", 0, 255);
    } catch (const UsageError& e) {
        EXPECT_EQ(e.problem, "--rgb: 300 is outside 0 .. 255");
    }
    EXPECT_DOUBLE_EQ(RealNumberValue("2.5", "--s", 0, 10), 2.5);
    for (const char* bad : {"", "ten", "nan", "inf", "1e999", "11", "-1"})
        EXPECT_THROW(RealNumberValue(bad, "--s", 0, 10), UsageError) << bad;
    EXPECT_EQ(NumberListValue("1,-2,3", 3, ',', "--x", -5, 5), (std::vector<int64_t>{1, -2, 3}));
    EXPECT_THROW(NumberListValue("1,2", 3, ',', "--x", -5, 5), UsageError);
    EXPECT_THROW(NumberListValue("1,2,", 3, ',', "--x", -5, 5), UsageError);
    EXPECT_THROW(NumberListValue("1,2,9", 3, ',', "--x", -5, 5), UsageError);
    EXPECT_EQ(ChoiceValue("15", "--depth", {"15", "16"}), "15");
    try {
        ChoiceValue("24", "--depth", {"15", "16"});
    } catch (const UsageError& e) {
        EXPECT_EQ(e.problem, "--depth is 15 or 16, got '24'");
    }
}

TEST(CommandLineReader, HowACommandEndsDecidesItsStatusAndText)
{
    const char usage[] = "usage: velatool thing X\n";
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunCommand("thing", usage, [] { return 0; }), 0);
    EXPECT_EQ(RunCommand("thing", usage, []() -> int { throw HelpRequested{}; }), 0);
    EXPECT_EQ(RunCommand("thing", usage, []() -> int { throw UsageError{"bad word"}; }), 2);
    EXPECT_EQ(RunCommand("thing", usage, []() -> int { throw CommandFailure{"x.bin: empty file"}; }), 1);
    EXPECT_EQ(RunCommand("thing", usage, []() -> int { throw CommandFailure{"", 4}; }), 4);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), usage);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "velatool thing: bad word\nsee 'velatool thing --help'\nvelatool thing: x.bin: empty file\n");
}

// Every subcommand reports a bad command line the same way: the problem on one line, then where
// the help is, without the help itself burying the problem.
TEST(CommandLineReader, EverySubcommandGivesStatus2AndOneLineForABadCommandLine)
{
    struct Case {
        int (*run)(int, char**);
        std::vector<std::string> words;
        const char* prefix;
        const char* help;
    };
    const std::vector<Case> cases = {
        {RunPakCommand, {"pak", "list", "A.PAK", "--bogus"}, "velatool pak: unknown option '--bogus'",
         "see 'velatool pak --help'"},
        {RunPakCommand, {"pak", "extract", "A.PAK", "N", "-o"}, "velatool pak: missing value for -o",
         "see 'velatool pak --help'"},
        {RunPakCommand, {"pak"}, "velatool pak: a subcommand is needed", "see 'velatool pak --help'"},
        {RunPictureCommand, {"picture", "info", "A.BMP", "--bogus"}, "velatool picture: unknown option",
         "see 'velatool picture --help'"},
        {RunPictureCommand, {"picture", "info", "A.BMP", "--depth", "15"}, "velatool picture: --depth does not apply to info",
         "see 'velatool picture --help'"},
        {RunSceneCommand, {"scene", "dump", "A.FSF", "--pack"}, "velatool scene dump: missing value for --pack",
         "see 'velatool scene dump --help'"},
        {RunSceneCommand, {"scene", "--bogus"}, "velatool scene: a subcommand comes first", "see 'velatool scene --help'"},
        {RunSceneCommand, {"scene", "render", "A.FSF", "--out"}, "velatool scene render: missing value for --out",
         "see 'velatool scene render --help'"},
        {RunSceneCommand, {"scene", "bench", "A.FSF", "--bogus"}, "velatool scene bench: unknown option",
         "see 'velatool scene bench --help'"},
        {RunEffectCommand, {"effect", "fill", "--view", "v.png", "--out", "o.png", "--rgb", "300,0,0"},
         "velatool effect: --rgb: 300 is outside 0 .. 255", "see 'velatool effect --help'"},
        {RunModuleCommand, {"module", "info", "A.XM", "--seconds", "3"}, "velatool module: --seconds does not apply to info",
         "see 'velatool module --help'"},
        {RunModuleCommand, {"module", "render", "A.XM", "--out"}, "velatool module: missing value for --out",
         "see 'velatool module --help'"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> words(c.words.begin() + 1, c.words.end());
        testing::internal::CaptureStderr();
        EXPECT_EQ(RunWithWords(c.run, c.words[0], words), 2) << c.prefix;
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(err.rfind(c.prefix, 0), 0u) << err;
        const size_t lineEnd = err.find('\n');
        EXPECT_EQ(err.substr(lineEnd + 1), std::string(c.help) + "\n") << err;
    }
}

// An output that cannot be written is an error naming it; what is removed after a failed write
// is only ever a regular file the command made, never a device the name leads to.
TEST(CommandOutput, AFailedWriteIsAnErrorAndADeviceIsNeverRemoved)
{
    namespace fs = std::filesystem;
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    const fs::path dir = ScratchDir("command-output-full");
    WriteFileBytes(dir / "c.bmp", MakeBmp24(2, 1, std::vector<uint8_t>(6, 200)));
    WriteFileBytes(dir / "SONG.XM", WriteXm(MakeTestModule(1, 4)));
    PackBuilder pack;
    AddPackEntry(&pack, "DATA", std::vector<uint8_t>(70000, 5), PackMethod::Deflate);
    WriteFileBytes(dir / "P.PAK", FinishPack(pack));
    const std::string full = (dir / "full").string();
    fs::create_symlink("/dev/full", full);

    struct Case {
        int (*run)(int, char**);
        std::vector<std::string> words;
        std::string message;
    };
    const std::vector<Case> cases = {
        {RunPictureCommand, {"picture", "topng", (dir / "c.bmp").string(), full},
         "velatool picture: " + full + ": cannot write the PNG"},
        {RunModuleCommand, {"module", "render", (dir / "SONG.XM").string(), "--out", full, "--seconds", "1"},
         "velatool module: " + full + ": write error"},
        {RunPakCommand, {"pak", "extract", (dir / "P.PAK").string(), "DATA", "-o", full},
         "velatool pak extract: " + full + ": write error"},
    };
    for (const Case& c : cases) {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        EXPECT_EQ(RunWithWords(c.run, c.words[0], std::vector<std::string>(c.words.begin() + 1, c.words.end())), 1)
            << c.message;
        testing::internal::GetCapturedStdout();
        EXPECT_NE(testing::internal::GetCapturedStderr().find(c.message), std::string::npos) << c.message;
        EXPECT_TRUE(fs::is_symlink(full)) << c.message << ": the link to the device was removed";
    }
}
