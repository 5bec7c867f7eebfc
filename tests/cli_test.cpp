// End-to-end behaviour of the program: its name in the usage line, and line handling (bytes pass
// through unchanged but for the tokens).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "expected_text.h"
#include "failed_run.h"
#include "os/file.h"
#include "run_program.h"

namespace wqnprep::testing {
namespace {

// --- Usage line ------------------------------------------------------------------------------

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
  const Unchanged guard(dir.file("in.sql"));
  const ProgramResult result = runWqnprep({dir.file("in.sql"), dir.file("out.sql")});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "");
  // Not EXPECT_EQ, which would diff a mebibyte of lines one by one on a failure.
  const std::string output = readFile(dir.file("out.sql"));
  EXPECT_TRUE(output == GetParam().output)
      << output.size() << " bytes, beginning " << ::testing::PrintToString(output.substr(0, 80));
  guard.check();
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Lines, LineHandling,
    ::testing::Values(
        LineCase{"Empty", "", ""}, LineCase{"NoFinalFeed", "a", "a\n"},
        LineCase{"TwoLines", "a\nb\n", "a\nb\n"}, LineCase{"EmptyMiddle", "a\n\nb\n", "a\n\nb\n"},
        LineCase{"OnlyFeeds", "\n\n\n", "\n\n\n"},
        LineCase{"CarriageReturnKept", "x\r\nWQNRuleID::applicableForVEs\r\n", "x\r\n1\r\n"},
        LineCase{"CarriageReturnAlone", "a\rServerType::stWins\r", "a\r1\r\n"},
        LineCase{"ControlZIsNoEnd",
                 "a\x1a"
                 "b\nServerType::stDns\n",
                 "a\x1a"
                 "b\n0\n"},
        LineCase{"RawBytes", "\0\x80\xff\n\0"s, "\0\x80\xff\n\0\n"s},
        LineCase{"TokenWithoutFinalFeed", "ServerType::stWins", "1\n"},
        LineCase{"GlobalScope", "scope = 'WQNGlobalScopeGUID';\n", "scope = '" + kGuid + "';\n"},
        LineCase{"WorkedExample",
                 "INSERT INTO t VALUES (WQNOperationID::OPID_LICENSE_GENERALEXECUTE, "
                 "WQNDBObjTypeID::objIPPool, WQNEnvStatusID::ENV_STAT_RUNNING);\n",
                 "INSERT INTO t VALUES (2, 7, 6);\n"},
        LineCase{
            "WorkedExampleWithCarriageReturns",
            "-- grants\r\nINSERT INTO t VALUES (WQNOperationID::OPID_LICENSE_GENERALEXECUTE, "
            "WQNDBObjTypeID::objIPPool, WQNEnvStatusID::ENV_STAT_RUNNING);\r\n\r\n"
            "scope = 'WQNGlobalScopeGUID';\r\n",
            "-- grants\r\nINSERT INTO t VALUES (2, 7, 6);\r\n\r\nscope = '" + kGuid + "';\r\n"},
        LineCase{"WholeWordsOnly",
                 "x_WQNRuleID::applicableForVEs xWQNRuleID::applicableForVEs "
                 "WQNRuleID::applicableForVEs2\n",
                 "x_1 xWQNRuleID::applicableForVEs WQNRuleID::applicableForVEs2\n"},
        // Many blocks of nothing but line ends, or of no line end at all.
        LineCase{"OnlyLineFeedsOverManyBlocks", std::string(1 << 20, '\n'),
                 std::string(1 << 20, '\n')},
        LineCase{"OnlyNulBytesOverManyBlocks", std::string(1 << 20, '\0'),
                 std::string(1 << 20, '\0') + "\n"}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return info.param.label; });

// In both modes (kModes): the plain run writes the output as it goes; --strict copies it there at
// the end.
TEST(LineHandling, ReplacesAnExistingOutput) {
  for (const std::vector<std::string>& mode : kModes) {
    ScratchDir dir;
    writeFile(dir.file("in.sql"), "ServerType::stDns\n");
    writeFile(dir.file("out.sql"), "a much longer previous content\n");
    std::vector<std::string> args = mode;
    args.insert(args.end(), {dir.file("in.sql"), dir.file("out.sql")});
    EXPECT_EQ(runWqnprep(args).status, 0);
    EXPECT_EQ(readFile(dir.file("out.sql")), "0\n");
  }
}

// In a folder named with the system's own separator.
TEST(LineHandling, CreatesAMissingOutput) {
  for (const std::vector<std::string>& mode : kModes) {
    ScratchDir dir;
    writeFile(dir.file("in.sql"), "ServerType::stWins\r\n");
    makeFolder(dir.file("sub"));
    std::vector<std::string> args = mode;
    args.insert(args.end(), {"in.sql", os::pathIn("sub", "out.sql")});
    const ProgramResult result = runWqnprep(args, "/dev/null", dir.path());
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(readFile(dir.file("sub/out.sql")), "1\r\n");
  }
}

// --- Names beyond ASCII ----------------------------------------------------------------------

// UTF-8 on every system: "grüße ✓.sql", "αυτό-é.sql", "fehlt-ü.sql", "日本.sql".
const std::string kInput =
    "gr\xc3\xbc\xc3\x9f"
    "e \xe2\x9c\x93.sql";
const std::string kOutput = "\xce\xb1\xcf\x85\xcf\x84\xcf\x8c-\xc3\xa9.sql";
const std::string kMissing = "fehlt-\xc3\xbc.sql";
const std::string kJapanese = "\xe6\x97\xa5\xe6\x9c\xac.sql";

TEST(NamesBeyondAscii, NameFilesAndAppearInMessagesAsGiven) {
  ScratchDir dir;
  writeFile(dir.file(kInput), "ServerType::stWins\r\n");
  const ProgramResult written = runWqnprep({kInput, kOutput}, "/dev/null", dir.path());
  EXPECT_EQ(written.status, 0) << written.err;
  EXPECT_EQ(written.err, "");
  EXPECT_EQ(readFile(dir.file(kOutput)), "1\r\n");

  const ProgramResult missing = runWqnprep({kMissing, "out.sql"}, "/dev/null", dir.path());
  EXPECT_EQ(missing.status, 1);
  EXPECT_THAT(missing.err, ::testing::StartsWith("Error: cannot open input '" + kMissing + "': "));

  writeFile(dir.file(kJapanese), "x\n");
  const ProgramResult same = runWqnprep({kJapanese, kJapanese}, "/dev/null", dir.path());
  EXPECT_EQ(same.status, 1);
  EXPECT_EQ(same.err, "Error: output '" + kJapanese + "' is the input file '" + kJapanese +
                          "'; refusing to overwrite it\n");
}

// Failures, forced from outside, are in fault_injection_test.cpp.

}  // namespace
}  // namespace wqnprep::testing
