// End-to-end behaviour of the program: command line and line handling.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "expected_text.h"
#include "run_program.h"

namespace wqnprep::testing {
namespace {

// --- Command line ----------------------------------------------------------------------------

class WrongArgumentCount : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(WrongArgumentCount, PrintsUsageAndTouchesNoFile) {
  ScratchDir dir;
  std::vector<std::string> args;
  for (const std::string& name : GetParam()) args.push_back(dir.file(name));
  const ProgramResult result = runWqnprep(args);
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, kUsageLine);
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
  EXPECT_EQ(result.out, std::string("use ") + GetParam().name + kUsageArguments);
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
    ::testing::Values(
        LineCase{"Empty", "", ""}, LineCase{"NoFinalFeed", "a", "a\n"},
        LineCase{"TwoLines", "a\nb\n", "a\nb\n"}, LineCase{"EmptyMiddle", "a\n\nb\n", "a\n\nb\n"},
        LineCase{"OnlyFeeds", "\n\n\n", "\n\n\n"},
        LineCase{"CarriageReturnKept", "x\r\nWQNRuleID::applicableForVEs\r\n", "x\r\n1\r\n"},
        LineCase{"RawBytes", "\0\x80\xff\n\0"s, "\0\x80\xff\n\0\n"s},
        LineCase{"TokenWithoutFinalFeed", "ServerType::stWins", "1\n"},
        LineCase{"GlobalScope", "scope = 'WQNGlobalScopeGUID';\n", "scope = '" + kGuid + "';\n"},
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

// Failures, forced from outside, are in fault_injection_test.cpp.

}  // namespace
}  // namespace wqnprep::testing
