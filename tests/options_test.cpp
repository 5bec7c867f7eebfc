// The options of the command line, end to end.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "expected_text.h"
#include "run_program.h"

namespace wqnprep::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

// --- Informational options -------------------------------------------------------------------

class HelpOption : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(HelpOption, PrintsUsageOptionsAndStatuses) {
  const ProgramResult result = runWqnprep(GetParam());
  EXPECT_EQ(result.status, 0);
  EXPECT_THAT(result.out, StartsWith(kUsage));
  for (const char* option :
       {"--help", "--version", "--list", "--warn-unknown", "--strict", "--", "exit status"}) {
    EXPECT_THAT(result.out, HasSubstr(option));
  }
  EXPECT_EQ(result.err, "");
}

INSTANTIATE_TEST_SUITE_P(Spellings, HelpOption,
                         ::testing::Values(std::vector<std::string>{"-h"},
                                           std::vector<std::string>{"--help"},
                                           std::vector<std::string>{"in", "--help", "out"}));

TEST(VersionOption, PrintsNameAndProjectVersion) {
  const ProgramResult result = runWqnprep({"--version"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, std::string("wqnprep ") + WQNPREP_VERSION + "\n");
}

TEST(ListOption, PrintsEverySymbolInRegistryOrder) {
  const ProgramResult result = runWqnprep({"--list"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, readFile(WQNPREP_TEST_DATA_DIR "/typed_symbols.tsv") +
                            "WQNGlobalScopeGUID\t" + kGuid + "\n");
  EXPECT_EQ(result.err, "");
}

TEST(InformationalOptions, FailWhenStandardOutputIsClosed) {
  for (const char* option : {"--help", "--version", "--list"}) {
    const ProgramResult result = runShell(wqnprepCommand() + " " + option + " >&-");
    EXPECT_EQ(result.status, 1) << option;
    EXPECT_THAT(result.err, StartsWith("Error: ")) << option;
  }
}

class BadCommandLine : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(BadCommandLine, PrintsTheUsageLineOnlyAndExits2) {
  ScratchDir dir;
  const ProgramResult result = runProgram(
      WQNPREP_BINARY,
      [&] {
        std::vector<std::string> argv{"wqnprep"};
        argv.insert(argv.end(), GetParam().begin(), GetParam().end());
        return argv;
      }(),
      "/dev/null", dir.path());
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, kUsage);
  EXPECT_EQ(result.err, "");
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

INSTANTIATE_TEST_SUITE_P(Mistakes, BadCommandLine,
                         ::testing::Values(std::vector<std::string>{"--bogus", "in", "out"},
                                           std::vector<std::string>{"-x", "in", "out"},
                                           std::vector<std::string>{"in", "out", "--strct"},
                                           std::vector<std::string>{"--list", "in"},
                                           std::vector<std::string>{"--strict", "in"},
                                           std::vector<std::string>{"--", "in", "out", "more"}));

// --- Paths -----------------------------------------------------------------------------------

TEST(Paths, DashesAreStandardInputAndOutputThroughPipes) {
  const ProgramResult result =
      runShell("printf 'x WQNRuleID::applicableForHNs\\nWQNGlobalScopeGUID' | " + wqnprepCommand() +
               " - - | cat");
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "x 2\n" + kGuid + "\n");
}

TEST(Paths, OptionsEndAtDoubleDashSoPathsMayBeginWithADash) {
  ScratchDir dir;
  writeFile(dir.file("-in.sql"), "ServerType::stWins\n");
  const ProgramResult result =
      runProgram(WQNPREP_BINARY, {"wqnprep", "--warn-unknown", "--", "-in.sql", "-out.sql"},
                 "/dev/null", dir.path());
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(readFile(dir.file("-out.sql")), "1\n");
}

TEST(Paths, OptionsMayFollowThePaths) {
  ScratchDir dir;
  writeFile(dir.file("in.sql"), "WQNRuleID::applicableForVEs\n");
  const ProgramResult result =
      runWqnprep({dir.file("in.sql"), dir.file("out.sql"), "--warn-unknown"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(readFile(dir.file("out.sql")), "1\n");
}

TEST(Paths, StandardOutputThatIsTheInputIsRefused) {
  ScratchDir dir;
  const std::string content = "WQNRuleID::applicableForAll\n";
  writeFile(dir.file("in.sql"), content);
  const ProgramResult result = runShell(wqnprepCommand() + " in.sql - >> in.sql", dir.path());
  EXPECT_EQ(result.status, 1);
  EXPECT_THAT(result.err, HasSubstr("is the input file"));
  EXPECT_EQ(readFile(dir.file("in.sql")), content);
}

// --- Unknown enumerators ---------------------------------------------------------------------

const std::string kScript =
    "-- grants\n"
    "INSERT INTO t VALUES (WQNOperationID::OPID_VIRTUAL_SERVER_REQUEST_GET, 1);\n"
    "\tNetworkSettingType::nstHardwareNodeID WQNRuleID::applicableForVEs WQNRuleID::zzz\n"
    "xWQNRuleID::nope WQNRuleID::applicableForAll_x WQNRuleID::applicableForAllx\n"
    "WQNRuleID::42 NoSuchType::foo";

const std::vector<std::string> kFindings{
    "2:23: %s: unknown enumerator 'OPID_VIRTUAL_SERVER_REQUEST_GET' of 'WQNOperationID'; did "
    "you mean 'OPID_VERTUAL_SERVER_REQUEST_GET'?",
    "3:2: %s: unknown enumerator 'nstHardwareNodeID' of 'NetworkSettingType'; did you mean "
    "'nstHardWareNodeID'?",
    "3:68: %s: unknown enumerator 'zzz' of 'WQNRuleID'",
    "4:48: %s: unknown enumerator 'applicableForAllx' of 'WQNRuleID'; did you mean "
    "'applicableForAll'?"};

const std::string kScriptOutput =
    "-- grants\n"
    "INSERT INTO t VALUES (WQNOperationID::OPID_VIRTUAL_SERVER_REQUEST_GET, 1);\n"
    "\tNetworkSettingType::nstHardwareNodeID 1 WQNRuleID::zzz\n"
    "xWQNRuleID::nope 0_x WQNRuleID::applicableForAllx\n"
    "WQNRuleID::42 NoSuchType::foo\n";

std::string findings(const std::string& file, const std::string& severity) {
  std::string text;
  for (std::string finding : kFindings) {
    finding.replace(finding.find("%s"), 2, severity);
    text += file + ":" + finding + "\n";
  }
  return text;
}

TEST(WarnUnknown, ReportsEachWithLineAndColumnAndChangesNothingElse) {
  ScratchDir dir;
  writeFile(dir.file("in.sql"), kScript);
  const ProgramResult result =
      runWqnprep({"--warn-unknown", dir.file("in.sql"), dir.file("out.sql")});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, findings(dir.file("in.sql"), "warning"));
  EXPECT_EQ(readFile(dir.file("out.sql")), kScriptOutput);
}

TEST(WarnUnknown, NamesStandardInputAsStdin) {
  const ProgramResult result =
      runShell("printf 'WQNRuleID::zzz' | " + wqnprepCommand() + " --warn-unknown - -");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, "WQNRuleID::zzz\n");
  EXPECT_EQ(result.err, "<stdin>:1:1: warning: unknown enumerator 'zzz' of 'WQNRuleID'\n");
}

TEST(Strict, ReportsEveryFindingAsAnErrorAndLeavesNoOutput) {
  ScratchDir dir;
  writeFile(dir.file("in.sql"), kScript);
  const ProgramResult fresh = runWqnprep({"--strict", dir.file("in.sql"), dir.file("out.sql")});
  EXPECT_EQ(fresh.status, 1);
  EXPECT_THAT(fresh.err, StartsWith(findings(dir.file("in.sql"), "error")));
  EXPECT_THAT(fresh.err, HasSubstr("Error: 4 unknown enumerators"));
  EXPECT_FALSE(fileExists(dir.file("out.sql")));

  writeFile(dir.file("out.sql"), "previous\n");
  const ProgramResult existing = runWqnprep({dir.file("in.sql"), dir.file("out.sql"), "--strict"});
  EXPECT_EQ(existing.status, 1);
  EXPECT_EQ(readFile(dir.file("out.sql")), "previous\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2)
      << "no temporary file is left behind";
}

TEST(Strict, WritesTheOutputWhenEverySymbolIsKnown) {
  ScratchDir dir;
  writeFile(dir.file("in.sql"), "WQNRuleID::applicableForHNs\n");
  writeFile(dir.file("target.sql"), "previous\n");
  ::chmod(dir.file("target.sql").c_str(), 0640);
  std::filesystem::create_symlink("target.sql", dir.file("link.sql"));

  const ProgramResult result = runWqnprep({"--strict", dir.file("in.sql"), dir.file("link.sql")});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.sql")));
  EXPECT_EQ(readFile(dir.file("target.sql")), "2\n");
  struct stat info {};
  ::stat(dir.file("target.sql").c_str(), &info);
  EXPECT_EQ(info.st_mode & 0777, 0640u) << "the replaced file keeps its mode";
}

TEST(Strict, StillRefusesToOverwriteTheInput) {
  ScratchDir dir;
  writeFile(dir.file("in.sql"), "WQNRuleID::applicableForHNs\n");
  const ProgramResult result = runWqnprep({"--strict", dir.file("in.sql"), dir.file("in.sql")});
  EXPECT_EQ(result.status, 1);
  EXPECT_THAT(result.err, HasSubstr("is the input file"));
  EXPECT_EQ(readFile(dir.file("in.sql")), "WQNRuleID::applicableForHNs\n");
}

}  // namespace
}  // namespace wqnprep::testing
