// The options of the command line, end to end.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "expected_text.h"
#include "findings/finding.h"
#include "run_program.h"

namespace wqnprep::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

const std::string kSynopsisFirstLine = "usage: wqnprep [OPTIONS] INPUT OUTPUT\n";

// Runs the program under the name `argv0`, in an empty folder that must stay empty.
ProgramResult runTouchingNothing(const std::string& argv0, const std::vector<std::string>& args) {
  ScratchDir dir;
  std::vector<std::string> argv{argv0};
  argv.insert(argv.end(), args.begin(), args.end());
  const ProgramResult result = runProgram(WQNPREP_BINARY, argv, "/dev/null", dir.path());
  EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "a file was created";
  return result;
}

std::size_t occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// --- Informational options -------------------------------------------------------------------

class HelpOption : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(HelpOption, PrintsOneSynopsisOptionsAndStatuses) {
  const ProgramResult result = runWqnprep(GetParam());
  EXPECT_EQ(result.status, 0);
  // The four forms of the README's Usage section.
  EXPECT_THAT(result.out,
              StartsWith(kSynopsisFirstLine + "       wqnprep --list\n"
                                              "       wqnprep [--ignore=KIND]... --check FILE...\n"
                                              "       wqnprep [OPTIONS] -d DIR INPUT...\n\n"));
  EXPECT_EQ(occurrences(result.out, "usage:"), 1u) << "one synopsis";
  EXPECT_THAT(result.out, Not(HasSubstr(kUsageLine)));
  for (const char* option :
       {"--help", "--version", "--list", "--warn-unknown", "--strict", "--", "exit status"}) {
    EXPECT_THAT(result.out, HasSubstr(option));
  }
  // Each way to status 1 beside the errors.
  const std::string statuses = result.out.substr(result.out.find("exit status:"));
  for (const char* cause : {"--strict", "--check", "-d"}) {
    EXPECT_THAT(statuses, HasSubstr(cause));
  }
  EXPECT_EQ(result.err, "");
}

TEST(HelpOption, FitsInEightyColumns) {
  std::istringstream help(runWqnprep({"--help"}).out);
  for (std::string line; std::getline(help, line);) {
    EXPECT_LE(line.size(), 80u) << line;
  }
}

INSTANTIATE_TEST_SUITE_P(Spellings, HelpOption,
                         ::testing::Values(std::vector<std::string>{"-h"},
                                           std::vector<std::string>{"--help"},
                                           std::vector<std::string>{"in", "--help", "out"}));

TEST(HelpOption, NamesTheProgramAsItWasCalled) {
  const ProgramResult result = runTouchingNothing("/opt/tools/prep", {"--help"});
  EXPECT_THAT(result.out, StartsWith("usage: prep [OPTIONS] INPUT OUTPUT\n"
                                     "       prep --list\n"
                                     "       prep [--ignore=KIND]... --check FILE...\n"
                                     "       prep [OPTIONS] -d DIR INPUT...\n"));
}

TEST(VersionOption, PrintsNameVersionCopyrightAndLicence) {
  const ProgramResult result = runWqnprep({"--version"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, std::string("wqnprep ") + WQNPREP_VERSION +
                            "\n"
                            "Copyright (C) 2026 the wqnprep authors\n"
                            "License: MIT <https://opensource.org/licenses/MIT>\n"
                            "This is free software: you are free to change and redistribute it.\n"
                            "There is NO WARRANTY, to the extent permitted by law.\n");
  EXPECT_EQ(result.err, "");
}

TEST(ListOption, PrintsEverySymbolInRegistryOrder) {
  const ProgramResult result = runWqnprep({"--list"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, readFile(WQNPREP_TEST_DATA_DIR "/typed_symbols.tsv") +
                            "WQNGlobalScopeGUID\t" + kGuid + "\n");
  EXPECT_EQ(result.err, "");
}

// Which of several options wins, whatever order they come in.
struct PrecedenceCase {
  const char* label;
  std::vector<std::string> args;
  int status;
  std::string firstLine;
};

void PrintTo(const PrecedenceCase& c, std::ostream* out) {
  *out << c.label;
}

class Precedence : public ::testing::TestWithParam<PrecedenceCase> {};

TEST_P(Precedence, DecidesWhatIsPrinted) {
  const ProgramResult result = runWqnprep(GetParam().args);
  EXPECT_EQ(result.status, GetParam().status);
  EXPECT_EQ(result.out.substr(0, result.out.find('\n') + 1), GetParam().firstLine);
}

const std::string kVersionLine = std::string("wqnprep ") + WQNPREP_VERSION + "\n";
// --list begins with the first qualified token of the registry.
const std::string kFirstListLine = [] {
  const std::string symbols = readFile(WQNPREP_TEST_DATA_DIR "/typed_symbols.tsv");
  return symbols.substr(0, symbols.find('\n') + 1);
}();

INSTANTIATE_TEST_SUITE_P(
    Options, Precedence,
    ::testing::Values(
        PrecedenceCase{"HelpBeforeVersion", {"--version", "--help"}, 0, kSynopsisFirstLine},
        PrecedenceCase{"HelpBeforeList", {"--list", "-h"}, 0, kSynopsisFirstLine},
        PrecedenceCase{"HelpBeforeAMissingPath", {"--help", "in"}, 0, kSynopsisFirstLine},
        PrecedenceCase{"VersionBeforeList", {"--list", "--version"}, 0, kVersionLine},
        PrecedenceCase{"VersionBeforeAMissingPath", {"in", "--version"}, 0, kVersionLine},
        PrecedenceCase{
            "ListBeforeRunModifiers", {"--strict", "--list", "--warn-unknown"}, 0, kFirstListLine},
        PrecedenceCase{"RepeatedListStillLists", {"--list", "--list"}, 0, kFirstListLine},
        PrecedenceCase{"ListBeforePaths", {"--list", "in", "out"}, 0, kFirstListLine},
        PrecedenceCase{"ListBeforeAType", {"--list", "WQNRuleID"}, 0, kFirstListLine},
        PrecedenceCase{"ListBeforeCheck", {"--list", "--check", "roles.sql"}, 0, kFirstListLine},
        PrecedenceCase{"ListBeforeOutputDir", {"--list", "-d", "out", "in"}, 0, kFirstListLine},
        PrecedenceCase{"MistakeBeforeHelp", {"--help", "--bogus"}, 2, ""},
        PrecedenceCase{"MistakeBeforeVersion", {"--strict=1", "--version"}, 2, ""}),
    [](const auto& info) { return info.param.label; });

// --- Wrong command lines ---------------------------------------------------------------------

class WrongPathCount : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(WrongPathCount, PrintsTheUsageLineOnlyAndExits2) {
  const ProgramResult result = runTouchingNothing("wqnprep", GetParam());
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, kUsageLine);
  EXPECT_EQ(result.err, "");
}

INSTANTIATE_TEST_SUITE_P(Mistakes, WrongPathCount,
                         ::testing::Values(std::vector<std::string>{},
                                           std::vector<std::string>{"in"},
                                           std::vector<std::string>{"in", "out", "extra"},
                                           std::vector<std::string>{"--strict", "in"},
                                           std::vector<std::string>{"--", "in", "out", "more"},
                                           std::vector<std::string>{"--", "--bogus"}));

struct WrongOptionCase {
  const char* label;
  std::string argv0;
  std::vector<std::string> args;
  std::string complaint;  // the first line on standard error
};

void PrintTo(const WrongOptionCase& c, std::ostream* out) {
  *out << c.label;
}

class WrongOption : public ::testing::TestWithParam<WrongOptionCase> {};

const std::string kNoSuchKind =
    "wqnprep: --ignore=bogus: no such kind; the kinds are " + std::string(kFindingKindNames);

std::string badJobs(const std::string& value) {
  return "wqnprep: --jobs=" + value + ": not a number of jobs; give 0 (one per processor) to 1024";
}

TEST_P(WrongOption, IsNamedOnStandardErrorAndExits2) {
  const ProgramResult result = runTouchingNothing(GetParam().argv0, GetParam().args);
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
  const std::string name = GetParam().argv0.substr(GetParam().argv0.find_last_of('/') + 1);
  EXPECT_EQ(result.err,
            GetParam().complaint + "\nTry '" + name + " --help' for more information.\n");
}

INSTANTIATE_TEST_SUITE_P(
    Mistakes, WrongOption,
    ::testing::Values(
        WrongOptionCase{"UnknownLong",
                        "wqnprep",
                        {"--strcit", "in", "out"},
                        "wqnprep: unrecognized option '--strcit'"},
        WrongOptionCase{"UnknownAfterThePaths",
                        "wqnprep",
                        {"in", "out", "--strct"},
                        "wqnprep: unrecognized option '--strct'"},
        WrongOptionCase{"UnknownWithWrongPathCount",
                        "wqnprep",
                        {"--bogus"},
                        "wqnprep: unrecognized option '--bogus'"},
        WrongOptionCase{"UnknownWithAValue",
                        "wqnprep",
                        {"--bogus=1", "in", "out"},
                        "wqnprep: unrecognized option '--bogus=1'"},
        WrongOptionCase{"AbbreviatedIsUnknown",
                        "wqnprep",
                        {"--str", "in", "out"},
                        "wqnprep: unrecognized option '--str'"},
        WrongOptionCase{
            "UnknownShort", "wqnprep", {"-x", "in", "out"}, "wqnprep: invalid option -- 'x'"},
        WrongOptionCase{
            "ShortFlagsAreNotBundled", "wqnprep", {"-hh"}, "wqnprep: unrecognized option '-hh'"},
        WrongOptionCase{"ValueForAFlag",
                        "wqnprep",
                        {"--strict=yes", "in", "out"},
                        "wqnprep: option '--strict' doesn't allow an argument"},
        WrongOptionCase{"EmptyValueForAFlag",
                        "wqnprep",
                        {"in", "out", "--warn-unknown="},
                        "wqnprep: option '--warn-unknown' doesn't allow an argument"},
        WrongOptionCase{"ValueForAnInformationalOption",
                        "wqnprep",
                        {"--help=all"},
                        "wqnprep: option '--help' doesn't allow an argument"},
        WrongOptionCase{"UnknownFindingFormatBeforeHelp",
                        "wqnprep",
                        {"--help", "--format=xml"},
                        "wqnprep: --format=xml: no such format; the formats are gcc, msvc, github, "
                        "json, sarif"},
        // A number of jobs is a whole number up to 1024; -j 0 is the default, one per processor.
        WrongOptionCase{"JobsNotANumber", "wqnprep", {"--check", "-j", "x", "a.sql"}, badJobs("x")},
        WrongOptionCase{
            "JobsNegative", "wqnprep", {"--jobs=-1", "--check", "a.sql"}, badJobs("-1")},
        WrongOptionCase{"JobsEmpty", "wqnprep", {"-d", "out", "--jobs=", "a.sql"}, badJobs("")},
        WrongOptionCase{"JobsTooMany", "wqnprep", {"-j1025", "--check", "a.sql"}, badJobs("1025")},
        WrongOptionCase{"JobsWithASign", "wqnprep", {"-j+2", "in", "out"}, badJobs("+2")},
        WrongOptionCase{"JobsBeforeHelp", "wqnprep", {"-j", "2x", "--help"}, badJobs("2x")},
        WrongOptionCase{"ProgramNameFromThePath",
                        "/opt/tools/prep.exe",
                        {"--bogus", "a", "b"},
                        "prep.exe: unrecognized option '--bogus'"},
        // A KIND is checked with the option, not only once a run is about to start.
        WrongOptionCase{
            "NoSuchKindBeforeVersion", "wqnprep", {"--ignore=bogus", "--version"}, kNoSuchKind},
        WrongOptionCase{
            "NoSuchKindBeforeList", "wqnprep", {"--ignore=bogus", "--list"}, kNoSuchKind},
        WrongOptionCase{
            "NoSuchKindAfterHelp", "wqnprep", {"--help", "--ignore=bogus"}, kNoSuchKind},
        WrongOptionCase{
            "NoSuchKindWithOnePath", "wqnprep", {"--ignore=bogus", "in.sql"}, kNoSuchKind},
        WrongOptionCase{"LanguageServerTakesNoFile",
                        "wqnprep",
                        {"--lsp", "a.sql"},
                        "wqnprep: --lsp serves standard input and output; it takes no FILE"},
        WrongOptionCase{"LanguageServerIsNoCheck",
                        "wqnprep",
                        {"--check", "--lsp"},
                        "wqnprep: --lsp does not go with --check"}),
    [](const auto& info) { return info.param.label; });

// --- Paths -----------------------------------------------------------------------------------

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

// --- Unknown enumerators ---------------------------------------------------------------------

const std::string kScript =
    "-- grants\n"
    "INSERT INTO t VALUES (WQNOperationID::OPID_VIRTUAL_SERVER_REQUEST_GET, 1);\n"
    "\tNetworkSettingType::nstHardwareNodeID WQNRuleID::applicableForVEs WQNRuleID::zzz\n"
    "xWQNRuleID::nope WQNRuleID::applicableForAll_x WQNRuleID::applicableForAllx\n"
    "WQNRuleID::42 NoSuchType::foo";

const std::vector<std::string> kFindings{
    "2:23: %s: unknown enumerator 'OPID_VIRTUAL_SERVER_REQUEST_GET' of 'WQNOperationID'; did "
    "you mean 'OPID_VERTUAL_SERVER_REQUEST_GET'? [unknown-enumerator]",
    // Display columns: the tab that begins line 3 reaches column 9.
    "3:9: %s: unknown enumerator 'nstHardwareNodeID' of 'NetworkSettingType'; did you mean "
    "'nstHardWareNodeID'? [unknown-enumerator]",
    "3:75: %s: unknown enumerator 'zzz' of 'WQNRuleID' [unknown-enumerator]",
    "4:18: %s: 'WQNRuleID::applicableForAll' was replaced inside the longer name "
    "'WQNRuleID::applicableForAll_x' [glued-token]",
    "4:48: %s: unknown enumerator 'applicableForAllx' of 'WQNRuleID'; did you mean "
    "'applicableForAll'? [unknown-enumerator]"};

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

TEST(Strict, ReportsEveryFindingAsAnErrorAndLeavesNoOutput) {
  ScratchDir dir;
  writeFile(dir.file("in.sql"), kScript);
  const ProgramResult fresh = runWqnprep({"--strict", dir.file("in.sql"), dir.file("out.sql")});
  EXPECT_EQ(fresh.status, 1);
  EXPECT_THAT(fresh.err, StartsWith(findings(dir.file("in.sql"), "error")));
  EXPECT_THAT(fresh.err, HasSubstr("Error: 5 findings in '" + dir.file("in.sql") + "'; '" +
                                   dir.file("out.sql") + "' was not written"));
  EXPECT_FALSE(fileExists(dir.file("out.sql")));

  writeFile(dir.file("out.sql"), "previous\n");
  const ProgramResult existing = runWqnprep({dir.file("in.sql"), dir.file("out.sql"), "--strict"});
  EXPECT_EQ(existing.status, 1);
  EXPECT_EQ(readFile(dir.file("out.sql")), "previous\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2)
      << "no temporary file is left behind";
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
