// Failures only POSIX systems can force, end to end: other users' files and permissions that bind,
// extended attributes, FIFOs, signals, resource limits and /proc. What every system can force is
// in fault_injection_test.cpp.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "failed_run.h"
#include "folder_state.h"
#include "run_program.h"

namespace wqnprep::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

std::string withDir(std::string text, const std::string& dir) {
  if (const auto at = text.find("%s"); at != std::string::npos) text.replace(at, 2, dir);
  return text;
}

// A command line for /bin/sh, each word quoted.
std::string commandLine(const std::vector<std::string>& words) {
  std::string line;
  for (const std::string& word : words) {
    if (!line.empty()) line += ' ';
    line += shellQuote(word);
  }
  return line;
}

// --- --strict writes the output exactly as the plain run does --------------------------------

struct OutputSetup {
  const char* label;
  void (*prepare)(const std::string& dir);
  const char* output;  // relative to the scratch folder
  bool unprivileged;   // run as a user whom the permissions bind
  int status;
  const char* message;  // on failure, part of the message
};

void setXattr(const std::string& path, const char* name, const char* value) {
  if (::setxattr(path.c_str(), name, value, std::strlen(value), 0) != 0)
    throw std::runtime_error("cannot set an extended attribute on " + path);
}

void PrintTo(const OutputSetup& c, std::ostream* out) {
  *out << c.label;
}

class StrictOutput : public ::testing::TestWithParam<OutputSetup> {};

// Owner, group, mode, extended attributes, links, permission checks and name lengths: the
// --strict run leaves the output as the plain run does on success, and untouched on failure.
TEST_P(StrictOutput, EndsAsThePlainRunOrUntouched) {
  const OutputSetup& setup = GetParam();
  ScratchDir plain;
  ScratchDir strict;
  for (const ScratchDir* dir : {&plain, &strict}) {
    writeFile(dir->file("in.sql"), kScript);
    setup.prepare(dir->path());
    if (setup.unprivileged) handToUnprivileged(dir->path());
  }
  const std::string before = folderState(strict.path(), true);

  const auto run = [&](const std::vector<std::string>& options, const std::string& folder) {
    std::vector<std::string> args = options;
    args.insert(args.end(), {"in.sql", setup.output});
    if (setup.unprivileged) return runWqnprepUnprivileged(args, folder);
    return runWqnprep(args, "/dev/null", folder);
  };
  const ProgramResult plainRun = run({}, plain.path());
  const ProgramResult strictRun = run({"--strict"}, strict.path());

  EXPECT_EQ(plainRun.status, setup.status) << plainRun.err;
  EXPECT_EQ(strictRun.status, setup.status) << strictRun.err;
  EXPECT_EQ(strictRun.err, plainRun.err);
  EXPECT_EQ(folderState(strict.path(), false), folderState(plain.path(), false));
  if (setup.status != 0) {
    expectFailure(strictRun, setup.message);
    EXPECT_EQ(folderState(strict.path(), true), before);
  } else {
    EXPECT_EQ(strictRun.err, "");
    EXPECT_EQ(readFile(strict.file(setup.output)), kScriptOutput);
  }
}

const std::string kLongName = std::string(250, 'n') + ".sql";

INSTANTIATE_TEST_SUITE_P(
    Outputs, StrictOutput,
    ::testing::Values(
        OutputSetup{"OwnedByAnotherUser",
                    [](const std::string& dir) {
                      writeFile(dir + "/out.sql", kPrevious);
                      ::chmod((dir + "/out.sql").c_str(), 0666);
                      handToUnprivileged(dir + "/out.sql");  // another user's when run as root
                    },
                    "out.sql", false, 0, ""},
        OutputSetup{"ExtendedAttributes",
                    [](const std::string& dir) {
                      writeFile(dir + "/out.sql", kPrevious);
                      setXattr(dir + "/out.sql", "user.origin", "kept");
                    },
                    "out.sql", true, 0, ""},
        OutputSetup{"HardLinks",
                    [](const std::string& dir) {
                      writeFile(dir + "/out.sql", kPrevious);
                      std::filesystem::create_hard_link(dir + "/out.sql", dir + "/other.sql");
                    },
                    "out.sql", true, 0, ""},
        OutputSetup{"SymbolicLink",
                    [](const std::string& dir) {
                      writeFile(dir + "/target.sql", kPrevious);
                      ::chmod((dir + "/target.sql").c_str(), 0640);
                      std::filesystem::create_symlink("target.sql", dir + "/link.sql");
                    },
                    "link.sql", true, 0, ""},
        OutputSetup{"DanglingSymbolicLink",
                    [](const std::string& dir) {
                      std::filesystem::create_symlink("made.sql", dir + "/link.sql");
                    },
                    "link.sql", false, 0, ""},
        OutputSetup{"SymbolicLinkLoop",
                    [](const std::string& dir) {
                      std::filesystem::create_symlink("loop.sql", dir + "/loop.sql");
                    },
                    "loop.sql", false, 1, "Too many levels of symbolic links"},
        OutputSetup{"ReadOnlyOutputInWritableFolder",
                    [](const std::string& dir) {
                      writeFile(dir + "/out.sql", kPrevious);
                      ::chmod((dir + "/out.sql").c_str(), 0444);
                    },
                    "out.sql", true, 1, "cannot open output 'out.sql': Permission denied"},
        OutputSetup{"WritableOutputInLockedFolder",
                    [](const std::string& dir) {
                      std::filesystem::create_directory(dir + "/locked");
                      writeFile(dir + "/locked/out.sql", kPrevious);
                      ::chmod((dir + "/locked").c_str(), 0555);
                    },
                    "locked/out.sql", true, 0, ""},
        OutputSetup{"NewOutputInLockedFolder",
                    [](const std::string& dir) {
                      std::filesystem::create_directory(dir + "/locked");
                      ::chmod((dir + "/locked").c_str(), 0555);
                    },
                    "locked/out.sql", true, 1,
                    "cannot open output 'locked/out.sql': Permission denied"},
        OutputSetup{"LongName",
                    [](const std::string& dir) { writeFile(dir + "/" + kLongName, kPrevious); },
                    kLongName.c_str(), true, 0, ""},
        OutputSetup{"NewOutput", [](const std::string&) {}, "out.sql", true, 0, ""}),
    [](const ::testing::TestParamInfo<OutputSetup>& info) { return info.param.label; });

// A clean --strict run writes through a symbolic link, and the file keeps its mode.
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

// --- --strict sends nothing anywhere unless the run succeeds ---------------------------------
//
// Into a pipe: standard_streams_test.cpp.

struct StreamOutput {
  const char* label;
  const char* command;  // %s: the program and its arguments up to the output, "-" or out.fifo
};

void PrintTo(const StreamOutput& c, std::ostream* out) {
  *out << c.label;
}

class StrictStream : public ::testing::TestWithParam<StreamOutput> {};

TEST_P(StrictStream, GetsNothingOnFailureAndEverythingOnSuccess) {
  struct Case {
    std::string script;
    std::string status;
    std::string received;
  };
  for (const Case& c : {Case{kUnknownScript, "1", ""}, Case{kScript, "0", kScriptOutput}}) {
    ScratchDir dir;
    writeFile(dir.file("in.sql"), c.script);
    ASSERT_EQ(::mkfifo(dir.file("out.fifo").c_str(), 0600), 0);
    const std::string program = commandLine({wqnprepBinary(), "--strict", "in.sql"});
    const ProgramResult result = runShell(withDir(GetParam().command, program), dir.path());
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(readFile(dir.file("status")), c.status + "\n");
    EXPECT_EQ(readFile(dir.file("received")), c.received);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, StrictStream,
    ::testing::Values(StreamOutput{
        "Fifo", "cat out.fifo > received & %s out.fifo; echo $? > status; wait"}),
    [](const ::testing::TestParamInfo<StreamOutput>& info) { return info.param.label; });

// --- However a --strict run ends, it leaves nothing behind -----------------------------------

// Only `keep` (and no temporary file) in the folder, none in the temporary folder.
void expectNothingLeft(const ScratchDir& dir, const ScratchDir& temporary, const std::string& was) {
  EXPECT_EQ(folderState(dir.path(), true), was);
  EXPECT_TRUE(std::filesystem::is_empty(temporary.path()));
}

class KilledStrictRun : public ::testing::TestWithParam<int> {};

TEST_P(KilledStrictRun, LeavesTheOutputAndNoTemporaryFile) {
  ScratchDir dir;
  ScratchDir temporary;
  ScratchDir source;
  writeFile(dir.file("out.sql"), kPrevious);
  const std::string fifo = source.file("in.fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string before = folderState(dir.path(), true);

  RunningProgram program("/usr/bin/env", {"env", "TMPDIR=" + temporary.path(), wqnprepBinary(),
                                          "--strict", fifo, dir.file("out.sql")});
  const int writer = ::open(fifo.c_str(), O_WRONLY);
  ASSERT_GE(writer, 0);
  // More than a pipe holds: once this is written the program has read most of it, so it is
  // past opening its files and in the middle of its work.
  std::string lines;
  while (lines.size() < (std::size_t{1} << 20)) lines += kScript;
  ASSERT_EQ(::write(writer, lines.data(), lines.size()), static_cast<ssize_t>(lines.size()));
  program.signal(GetParam());
  const ProgramResult result = program.wait();
  ::close(writer);
  EXPECT_NE(result.status, 0);
  expectNothingLeft(dir, temporary, before);
}

INSTANTIATE_TEST_SUITE_P(Signals, KilledStrictRun,
                         ::testing::Values(SIGINT, SIGTERM, SIGHUP, SIGPIPE),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return std::string(sigabbrev_np(info.param));
                         });

struct Limit {
  const char* label;
  const char* shell;    // before the command
  const char* after;    // after the command
  const char* message;  // "" when the limit kills the run
};

void PrintTo(const Limit& c, std::ostream* out) {
  *out << c.label;
}

class StrictRunAtALimit : public ::testing::TestWithParam<Limit> {};

TEST_P(StrictRunAtALimit, LeavesTheOutputAndNoTemporaryFile) {
#if defined(WQNPREP_SANITIZED) || defined(WQNPREP_EMULATED)
  // The sanitizers' runtime and the emulator need descriptors of their own.
  if (std::string(GetParam().label) == "FewDescriptors")
    GTEST_SKIP() << "the sanitizer runtime or the emulator cannot run with four descriptors";
#endif
  ScratchDir dir;
  ScratchDir temporary;
  std::string big;
  while (big.size() < (std::size_t{1} << 20)) big += kScript;
  writeFile(dir.file("in.sql"), big);
  writeFile(dir.file("out.sql"), kPrevious);
  const std::string before = folderState(dir.path(), true);

  const std::string command =
      "TMPDIR=" + shellQuote(temporary.path()) + "; export TMPDIR; " + GetParam().shell + " exec " +
      commandLine({wqnprepBinary(), "--strict", "in.sql", "out.sql"}) + " " + GetParam().after;
  const ProgramResult result = runShell(command, dir.path());
  if (*GetParam().message != '\0') {
    expectFailure(result, GetParam().message);
  } else {
    EXPECT_EQ(result.status, -1) << "killed by its signal";
  }
  expectNothingLeft(dir, temporary, before);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, StrictRunAtALimit,
    ::testing::Values(
        Limit{"FileSizeKills", "ulimit -f 100;", "", ""},
        Limit{"FileSize", "trap '' XFSZ; ulimit -f 100;", "", "File too large"},
        // Only standard input and error open, and one more allowed: the input takes it, and the
        // output, which would take the closed standard output's number, finds no other.
        Limit{"FewDescriptors", "exec >&- 3>&- 4>&- 5>&- 6>&- 7>&- 8>&- 9>&-; ulimit -n 4;", "",
              "cannot open output 'out.sql': Too many open files"},
        Limit{"NoTemporaryFolder", "TMPDIR=$TMPDIR/missing;", "",
              "cannot create a temporary file in"}),
    [](const ::testing::TestParamInfo<Limit>& info) { return info.param.label; });

// Under every address-space limit the program either runs, or (below what the system libraries
// need) fails to load, or reports "Error: ..." with status 1: never an abort, whether memory runs
// out while the tables are built before main or afterwards.
TEST(ShortMemory, IsReportedNeverAnAbort) {
#ifdef WQNPREP_SANITIZED
  GTEST_SKIP() << "the sanitizers reserve more address space than any limit here allows";
#endif
#ifdef WQNPREP_EMULATED
  GTEST_SKIP() << "the emulator reserves more address space than any limit here allows";
#endif
  ScratchDir dir;
  writeFile(dir.file("in.sql"), kScript);
  int reported = 0;
  // From well below what the program needs to load, which is little with the runtime linked in,
  // but not below its own image: where that cannot be mapped, the kernel kills the exec it has
  // already committed to, before any of the program runs.
  const auto image = static_cast<int>(std::filesystem::file_size(wqnprepBinary()) / 1024);
  for (int limitKiB = std::max(1000, image + 512); limitKiB <= 9000; limitKiB += 20) {
    const std::string command =
        "ulimit -v " + std::to_string(limitKiB) + "; exec " + wqnprepCommand() + " in.sql out.sql";
    const ProgramResult result = runShell(command, dir.path());
    ASSERT_TRUE(result.status == 0 || result.status == 1 || result.status == 127)
        << "limit " << limitKiB << " KiB: status " << result.status << ", " << result.err;
    if (result.status == 1) {
      EXPECT_THAT(result.err, StartsWith("Error: ")) << "limit " << limitKiB;
      ++reported;
    }
  }
  EXPECT_GT(reported, 0) << "no limit ran out of memory inside the program";
}

}  // namespace
}  // namespace wqnprep::testing
