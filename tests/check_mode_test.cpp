// --check FILE...: findings as errors over many files, nothing written, and a status a CI step or
// a commit hook can stop on.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "folder_state.h"
#include "run_program.h"

namespace wqnprep::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

const std::string kClean =
    "INSERT INTO t VALUES (WQNOperationID::OPID_LICENSE_GENERALREAD, 'WQNGlobalScopeGUID');\n";
// One finding of each of two kinds, on lines 2 and 3.
const std::string kTwoKinds =
    "-- grants\n"
    "UPDATE r SET rule = WQNRuleID::zzz;\n"
    "INSERT INTO g VALUES (WQNOperationID::OPID_LICENSE_GENERALREAD_V2);\n";
const std::string kUnknownEnumerator =
    "two.sql:2:21: error: unknown enumerator 'zzz' of 'WQNRuleID' [unknown-enumerator]\n";
const std::string kGlued = "two.sql:3:23: error: ";
const std::string kOneFinding = "WQNRuleID::zzz\n";

// --- Exit statuses -------------------------------------------------------------------------------

struct CheckCase {
  const char* label;
  std::vector<std::string> args;  // after --check; the folder holds clean.sql, two.sql, locked.sql
  std::string stdinText;          // what "-" reads
  bool unprivileged;              // run as a user whom locked.sql's mode binds
  int status;
  std::vector<std::string> reported;     // each on standard error
  std::vector<std::string> notReported;  // none of these
};

void PrintTo(const CheckCase& c, std::ostream* out) {
  *out << c.label;
}

class CheckRun : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckRun, ExitsOneOnAnyFindingOrErrorAndWritesNothing) {
  const CheckCase& c = GetParam();
  ScratchDir dir;
  writeFile(dir.file("clean.sql"), kClean);
  writeFile(dir.file("two.sql"), kTwoKinds);
  writeFile(dir.file("locked.sql"), kTwoKinds);
  writeFile(dir.file("stdin"), c.stdinText);
  if (c.unprivileged) handToUnprivileged(dir.path());
  ::chmod(dir.file("locked.sql").c_str(), 0);
  const std::string before = folderState(dir.path(), true);

  std::vector<std::string> argv{wqnprepBinary(), "--check"};
  argv.insert(argv.end(), c.args.begin(), c.args.end());
  if (c.unprivileged) argv = asUnprivileged(argv);
  const ProgramResult result = runProgram(argv.front(), argv, dir.file("stdin"), dir.path());

  EXPECT_EQ(result.status, c.status) << result.err;
  EXPECT_EQ(result.out, "") << "nothing on standard output";
  for (const std::string& text : c.reported) EXPECT_THAT(result.err, HasSubstr(text));
  for (const std::string& text : c.notReported) EXPECT_THAT(result.err, Not(HasSubstr(text)));
  if (c.status == 0) {
    EXPECT_EQ(result.err, "");
  }
  EXPECT_EQ(folderState(dir.path(), true), before) << "a file was written or changed";
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, CheckRun,
    ::testing::Values(
        CheckCase{"OneCleanFile", {"clean.sql"}, "", false, 0, {}, {}},
        CheckCase{"CleanFilesAndCleanStandardInput",
                  {"clean.sql", "-", "clean.sql"},
                  kClean,
                  false,
                  0,
                  {},
                  {}},
        CheckCase{"FindingsAsErrors",
                  {"clean.sql", "two.sql"},
                  "",
                  false,
                  1,
                  {kUnknownEnumerator, kGlued, "[glued-token]\n"},
                  {"warning:", "clean.sql"}},
        // The file that cannot be opened is named, and the ones after it are still checked.
        CheckCase{"MissingFileAmongGoodOnes",
                  {"clean.sql", "gone.sql", "two.sql"},
                  "",
                  false,
                  1,
                  {"Error: cannot open input 'gone.sql': No such file or directory\n",
                   kUnknownEnumerator},
                  {}},
        CheckCase{"MissingFileAloneAmongCleanOnes",
                  {"clean.sql", "gone.sql", "clean.sql"},
                  "",
                  false,
                  1,
                  {"Error: cannot open input 'gone.sql': No such file or directory\n"},
                  {}},
        CheckCase{
            "UnreadableFileAmongGoodOnes",
            {"locked.sql", "two.sql"},
            "",
            true,
            1,
            {"Error: cannot open input 'locked.sql': Permission denied\n", kUnknownEnumerator},
            {"locked.sql:"}},
        // The folder is walked for its .sql files, under the paths as walked.
        CheckCase{"DirectoryAmongGoodOnes",
                  {".", "clean.sql"},
                  "",
                  false,
                  1,
                  {"./two.sql:2:21: error: unknown enumerator 'zzz' of 'WQNRuleID'"},
                  {"Is a directory"}},
        CheckCase{"FindingOnStandardInput",
                  {"clean.sql", "-"},
                  kTwoKinds,
                  false,
                  1,
                  {"<stdin>:2:21: error: unknown enumerator 'zzz' of 'WQNRuleID'"},
                  {}},
        // As a hook checks what is staged: `git show :a.sql | wqnprep --check ... -`.
        CheckCase{"StandardInputUnderTheNameGiven",
                  {"--stdin-filename=sql/a:b.sql", "-"},
                  kTwoKinds,
                  false,
                  1,
                  {"sql/a:b.sql:2:21: error: unknown enumerator 'zzz' of 'WQNRuleID'"},
                  {"<stdin>"}},
        CheckCase{"IgnoredKindsAreNoFinding",
                  {"--ignore=unknown-enumerator", "two.sql", "--ignore=glued-token"},
                  "",
                  false,
                  0,
                  {},
                  {}},
        CheckCase{"IgnoringOneKindKeepsTheOther",
                  {"two.sql", "--ignore=glued-token"},
                  "",
                  false,
                  1,
                  {kUnknownEnumerator},
                  {"[glued-token]"}}),
    [](const ::testing::TestParamInfo<CheckCase>& info) { return info.param.label; });

// --- Several files at once ---------------------------------------------------------------------

// How a run is started: its -j, and whether under a limit of 12 open files, which leaves room for
// few threads.
struct Jobs {
  const char* option;
  bool fewDescriptors;
};

// `argv` through /bin/sh, under the limit that `jobs` asks for.
ProgramResult runWithJobs(const Jobs& jobs, std::vector<std::string> argv, const std::string& dir) {
  argv.insert(argv.begin() + 1, jobs.option);
  std::string command = jobs.fewDescriptors ? "ulimit -n 12 && exec" : "exec";
  for (const std::string& arg : asUnprivileged(argv)) command.append(" ").append(shellQuote(arg));
  return runShell(command, dir);
}

class CheckJobs : public ::testing::TestWithParam<const char*> {};

// 48 files, in turn clean, with findings, unreadable and missing: any number of jobs reports what
// one job reports, in the order of the files, with the same status, in every format.
TEST_P(CheckJobs, ReportWhatOneJobReports) {
  ScratchDir dir;
  std::vector<std::string> argv{wqnprepBinary(), "--check", std::string("--format=") + GetParam()};
  for (int i = 0; i < 48; ++i) {
    argv.push_back(std::string("f").append(std::to_string(100 + i)).append(".sql"));
    if (i % 4 != 3) writeFile(dir.file(argv.back()), i % 4 == 0 ? kClean : kTwoKinds);
  }
  handToUnprivileged(dir.path());
  for (int i = 2; i < 48; i += 4) ::chmod(dir.file(argv[3 + i]).c_str(), 0);
  const ProgramResult one = runWithJobs({"-j1", false}, argv, dir.path());
  EXPECT_EQ(one.status, 1);
  EXPECT_THAT(one.err, HasSubstr("Permission denied"));
  for (const Jobs& jobs : {Jobs{"-j8", false}, Jobs{"-j8", true}, Jobs{"-j0", false}}) {
    const ProgramResult many = runWithJobs(jobs, argv, dir.path());
    SCOPED_TRACE(std::string(jobs.option) + (jobs.fewDescriptors ? ", ulimit -n 12" : ""));
    EXPECT_EQ(many.status, one.status);
    EXPECT_EQ(many.err, one.err);
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, CheckJobs,
                         ::testing::Values("gcc", "msvc", "github", "json", "sarif"));

// A file large enough to be checked in pieces on two threads reports what one pass reports, in
// the order of the file: around each place it may be cut (4 MiB apart), findings on lines that
// each silence the line after them, then, after a clean line, a finding after bytes that would be
// a byte-order mark at the start of a file; and a piece with more findings than a thread holds
// back.
TEST(CheckLargeFile, ReportsWhatOnePassReports) {
  constexpr std::size_t kPiece = std::size_t{4} << 20;
  std::string script;
  while (script.size() < 3 * kPiece + 1000) {
    const std::size_t sinceCut = script.size() % kPiece;
    if (script.size() > kPiece && sinceCut < 2000) {
      script += "WQNRuleID::zzz -- wqnprep-ignore-next-line\n";
      if (sinceCut + 44 >= 2000) script += kClean + "\xEF\xBB\xBF" + kOneFinding;
    } else if (script.size() / kPiece == 2 && sinceCut < 3000) {
      for (int line = 0; line < 10000; ++line) script += " " + kOneFinding;
    } else {
      script += script.size() % 7 == 0 ? kTwoKinds : kClean;
    }
  }
  ScratchDir dir;
  writeFile(dir.file("big.sql"), script);
  for (const char* option : {"--format=gcc", "--format=json", "--column-unit=byte"}) {
    const ProgramResult pieces =
        runWqnprep({"--check", option, "-j2", "big.sql"}, "/dev/null", dir.path());
    const ProgramResult onePass =
        runWqnprep({"--check", option, "-j1", "big.sql"}, "/dev/null", dir.path());
    EXPECT_EQ(pieces.status, 1);
    EXPECT_EQ(pieces.status, onePass.status);
    EXPECT_TRUE(pieces.err == onePass.err) << option << ", not printed whole: " << pieces.err.size()
                                           << " and " << onePass.err.size() << " bytes";
  }
}

// Standard input is checked from where it stands, also when it is a file large enough for pieces.
TEST(CheckLargeFile, StandardInputIsCheckedFromWhereItStands) {
  std::string script = kOneFinding;
  while (script.size() < std::size_t{9} << 20) script += kClean;
  ScratchDir dir;
  writeFile(dir.file("big.sql"), script);
  const ProgramResult rest = runShell(
      "{ read -r first; exec " + shellQuote(wqnprepBinary()) + " --check -j2 -; } < big.sql",
      dir.path());
  EXPECT_EQ(rest.err, "");
  EXPECT_EQ(rest.status, 0);
}

// The same findings, in the same words and order, as the run that would write the script.
TEST(CheckRun, ReportsWhatStrictReports) {
  ScratchDir dir;
  writeFile(dir.file("two.sql"), kTwoKinds);
  const ProgramResult check = runWqnprep({"--check", "two.sql"}, "/dev/null", dir.path());
  const ProgramResult strict =
      runWqnprep({"--strict", "two.sql", "out.sql"}, "/dev/null", dir.path());
  ASSERT_EQ(strict.status, 1);
  const std::string findings = strict.err.substr(0, strict.err.find("Error: "));
  EXPECT_THAT(findings, StartsWith(kUnknownEnumerator));
  EXPECT_EQ(check.err, findings);
}

// --- Folders ------------------------------------------------------------------------------------

// PATH's one finding, as --check reports it.
std::string findingIn(const std::string& path) {
  return path + ":1:1: error: unknown enumerator 'zzz' of 'WQNRuleID' [unknown-enumerator]\n";
}

struct FolderCase {
  const char* label;
  std::vector<std::string> args;  // after --check, in the folder prepareTree makes
  bool unprivileged;
  int status;
  std::string err;  // the whole of standard error
};

void PrintTo(const FolderCase& c, std::ostream* out) {
  *out << c.label;
}

// sql/ holds one finding in each file, in a subfolder, in names that sort differently by byte
// and by letter, under other extensions, and behind symbolic links to a file and to a folder
// outside it; mixed/ has a subfolder that its owner cannot read between two files.
void prepareTree(const std::string& dir) {
  for (const char* folder : {"sql", "sql/a", "outside", "mixed", "mixed/locked"})
    std::filesystem::create_directory(dir + "/" + folder);
  for (const char* file :
       {"sql/b.sql", "sql/a.sql", "sql/a/c.sql", "sql/C.sql", "sql/notes.txt", "sql/z.pgsql",
        "outside/x.sql", "outside.sql", "mixed/a.sql", "mixed/locked/x.sql", "mixed/z.sql"})
    writeFile(dir + "/" + file, kOneFinding);
  std::filesystem::create_symlink("../outside.sql", dir + "/sql/linked.sql");
  std::filesystem::create_directory_symlink("../outside", dir + "/sql/linked");
}

class CheckWalk : public ::testing::TestWithParam<FolderCase> {};

TEST_P(CheckWalk, ChecksTheFilesFoundInIt) {
  const FolderCase& c = GetParam();
  ScratchDir dir;
  prepareTree(dir.path());
  if (c.unprivileged) handToUnprivileged(dir.path());
  ::chmod(dir.file("mixed/locked").c_str(), 0);
  std::vector<std::string> argv{wqnprepBinary(), "--check"};
  argv.insert(argv.end(), c.args.begin(), c.args.end());
  if (c.unprivileged) argv = asUnprivileged(argv);
  const ProgramResult result = runProgram(argv.front(), argv, "/dev/null", dir.path());
  EXPECT_EQ(result.status, c.status);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, c.err);
}

INSTANTIATE_TEST_SUITE_P(
    Walks, CheckWalk,
    ::testing::Values(
        // Links found in the folder are not followed, to a file or to a folder.
        FolderCase{"SqlFilesInByteOrderOfTheirPaths",
                   {"sql"},
                   false,
                   1,
                   findingIn("sql/C.sql") + findingIn("sql/a.sql") + findingIn("sql/a/c.sql") +
                       findingIn("sql/b.sql")},
        FolderCase{"ExtensionsGivenReplaceTheDefault",
                   {"--extension=.pgsql", "sql/", "--extension=txt"},
                   false,
                   1,
                   findingIn("sql/notes.txt") + findingIn("sql/z.pgsql")},
        FolderCase{"NoMatchingFile", {"--extension=.psql", "sql"}, false, 0, ""},
        FolderCase{"LinkGivenIsFollowed", {"sql/linked"}, false, 1, findingIn("sql/linked/x.sql")},
        FolderCase{"UnreadableSubfolderAmongFiles",
                   {"mixed"},
                   true,
                   1,
                   findingIn("mixed/a.sql") +
                       "Error: cannot read input folder 'mixed/locked': Permission denied\n" +
                       findingIn("mixed/z.sql")}),
    [](const ::testing::TestParamInfo<FolderCase>& info) { return info.param.label; });

// The gate passes every script the project ships, but those that are there to show findings and
// say so in their first line.
TEST(CheckRun, PassesTheShippedScriptsThatShowNoFindings) {
  const std::filesystem::path examples =
      std::filesystem::path(WQNPREP_TEST_DATA_DIR).parent_path().parent_path() / "examples";
  std::size_t scripts = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(examples)) {
    const std::string name = entry.path().filename().string();
    if (!entry.is_regular_file() || !(name.ends_with(".sql") || name.ends_with(".sql.in"))) {
      continue;
    }
    const std::string path = entry.path().string();
    const bool showsFindings = readFile(path).starts_with("-- Shows findings");
    const ProgramResult result = runWqnprep({"--check", "--", path});
    EXPECT_EQ(result.status, showsFindings ? 1 : 0) << path << "\n" << result.err;
    ++scripts;
  }
  EXPECT_GE(scripts, 10U);
}

// --- Command lines that --check refuses ----------------------------------------------------------

struct WrongCheck {
  const char* label;
  std::vector<std::string> args;
  const char* message;  // the first line on standard error, after "wqnprep: "
};

void PrintTo(const WrongCheck& c, std::ostream* out) {
  *out << c.label;
}

class WrongCheckLine : public ::testing::TestWithParam<WrongCheck> {};

TEST_P(WrongCheckLine, IsAUsageErrorThatTouchesNothing) {
  ScratchDir dir;
  writeFile(dir.file("two.sql"), kTwoKinds);
  ::mkdir(dir.file("out").c_str(), 0755);
  const std::string before = folderState(dir.path(), true);
  const ProgramResult result = runWqnprep(GetParam().args, "/dev/null", dir.path());
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "") << "no usage line: --check has no two paths to ask for";
  EXPECT_EQ(result.err, "wqnprep: " + std::string(GetParam().message) +
                            "\nTry 'wqnprep --help' for more information.\n");
  EXPECT_EQ(folderState(dir.path(), true), before);
}

INSTANTIATE_TEST_SUITE_P(
    Combinations, WrongCheckLine,
    ::testing::Values(
        WrongCheck{"NoFile", {"--check"}, "--check needs at least one FILE"},
        WrongCheck{
            "OnlyIgnore", {"--ignore=glued-token", "--check"}, "--check needs at least one FILE"},
        WrongCheck{"WithStrict",
                   {"--strict", "--check", "two.sql"},
                   "--check fails on every finding already; it does not go with --strict"},
        WrongCheck{"WithWarnUnknown",
                   {"--check", "two.sql", "--warn-unknown"},
                   "--check reports findings as errors; it does not go with --warn-unknown"},
        WrongCheck{"EmptyExtension",
                   {"--check", "--extension=.", "two.sql"},
                   "--extension=.: no extension; give one such as --extension=.sql"},
        WrongCheck{"WithOutputDir",
                   {"--check", "-d", "out", "two.sql"},
                   "--check writes nothing; it does not go with --output-dir"}),
    [](const ::testing::TestParamInfo<WrongCheck>& info) { return info.param.label; });

TEST(WrongCheckLine, AnUnknownKindIsNamed) {
  ScratchDir dir;
  writeFile(dir.file("two.sql"), kTwoKinds);
  const ProgramResult result =
      runWqnprep({"--check", "--ignore=glued", "two.sql"}, "/dev/null", dir.path());
  EXPECT_EQ(result.status, 2);
  EXPECT_THAT(result.err, HasSubstr("--ignore=glued: no such kind"));
  EXPECT_THAT(result.err, Not(HasSubstr("two.sql:")));
}

// --- Where --check sits among the options that act on their own ----------------------------------

TEST(CheckPrecedence, HelpVersionAndListComeFirst) {
  ScratchDir dir;
  writeFile(dir.file("two.sql"), kTwoKinds);
  const std::vector<std::pair<std::vector<std::string>, std::string>> lines{
      {{"--check", "two.sql", "--help"}, "usage: wqnprep"},
      {{"--version", "--check", "two.sql"}, "wqnprep "},
      {{"--check", "--list"}, "WQNRuleID::applicableForAll\t"},
  };
  for (const auto& [args, printed] : lines) {
    const ProgramResult result = runWqnprep(args, "/dev/null", dir.path());
    EXPECT_EQ(result.status, 0) << args.back();
    EXPECT_THAT(result.out, HasSubstr(printed)) << args.back();
    EXPECT_EQ(result.err, "") << args.back();
  }
}

TEST(CheckPrecedence, AWrongOptionComesBeforeIt) {
  const ProgramResult result = runWqnprep({"--check", "--strcit", "two.sql"});
  EXPECT_EQ(result.status, 2);
  EXPECT_THAT(result.err, StartsWith("wqnprep: unrecognized option '--strcit'\n"));
}

}  // namespace
}  // namespace wqnprep::testing
