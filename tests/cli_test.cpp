// End-to-end behaviour of the program: command line, line handling and failures.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "run_program.h"

namespace wqnprep::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

const std::string kUsageTail = " <input filename> <output filename>\n";

// --- Command line ----------------------------------------------------------------------------

class WrongArgumentCount : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(WrongArgumentCount, PrintsUsageAndTouchesNoFile) {
  ScratchDir dir;
  std::vector<std::string> args;
  for (const std::string& name : GetParam()) args.push_back(dir.file(name));
  const ProgramResult result = runWqnprep(args);
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "use wqnprep" + kUsageTail);
  EXPECT_EQ(result.err, "");
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

INSTANTIATE_TEST_SUITE_P(Counts, WrongArgumentCount,
                         ::testing::Values(std::vector<std::string>{},
                                           std::vector<std::string>{"in"},
                                           std::vector<std::string>{"in", "out", "extra"}));

struct ProgramNameCase {
  const char* argv0;
  const char* name;
};

class UsageProgramName : public ::testing::TestWithParam<ProgramNameCase> {};

TEST_P(UsageProgramName, IsTheTextAfterTheLastSeparator) {
  const ProgramResult result = runProgram(WQNPREP_BINARY, {GetParam().argv0, "only-one"});
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, std::string("use ") + GetParam().name + kUsageTail);
}

INSTANTIATE_TEST_SUITE_P(Separators, UsageProgramName,
                         ::testing::Values(ProgramNameCase{"/opt/tools/prep.exe", "prep.exe"},
                                           ProgramNameCase{"C:\\tools\\prep.exe", "prep.exe"},
                                           ProgramNameCase{"a\\b/c\\prep", "prep"},
                                           ProgramNameCase{"plain", "plain"},
                                           ProgramNameCase{"ends/with/", ""}));

// --- Line handling ---------------------------------------------------------------------------

struct LineCase {
  const char* label;
  std::string input;
  std::string output;
};

void PrintTo(const LineCase& c, std::ostream* out) {
  *out << c.label;
}

class LineHandling : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineHandling, WritesOneLineFeedEndedLinePerInputLine) {
  ScratchDir dir;
  writeFile(dir.file("in.sql"), GetParam().input);
  const ProgramResult result = runWqnprep({dir.file("in.sql"), dir.file("out.sql")});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(readFile(dir.file("out.sql")), GetParam().output);
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Lines, LineHandling,
    ::testing::Values(LineCase{"Empty", "", ""}, LineCase{"NoFinalFeed", "a", "a\n"},
                      LineCase{"TwoLines", "a\nb\n", "a\nb\n"},
                      LineCase{"EmptyMiddle", "a\n\nb\n", "a\n\nb\n"},
                      LineCase{"OnlyFeeds", "\n\n\n", "\n\n\n"},
                      LineCase{"CarriageReturnKept", "x\r\nWQNRuleID::applicableForVEs\r\n",
                               "x\r\n1\r\n"},
                      LineCase{"RawBytes", "\0\x80\xff\n\0"s, "\0\x80\xff\n\0\n"s},
                      LineCase{"TokenWithoutFinalFeed", "ServerType::stWins", "1\n"},
                      LineCase{"GlobalScope", "scope = 'WQNGlobalScopeGUID';\n",
                               "scope = '8C3E7755-D5D1-2B4F-BA73-E73F13C140D6';\n"},
                      LineCase{"WorkedExample",
                               "INSERT INTO t VALUES (WQNOperationID::OPID_LICENSE_GENERALEXECUTE, "
                               "WQNDBObjTypeID::objIPPool, WQNEnvStatusID::ENV_STAT_RUNNING);\n",
                               "INSERT INTO t VALUES (2, 7, 6);\n"}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return info.param.label; });

TEST(LineHandling, ReplacesAnExistingOutput) {
  ScratchDir dir;
  writeFile(dir.file("in.sql"), "ServerType::stDns\n");
  writeFile(dir.file("out.sql"), "a much longer previous content\n");
  EXPECT_EQ(runWqnprep({dir.file("in.sql"), dir.file("out.sql")}).status, 0);
  EXPECT_EQ(readFile(dir.file("out.sql")), "0\n");
}

// --- Failures --------------------------------------------------------------------------------

const std::string kPrevious = "previous output\n";

void expectError(const ProgramResult& result, const std::string& path, const std::string& reason) {
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_THAT(result.err, StartsWith("Error: "));
  EXPECT_THAT(result.err, HasSubstr(path));
  EXPECT_THAT(result.err, HasSubstr(reason));
}

TEST(InputFailure, MissingInputLeavesTheOutputAlone) {
  ScratchDir dir;
  const ProgramResult fresh = runWqnprep({dir.file("missing.sql"), dir.file("out.sql")});
  expectError(fresh, dir.file("missing.sql"), "No such file or directory");
  EXPECT_FALSE(fileExists(dir.file("out.sql")));

  writeFile(dir.file("out.sql"), kPrevious);
  const ProgramResult existing = runWqnprep({dir.file("missing.sql"), dir.file("out.sql")});
  expectError(existing, dir.file("missing.sql"), "No such file or directory");
  EXPECT_EQ(readFile(dir.file("out.sql")), kPrevious);
}

TEST(InputFailure, DirectoryInputLeavesTheOutputAlone) {
  ScratchDir dir;
  writeFile(dir.file("out.sql"), kPrevious);
  expectError(runWqnprep({dir.path(), dir.file("out.sql")}), dir.path(), "Is a directory");
  EXPECT_EQ(readFile(dir.file("out.sql")), kPrevious);
}

TEST(InputFailure, UnreadableInput) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  ScratchDir dir;
  writeFile(dir.file("in.sql"), "a\n");
  std::filesystem::permissions(dir.file("in.sql"), std::filesystem::perms::none);
  expectError(runWqnprep({dir.file("in.sql"), dir.file("out.sql")}), dir.file("in.sql"),
              "Permission denied");
  EXPECT_FALSE(fileExists(dir.file("out.sql")));
}

struct OutputFailureCase {
  const char* label;
  const char* output;  // relative to the scratch folder
  const char* reason;
};

class OutputFailure : public ::testing::TestWithParam<OutputFailureCase> {};

TEST_P(OutputFailure, IsAnErrorWhetherOrNotTheInputHasLines) {
  for (const char* input : {"", "WQNRuleID::applicableForAll\n"}) {
    ScratchDir dir;
    std::filesystem::create_directory(dir.file("folder"));
    writeFile(dir.file("in.sql"), input);
    const std::string output = dir.file(GetParam().output);
    expectError(runWqnprep({dir.file("in.sql"), output}), output, GetParam().reason);
    EXPECT_EQ(readFile(dir.file("in.sql")), input);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, OutputFailure,
    ::testing::Values(OutputFailureCase{"MissingFolder", "no/such/out.sql", "No such file"},
                      OutputFailureCase{"Directory", "folder", "Is a directory"}),
    [](const ::testing::TestParamInfo<OutputFailureCase>& info) { return info.param.label; });

TEST(OutputFailure, NoPermission) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  ScratchDir dir;
  writeFile(dir.file("in.sql"), "a\n");
  std::filesystem::create_directory(dir.file("locked"));
  std::filesystem::permissions(
      dir.file("locked"), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  expectError(runWqnprep({dir.file("in.sql"), dir.file("locked/out.sql")}),
              dir.file("locked/out.sql"), "Permission denied");
}

TEST(OutputFailure, FullDeviceKeepsNothingBack) {
  ScratchDir dir;
  writeFile(dir.file("in.sql"), "WQNRuleID::applicableForAll\n");
  expectError(runWqnprep({dir.file("in.sql"), "/dev/full"}), "/dev/full",
              "No space left on device");
}

class SameFile : public ::testing::TestWithParam<const char*> {};

TEST_P(SameFile, IsRefusedAndLeftByteForByteUnchanged) {
  ScratchDir dir;
  const std::string content = "WQNRuleID::applicableForAll\nkeep me\n";
  const std::string input = dir.file("script.sql");
  writeFile(input, content);
  std::filesystem::create_symlink(input, dir.file("symlink.sql"));
  std::filesystem::create_hard_link(input, dir.file("hardlink.sql"));
  std::filesystem::create_directory(dir.file("sub"));
  const std::string output = dir.path() + "/" + GetParam();

  const ProgramResult result = runWqnprep({input, output});
  EXPECT_EQ(result.status, 1);
  EXPECT_THAT(result.err, StartsWith("Error: "));
  EXPECT_THAT(result.err, HasSubstr("is the input file"));
  EXPECT_EQ(readFile(input), content);
}

INSTANTIATE_TEST_SUITE_P(Paths, SameFile,
                         ::testing::Values("script.sql", "./script.sql", "sub/../script.sql",
                                           "symlink.sql", "hardlink.sql"));

}  // namespace
}  // namespace wqnprep::testing
