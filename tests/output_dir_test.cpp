// -d DIR INPUT...: many inputs into one folder. What is refused before anything is written, one
// failing input among good ones, and the all-or-nothing run of --strict.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ostream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "expected_text.h"
#include "folder_state.h"
#include "run_program.h"

namespace wqnprep::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

const std::string kGrants = "GRANT WQNOperationID::OPID_LICENSE_GENERALREAD;\n";
const std::string kGrantsOut = "GRANT 1;\n";
const std::string kScope = "SELECT 'WQNGlobalScopeGUID';\n";
const std::string kScopeOut = "SELECT '" + kGuid + "';\n";
const std::string kTypo = "UPDATE r SET rule = WQNRuleID::zzz;\n";
const std::string kPrevious = "-- written by an earlier run\n";

void makeFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0755) != 0) throw std::runtime_error("cannot create " + path);
}

void makeLink(const std::string& target, const std::string& path) {
  if (::link(target.c_str(), path.c_str()) != 0) throw std::runtime_error("cannot link " + path);
}

void makeSymlink(const std::string& target, const std::string& path) {
  if (::symlink(target.c_str(), path.c_str()) != 0) throw std::runtime_error("cannot link " + path);
}

// The scratch folder of every test: sql/grants.sql and sql/scope.sql, clean; sql/typo.sql with
// a finding; other/grants.sql, a second script of the same name; and out/, the output folder,
// holding an earlier result for grants.sql.
void prepareScripts(const std::string& dir) {
  makeFolder(dir + "/sql");
  makeFolder(dir + "/other");
  makeFolder(dir + "/out");
  writeFile(dir + "/sql/grants.sql", kGrants);
  writeFile(dir + "/sql/scope.sql", kScope);
  writeFile(dir + "/sql/typo.sql", kTypo);
  writeFile(dir + "/other/grants.sql", kGrants);
  writeFile(dir + "/out/grants.sql", kPrevious);
}

ProgramResult runIn(const std::string& dir, const std::vector<std::string>& args,
                    bool unprivileged) {
  return unprivileged ? runWqnprepUnprivileged(args, dir) : runWqnprep(args, "/dev/null", dir);
}

// --- Refused before anything is written ------------------------------------------------------

struct Refusal {
  const char* label;
  void (*prepare)(const std::string& dir);  // after prepareScripts
  std::vector<std::string> args;            // run in the scratch folder, or in `workingDir`
  const char* workingDir;                   // relative to it
  int status;
  std::string message;  // the whole of standard error
};

void PrintTo(const Refusal& c, std::ostream* out) {
  *out << c.label;
}

class OutputDirRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(OutputDirRefusal, ChangesNoFile) {
  const Refusal& c = GetParam();
  ScratchDir dir;
  prepareScripts(dir.path());
  c.prepare(dir.path());
  const std::string before = folderState(dir.path(), true);
  for (const bool strict : {false, true}) {
    std::vector<std::string> args = c.args;
    if (strict) args.insert(args.begin(), "--strict");
    const ProgramResult result = runWqnprep(args, "/dev/null", dir.file(c.workingDir));
    SCOPED_TRACE(strict ? "--strict" : "without --strict");
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, c.message);
    EXPECT_EQ(folderState(dir.path(), true), before);
  }
}

void nothing(const std::string& /*dir*/) {}

const std::string kTry = "\nTry 'wqnprep --help' for more information.\n";

INSTANTIATE_TEST_SUITE_P(
    Inputs, OutputDirRefusal,
    ::testing::Values(
        // The first input alone could be written; it is not, since the second would replace it.
        Refusal{"SameNameFromTwoFolders",
                nothing,
                {"-d", "out", "sql/scope.sql", "sql/grants.sql", "other/grants.sql"},
                ".",
                1,
                "Error: 'sql/grants.sql' and 'other/grants.sql' would both be written to "
                "'out/grants.sql'\n"},
        Refusal{"OneInputTwice",
                nothing,
                {"-d", "out", "sql/grants.sql", "sql/grants.sql"},
                ".",
                1,
                "Error: 'sql/grants.sql' and 'sql/grants.sql' would both be written to "
                "'out/grants.sql'\n"},
        Refusal{"InputIsItsOwnOutputFromItsFolder",
                nothing,
                {"-d", ".", "scope.sql"},
                "sql",
                1,
                "Error: output './scope.sql' is the input file 'scope.sql'; refusing to "
                "overwrite it\n"},
        Refusal{"InputIsItsOwnOutputByAnotherPath",
                nothing,
                {"--output-dir=../sql", "typo.sql", "../other/grants.sql"},
                "sql",
                1,
                "Error: output '../sql/typo.sql' is the input file 'typo.sql'; refusing to "
                "overwrite it\n"},
        // out/scope.sql is the same file as sql/typo.sql, which the second input reads.
        Refusal{
            "OutputIsAHardLinkToAnotherInput",
            [](const std::string& dir) { makeLink(dir + "/sql/typo.sql", dir + "/out/scope.sql"); },
            {"-d", "out", "sql/scope.sql", "sql/typo.sql"},
            ".",
            1,
            "Error: output 'out/scope.sql' is the input file 'sql/typo.sql'; refusing to "
            "overwrite it\n"},
        Refusal{
            "OutputIsASymbolicLinkToAnInput",
            [](const std::string& dir) { makeSymlink("../sql/typo.sql", dir + "/out/scope.sql"); },
            {"-d", "out", "sql/scope.sql", "sql/typo.sql"},
            ".",
            1,
            "Error: output 'out/scope.sql' is the input file 'sql/typo.sql'; refusing to "
            "overwrite it\n"},
        Refusal{"TwoOutputsAreOneFile",
                [](const std::string& dir) {
                  makeLink(dir + "/out/grants.sql", dir + "/out/scope.sql");
                },
                {"-d", "out", "sql/grants.sql", "sql/scope.sql"},
                ".",
                1,
                "Error: outputs 'out/grants.sql' and 'out/scope.sql' are the same file; "
                "refusing to write it twice\n"},
        // Written through, the link would make out/grants.sql the result of both inputs.
        Refusal{"OutputIsADanglingSymbolicLink",
                [](const std::string& dir) {
                  ::unlink((dir + "/out/grants.sql").c_str());
                  makeSymlink("grants.sql", dir + "/out/scope.sql");
                },
                {"-d", "out", "sql/scope.sql", "sql/grants.sql"},
                ".",
                1,
                "Error: not writing through dangling symbolic link 'out/scope.sql'\n"},
        // "sql/" is the folder sql, whose tree goes to out/sql; "sql/." has no name of its own.
        Refusal{"InputWithoutAFileName",
                nothing,
                {"-d", "out", "sql/grants.sql", "sql/."},
                ".",
                1,
                "Error: cannot name an output in 'out' after 'sql/.', which has no file name\n"},
        // Each refusal below is found at the last file of the tree, after files that could be
        // written.
        Refusal{"SameNameInTwoTrees",
                [](const std::string& dir) {
                  makeFolder(dir + "/other/sql");
                  writeFile(dir + "/other/sql/typo.sql", kGrants);
                },
                {"-d", "out", "sql", "other/sql"},
                ".",
                1,
                "Error: 'sql/typo.sql' and 'other/sql/typo.sql' would both be written to "
                "'out/sql/typo.sql'\n"},
        Refusal{"AFileWhereATreeNeedsAFolder",
                [](const std::string& dir) { writeFile(dir + "/other/sql", kGrants); },
                {"-d", "out", "sql", "other/sql"},
                ".",
                1,
                "Error: 'other/sql' would be written to 'out/sql', which 'sql/grants.sql' needs "
                "as a folder\n"},
        Refusal{"OutputInTheTreeIsADanglingSymbolicLink",
                [](const std::string& dir) {
                  makeFolder(dir + "/out/sql");
                  makeSymlink("gone.sql", dir + "/out/sql/typo.sql");
                },
                {"-d", "out", "sql"},
                ".",
                1,
                "Error: not writing through dangling symbolic link 'out/sql/typo.sql'\n"},
        Refusal{"OutputSubfolderIsADanglingSymbolicLink",
                [](const std::string& dir) { makeSymlink("gone", dir + "/out/sql"); },
                {"-d", "out", "sql/grants.sql", "sql"},
                ".",
                1,
                "Error: not writing through dangling symbolic link 'out/sql'\n"},
        Refusal{"OutputFolderInsideTheInputFolder",
                [](const std::string& dir) { makeFolder(dir + "/sql/out"); },
                {"-d", "sql/out", "sql"},
                ".",
                1,
                "Error: output folder 'sql/out' is inside input folder 'sql'; refusing to "
                "write a folder into itself\n"},
        Refusal{"MissingFolder",
                nothing,
                {"-d", "built", "sql/grants.sql"},
                ".",
                1,
                "Error: cannot use output folder 'built': No such file or directory\n"},
        Refusal{"FolderIsAFile",
                nothing,
                {"-d", "sql/scope.sql", "sql/grants.sql"},
                ".",
                1,
                "Error: cannot use output folder 'sql/scope.sql': Not a directory\n"},
        Refusal{"StandardInput",
                nothing,
                {"-d", "out", "sql/grants.sql", "-"},
                ".",
                2,
                "wqnprep: --output-dir names each output after its input; '-' (standard input) "
                "has no name" +
                    kTry},
        Refusal{"NoInput",
                nothing,
                {"-d", "out"},
                ".",
                2,
                "wqnprep: --output-dir needs at least one INPUT" + kTry},
        Refusal{"TwoFoldersWithATrailingSlash",
                nothing,
                {"-d", "out/", "sql/grants.sql", "--output-dir=sql/"},
                ".",
                2,
                "wqnprep: two output folders given, 'out/' and 'sql/'" + kTry},
        Refusal{"TwoFolders",
                nothing,
                {"-d", "out", "sql/grants.sql", "--output-dir=sql"},
                ".",
                2,
                "wqnprep: two output folders given, 'out' and 'sql'" + kTry}),
    [](const ::testing::TestParamInfo<Refusal>& info) { return info.param.label; });

// --- Without --strict: each input on its own -------------------------------------------------

struct OneFails {
  const char* label;
  void (*prepare)(const std::string& dir);  // after prepareScripts; makes sql/bad.sql fail
  bool unprivileged;                        // run as a user whom the permissions bind
  std::string message;                      // the whole of standard error
};

void PrintTo(const OneFails& c, std::ostream* out) {
  *out << c.label;
}

class OutputDirEach : public ::testing::TestWithParam<OneFails> {};

// The inputs before and after the failing one are written, and the run says what failed.
TEST_P(OutputDirEach, WritesTheOthersAndFails) {
  const OneFails& c = GetParam();
  ScratchDir dir;
  prepareScripts(dir.path());
  c.prepare(dir.path());
  if (c.unprivileged) handToUnprivileged(dir.path());
  const ProgramResult result = runIn(
      dir.path(), {"-d", "out", "sql/grants.sql", "sql/bad.sql", "sql/scope.sql"}, c.unprivileged);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, c.message);
  EXPECT_EQ(readFile(dir.file("out/grants.sql")), kGrantsOut);
  EXPECT_EQ(readFile(dir.file("out/scope.sql")), kScopeOut);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, OutputDirEach,
    ::testing::Values(
        OneFails{"MissingInput", nothing, false,
                 "Error: cannot open input 'sql/bad.sql': No such file or directory\n"},
        OneFails{"UnreadableInput",
                 [](const std::string& dir) {
                   writeFile(dir + "/sql/bad.sql", kGrants);
                   ::chmod((dir + "/sql/bad.sql").c_str(), 0);
                 },
                 true, "Error: cannot open input 'sql/bad.sql': Permission denied\n"},
        // A folder is walked; one that cannot be read fails as an input does.
        OneFails{"InputIsAFolder",
                 [](const std::string& dir) {
                   makeFolder(dir + "/sql/bad.sql");
                   ::chmod((dir + "/sql/bad.sql").c_str(), 0);
                 },
                 true, "Error: cannot read input folder 'sql/bad.sql': Permission denied\n"},
        OneFails{"OutputSubfolderIsAFile",
                 [](const std::string& dir) {
                   makeFolder(dir + "/sql/bad.sql");
                   writeFile(dir + "/sql/bad.sql/x.sql", kGrants);
                   writeFile(dir + "/out/bad.sql", kPrevious);
                 },
                 false, "Error: cannot create folder 'out/bad.sql': File exists\n"},
        OneFails{"OutputIsReadOnly",
                 [](const std::string& dir) {
                   writeFile(dir + "/sql/bad.sql", kGrants);
                   writeFile(dir + "/out/bad.sql", kPrevious);
                   ::chmod((dir + "/out/bad.sql").c_str(), 0444);
                 },
                 true, "Error: cannot open output 'out/bad.sql': Permission denied\n"},
        OneFails{"OutputIsAFolder",
                 [](const std::string& dir) {
                   writeFile(dir + "/sql/bad.sql", kGrants);
                   makeFolder(dir + "/out/bad.sql");
                 },
                 false, "Error: cannot open output 'out/bad.sql': Is a directory\n"}),
    [](const ::testing::TestParamInfo<OneFails>& info) { return info.param.label; });

TEST(OutputDirEach, NamesEveryFailure) {
  ScratchDir dir;
  prepareScripts(dir.path());
  const ProgramResult result =
      runIn(dir.path(), {"-d", "out", "sql/gone.sql", "sql/grants.sql", "sql/lost.sql"}, false);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err,
            "Error: cannot open input 'sql/gone.sql': No such file or directory\n"
            "Error: cannot open input 'sql/lost.sql': No such file or directory\n");
  EXPECT_EQ(readFile(dir.file("out/grants.sql")), kGrantsOut);
}

// Findings are warnings, each under its own file's name; every output is written.
TEST(OutputDirEach, WarnsPerFile) {
  ScratchDir dir;
  prepareScripts(dir.path());
  writeFile(dir.file("other/typo2.sql"), "\n" + kTypo);
  const ProgramResult result = runIn(
      dir.path(),
      {"--warn-unknown", "-d", "out", "sql/typo.sql", "sql/grants.sql", "other/typo2.sql"}, false);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_THAT(result.err, HasSubstr("sql/typo.sql:1:21: warning: unknown enumerator 'zzz'"));
  EXPECT_THAT(result.err, HasSubstr("other/typo2.sql:2:21: warning: unknown enumerator 'zzz'"));
  EXPECT_EQ(readFile(dir.file("out/typo.sql")), kTypo);
  EXPECT_EQ(readFile(dir.file("out/typo2.sql")), "\n" + kTypo);
  EXPECT_EQ(readFile(dir.file("out/grants.sql")), kGrantsOut);
}

// --- With --strict: all or nothing -----------------------------------------------------------

struct BadInput {
  const char* label;
  void (*prepare)(const std::string& dir);  // after prepareScripts; makes sql/bad.sql fail
  bool unprivileged;
  std::string message;  // part of standard error, before the last line
};

void PrintTo(const BadInput& c, std::ostream* out) {
  *out << c.label;
}

class OutputDirStrict : public ::testing::TestWithParam<BadInput> {};

// Whichever input is bad, first, in the middle or last: no output is created or changed, not
// even its time stamp, and the run names the bad input.
TEST_P(OutputDirStrict, WritesNothingUnlessEveryInputIsClean) {
  const BadInput& c = GetParam();
  const std::vector<std::vector<std::string>> orders{
      {"sql/bad.sql", "sql/grants.sql", "sql/scope.sql"},
      {"sql/grants.sql", "sql/bad.sql", "sql/scope.sql"},
      {"sql/grants.sql", "sql/scope.sql", "sql/bad.sql"},
  };
  for (const std::vector<std::string>& inputs : orders) {
    ScratchDir dir;
    prepareScripts(dir.path());
    c.prepare(dir.path());
    if (c.unprivileged) handToUnprivileged(dir.path());
    const std::string before = folderState(dir.path(), true);
    std::vector<std::string> args{"--strict", "-d", "out"};
    args.insert(args.end(), inputs.begin(), inputs.end());
    const ProgramResult result = runIn(dir.path(), args, c.unprivileged);
    SCOPED_TRACE("bad input at " + std::to_string(&inputs - orders.data()));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_THAT(result.err, HasSubstr(c.message));
    EXPECT_THAT(result.err, ::testing::EndsWith("Error: 1 of 3 inputs failed; nothing was "
                                                "written to 'out'\n"));
    EXPECT_EQ(folderState(dir.path(), true), before);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Failures, OutputDirStrict,
    ::testing::Values(
        BadInput{"Finding", [](const std::string& dir) { writeFile(dir + "/sql/bad.sql", kTypo); },
                 false,
                 "sql/bad.sql:1:21: error: unknown enumerator 'zzz' of 'WQNRuleID' "
                 "[unknown-enumerator]\nError: 1 finding in 'sql/bad.sql'\n"},
        BadInput{"MissingInput", nothing, false,
                 "Error: cannot open input 'sql/bad.sql': No such file or directory\n"},
        BadInput{"UnreadableInput",
                 [](const std::string& dir) {
                   writeFile(dir + "/sql/bad.sql", kGrants);
                   ::chmod((dir + "/sql/bad.sql").c_str(), 0);
                 },
                 true, "Error: cannot open input 'sql/bad.sql': Permission denied\n"},
        BadInput{"InputIsAFolder",
                 [](const std::string& dir) {
                   makeFolder(dir + "/sql/bad.sql");
                   ::chmod((dir + "/sql/bad.sql").c_str(), 0);
                 },
                 true, "Error: cannot read input folder 'sql/bad.sql': Permission denied\n"},
        BadInput{"OutputIsReadOnly",
                 [](const std::string& dir) {
                   writeFile(dir + "/sql/bad.sql", kGrants);
                   writeFile(dir + "/out/bad.sql", kPrevious);
                   ::chmod((dir + "/out/bad.sql").c_str(), 0444);
                 },
                 true, "Error: cannot open output 'out/bad.sql': Permission denied\n"},
        // The outputs of the other inputs are there, and could be written.
        BadInput{"OutputFolderIsReadOnly",
                 [](const std::string& dir) {
                   writeFile(dir + "/sql/bad.sql", kGrants);
                   writeFile(dir + "/out/scope.sql", kPrevious);
                   ::chmod((dir + "/out").c_str(), 0555);
                 },
                 true, "Error: cannot open output 'out/bad.sql': Permission denied\n"},
        BadInput{"OutputSubfolderCannotBeCreated",
                 [](const std::string& dir) {
                   makeFolder(dir + "/sql/bad.sql");
                   writeFile(dir + "/sql/bad.sql/x.sql", kGrants);
                   writeFile(dir + "/out/scope.sql", kPrevious);
                   ::chmod((dir + "/out").c_str(), 0555);
                 },
                 true, "Error: cannot create folder 'out/bad.sql': Permission denied\n"}),
    [](const ::testing::TestParamInfo<BadInput>& info) { return info.param.label; });

// Every input is read, so that one run reports every finding there is.
TEST(OutputDirStrict, ReportsTheFindingsOfEveryInput) {
  ScratchDir dir;
  prepareScripts(dir.path());
  writeFile(dir.file("other/typo2.sql"), kTypo + kTypo);
  const ProgramResult result =
      runIn(dir.path(),
            {"--strict", "-d", "out", "sql/typo.sql", "sql/grants.sql", "other/typo2.sql"}, false);
  EXPECT_EQ(result.status, 1);
  EXPECT_THAT(result.err, HasSubstr("Error: 1 finding in 'sql/typo.sql'\n"));
  EXPECT_THAT(result.err, HasSubstr("other/typo2.sql:2:21: error: "));
  EXPECT_THAT(result.err, HasSubstr("Error: 2 findings in 'other/typo2.sql'\n"));
  EXPECT_THAT(result.err, HasSubstr("Error: 2 of 3 inputs failed; nothing was written to 'out'\n"));
  EXPECT_EQ(readFile(dir.file("out/grants.sql")), kPrevious);
}

// Each output gets exactly its own input's result, the empty one and the one without a final
// line feed included, in a folder given with a trailing slash.
TEST(OutputDirStrict, WritesEveryResultWhenAllAreClean) {
  ScratchDir dir;
  prepareScripts(dir.path());
  writeFile(dir.file("sql/empty.sql"), "");
  writeFile(dir.file("other/unended.sql"), "WQNRuleID::applicableForVEs");
  const ProgramResult result = runIn(dir.path(),
                                     {"--strict", "-d", "out/", "sql/scope.sql", "sql/empty.sql",
                                      "other/unended.sql", "sql/grants.sql"},
                                     false);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(readFile(dir.file("out/scope.sql")), kScopeOut);
  EXPECT_TRUE(fileExists(dir.file("out/empty.sql")));
  EXPECT_EQ(readFile(dir.file("out/empty.sql")), "");
  EXPECT_EQ(readFile(dir.file("out/unended.sql")), "1\n");
  EXPECT_EQ(readFile(dir.file("out/grants.sql")), kGrantsOut);
}

// Only writing the outputs can still fail once every input was clean; the run says which
// outputs were written and which were not.
TEST(OutputDirStrict, SaysWhereWritingTheOutputsStopped) {
  ScratchDir dir;
  prepareScripts(dir.path());
  makeSymlink("/dev/full", dir.file("out/scope.sql"));
  writeFile(dir.file("other/last.sql"), kGrants);
  const ProgramResult result =
      runIn(dir.path(),
            {"--strict", "-d", "out", "sql/grants.sql", "sql/scope.sql", "other/last.sql"}, false);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err,
            "Error: cannot write output 'out/scope.sql': No space left on device\n"
            "Error: stopped at 'out/scope.sql', which may be incomplete: the 1 output before it "
            "was written, the 1 output after it was not written\n");
  EXPECT_EQ(readFile(dir.file("out/grants.sql")), kGrantsOut);
  EXPECT_FALSE(fileExists(dir.file("out/last.sql")));
}

// Many inputs do not need a descriptor each: 300 inputs with 16 descriptors in all, however many
// jobs are asked for.
TEST(OutputDirStrict, ManyInputsNeedFewDescriptors) {
  ScratchDir dir;
  prepareScripts(dir.path());
  constexpr int kInputs = 300;
  std::string inputs;
  for (int i = 0; i < kInputs; ++i) {
    const std::string name = "sql/s" + std::to_string(i) + ".sql";
    writeFile(dir.file(name), "-- " + std::to_string(i) + "\n" + kScope);
    inputs += " " + name;
  }
  for (const std::string mode : {"--strict", "--warn-unknown", "-j16 --strict", "-j16"}) {
    const std::string out = "out" + std::to_string(mode.size());
    makeFolder(dir.file(out));
    const ProgramResult result = runShell(
        "ulimit -n 16 && " + wqnprepCommand() + " " + mode + " -d " + out + inputs, dir.path());
    EXPECT_EQ(result.status, 0) << mode << ": " << result.err;
    for (int i = 0; i < kInputs; ++i) {
      ASSERT_EQ(readFile(dir.file(out + "/s" + std::to_string(i) + ".sql")),
                "-- " + std::to_string(i) + "\n" + kScopeOut)
          << mode << ", input " << i;
    }
  }
}

// --- Several files at once ---------------------------------------------------------------------

struct JobsCase {
  const char* label;
  const char* mode;  // the option that says what findings do, or ""
  // The inputs are in turn clean, with a finding, unreadable and missing, the first `kinds` of
  // these; with all four, one output is a folder.
  int kinds;
};

void PrintTo(const JobsCase& c, std::ostream* out) {
  *out << c.label;
}

class OutputDirJobs : public ::testing::TestWithParam<JobsCase> {};

// 48 inputs of some kinds: any number of jobs writes and reports what one job does, in the order of
// the inputs; under a limit of 12 open files too, which leaves room for few threads.
TEST_P(OutputDirJobs, WriteAndReportWhatOneJobDoes) {
  const JobsCase& c = GetParam();
  struct Run {
    ProgramResult result;
    std::string written;
  };
  const auto run = [&](const std::string& jobs, bool fewDescriptors) {
    ScratchDir dir;
    prepareScripts(dir.path());
    std::vector<std::string> argv{wqnprepBinary(), jobs, "-d", "out"};
    if (*c.mode != '\0') argv.emplace_back(c.mode);
    for (int i = 0; i < 48; ++i) {
      const std::string name = "sql/f" + std::to_string(100 + i) + ".sql";
      const int kind = i % c.kinds;
      if (kind != 3) writeFile(dir.file(name), kind == 1 ? kTypo : kGrants);
      if (kind == 2) ::chmod(dir.file(name).c_str(), 0);
      argv.push_back(name);
    }
    if (c.kinds == 4) makeFolder(dir.file("out/f120.sql"));
    handToUnprivileged(dir.path());
    std::string command = fewDescriptors ? "ulimit -n 12 && exec" : "exec";
    for (const std::string& arg : asUnprivileged(argv)) command.append(" ").append(shellQuote(arg));
    Run done{runShell(command, dir.path()), ""};
    done.written = folderState(dir.file("out"), false);
    return done;
  };
  const Run one = run("-j1", false);
  EXPECT_EQ(one.result.status, c.kinds == 1 ? 0 : 1) << one.result.err;
  if (c.kinds == 4) {
    EXPECT_THAT(one.result.err, HasSubstr("Permission denied"));
  }
  for (const auto& [jobs, fewDescriptors] :
       {std::pair{"-j8", false}, std::pair{"-j8", true}, std::pair{"-j0", false}}) {
    const Run many = run(jobs, fewDescriptors);
    SCOPED_TRACE(std::string(jobs) + (fewDescriptors ? ", ulimit -n 12" : ""));
    EXPECT_EQ(many.result.status, one.result.status);
    EXPECT_EQ(many.result.err, one.result.err);
    EXPECT_EQ(many.written, one.written);
  }
}

INSTANTIATE_TEST_SUITE_P(Modes, OutputDirJobs,
                         ::testing::Values(JobsCase{"Each", "", 4},
                                           JobsCase{"Warn", "--warn-unknown", 4},
                                           JobsCase{"StrictWithFindings", "--strict", 2},
                                           JobsCase{"StrictAllClean", "--strict", 1}),
                         [](const ::testing::TestParamInfo<JobsCase>& info) {
                           return info.param.label;
                         });

// --- Each file is opened once -----------------------------------------------------------------

// A FIFO given as an input or found as an output is opened once, when its turn comes: opening it
// earlier only to check it would hand its writer a broken pipe, or its reader an early end, and
// leave the run waiting for a peer that is gone. `timeout` ends such a run.
struct FifoCase {
  const char* label;
  const char* command;  // %s: the program and its options up to the folder; writes `status`
  const char* file;     // what must end up holding big.sql's result
};

void PrintTo(const FifoCase& c, std::ostream* out) {
  *out << c.label;
}

class OutputDirFifo : public ::testing::TestWithParam<FifoCase> {};

TEST_P(OutputDirFifo, DeliversEveryByte) {
  for (const std::string mode : {"", "--strict"}) {
    ScratchDir dir;
    prepareScripts(dir.path());
    std::string big;
    while (big.size() < (std::size_t{1} << 20)) big += kGrants;
    writeFile(dir.file("big.sql"), big);
    std::string more;
    for (int i = 0; i < 2000; ++i) {  // so that the FIFO's turn comes long after the checks
      writeFile(dir.file("sql/s" + std::to_string(i) + ".sql"), kScope);
      more += " sql/s" + std::to_string(i) + ".sql";
    }
    ASSERT_EQ(::mkfifo(dir.file("in.fifo").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo(dir.file("out/big.sql").c_str(), 0600), 0);
    std::string command = GetParam().command;
    command.replace(command.find("%s"), 2, "timeout 20 " + wqnprepCommand() + " " + mode);
    const ProgramResult result = runShell(command + more + "; echo $? > status; wait", dir.path());
    SCOPED_TRACE(mode.empty() ? "without --strict" : mode);
    EXPECT_EQ(readFile(dir.file("status")), "0\n");
    std::string expected;
    while (expected.size() < big.size() / kGrants.size() * kGrantsOut.size())
      expected += kGrantsOut;
    EXPECT_TRUE(readFile(dir.file(GetParam().file)) == expected) << result.err;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Fifos, OutputDirFifo,
    ::testing::Values(FifoCase{"Input", "rm out/big.sql; cat big.sql > in.fifo & %s -d out in.fifo",
                               "out/in.fifo"},
                      FifoCase{"Output", "cat out/big.sql > received & %s -d out big.sql",
                               "received"}),
    [](const ::testing::TestParamInfo<FifoCase>& info) { return info.param.label; });

// --- Folders among the inputs ----------------------------------------------------------------

// A folder's .sql files go to DIR under the folder's own name, in subfolders made as they are
// needed: none for a subfolder without one. Symbolic links in the folder are not followed.
TEST(OutputDir, MirrorsTheTreeOfAFolder) {
  const std::vector<std::vector<std::string>> commands{
      {"-d", "out", "tree", "sql/scope.sql"},
      {"--strict", "-d", "out/", "./tree/", "sql/scope.sql"},
  };
  for (const std::vector<std::string>& args : commands) {
    ScratchDir dir;
    prepareScripts(dir.path());
    for (const char* folder : {"tree", "tree/sub1", "tree/sub2", "tree/sub2/deep", "tree/docs"})
      makeFolder(dir.file(folder));
    writeFile(dir.file("tree/top.sql"), kGrants);
    writeFile(dir.file("tree/sub1/a.sql"), kGrants);
    writeFile(dir.file("tree/sub2/a.sql"), kScope);
    writeFile(dir.file("tree/sub2/deep/b.sql"), kGrants);
    writeFile(dir.file("tree/docs/notes.txt"), kGrants);
    makeSymlink("top.sql", dir.file("tree/link.sql"));
    makeSymlink("../sql", dir.file("tree/linked"));
    const ProgramResult result = runIn(dir.path(), args, false);
    SCOPED_TRACE(args.front());
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(readFile(dir.file("out/tree/top.sql")), kGrantsOut);
    EXPECT_EQ(readFile(dir.file("out/tree/sub1/a.sql")), kGrantsOut);
    EXPECT_EQ(readFile(dir.file("out/tree/sub2/a.sql")), kScopeOut);
    EXPECT_EQ(readFile(dir.file("out/tree/sub2/deep/b.sql")), kGrantsOut);
    EXPECT_EQ(readFile(dir.file("out/scope.sql")), kScopeOut);
    for (const char* absent : {"out/tree/docs", "out/tree/link.sql", "out/tree/linked"})
      EXPECT_FALSE(fileExists(dir.file(absent))) << absent;
  }
}

// --- One folder under several names ------------------------------------------------------------

TEST(OutputDir, TakesOneFolderGivenUnderSeveralNames) {
  ScratchDir dir;
  prepareScripts(dir.path());
  makeSymlink("out", dir.file("linked"));
  const ProgramResult result =
      runIn(dir.path(), {"-d", "out", "-d", "out/", "-d", "./linked", "sql/grants.sql"}, false);
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(readFile(dir.file("out/grants.sql")), kGrantsOut);
}

// --- What a failed spool names ------------------------------------------------------------------

TEST(OutputDirStrict, NamesTheInputWhoseResultDidNotFitTheSpool) {
  ScratchDir dir;
  prepareScripts(dir.path());
  std::string big;
  while (big.size() < (std::size_t{1} << 20)) big += kScope;
  writeFile(dir.file("sql/big.sql"), big);
  const ProgramResult result = runShell("trap '' XFSZ; ulimit -f 200; exec " + wqnprepCommand() +
                                            " --strict -d out sql/grants.sql sql/big.sql",
                                        dir.path());
  EXPECT_EQ(result.status, 1);
  EXPECT_THAT(result.err, ::testing::MatchesRegex("Error: cannot write a temporary file in '.*' "
                                                  "for the result of 'sql/big.sql': File too "
                                                  "large\nError: 1 of 2 inputs failed; nothing "
                                                  "was written to 'out'\n"));
  EXPECT_EQ(readFile(dir.file("out/grants.sql")), kPrevious);
}

}  // namespace
}  // namespace wqnprep::testing
