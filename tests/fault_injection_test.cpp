// Failures forced from outside, end to end: each run must report the failure, exit non-zero, never
// touch the input, and leave the output as described.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "run_program.h"

namespace wqnprep::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

const std::string kScript = "INSERT INTO t VALUES (WQNRuleID::applicableForVEs);\nkeep\n";

// Remembers a file's bytes and modification time, to check that nothing changed them.
class Unchanged {
 public:
  explicit Unchanged(std::string path) : path_(std::move(path)), bytes_(readFile(path_)) {
    ::stat(path_.c_str(), &before_);
  }
  void check() const {
    EXPECT_EQ(readFile(path_), bytes_) << path_;
    struct stat after {};
    ::stat(path_.c_str(), &after);
    EXPECT_EQ(after.st_mtim.tv_sec, before_.st_mtim.tv_sec) << path_;
    EXPECT_EQ(after.st_mtim.tv_nsec, before_.st_mtim.tv_nsec) << path_;
  }

 private:
  std::string path_;
  std::string bytes_;
  struct stat before_ {};
};

void expectFailure(const ProgramResult& result, const std::string& message) {
  EXPECT_EQ(result.status, 1);
  EXPECT_THAT(result.err, StartsWith("Error: "));
  EXPECT_THAT(result.err, HasSubstr(message));
}

struct OutputFault {
  const char* label;
  const char* output;  // "%s" stands for the scratch folder
  const char* message;
};

class FaultyOutput : public ::testing::TestWithParam<OutputFault> {};

TEST_P(FaultyOutput, IsReportedAndTheInputIsUntouched) {
  ScratchDir dir;
  std::filesystem::create_directory(dir.file("folder"));
  const std::string input = dir.file("in.sql");
  writeFile(input, kScript);
  std::filesystem::create_symlink(input, dir.file("link.sql"));
  std::filesystem::create_hard_link(input, dir.file("hard.sql"));
  std::string output = GetParam().output;
  if (const auto at = output.find("%s"); at != std::string::npos) output.replace(at, 2, dir.path());
  const Unchanged guard(input);

  expectFailure(runWqnprep({input, output}), GetParam().message);
  guard.check();
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, FaultyOutput,
    ::testing::Values(OutputFault{"FullDevice", "/dev/full", "No space left on device"},
                      OutputFault{"MissingFolder", "%s/missing/out.sql", "No such file"},
                      OutputFault{"Directory", "%s/folder", "Is a directory"},
                      OutputFault{"SamePath", "%s/in.sql", "is the input file"},
                      OutputFault{"SymbolicLink", "%s/link.sql", "is the input file"},
                      OutputFault{"HardLink", "%s/hard.sql", "is the input file"}),
    [](const ::testing::TestParamInfo<OutputFault>& info) { return info.param.label; });

TEST(FaultyInput, DirectoryLeavesTheOutputAlone) {
  ScratchDir dir;
  writeFile(dir.file("out.sql"), kScript);
  const Unchanged guard(dir.file("out.sql"));
  expectFailure(runWqnprep({dir.path(), dir.file("out.sql")}), "Is a directory");
  guard.check();
}

// The standard streams report a failed read as end of input; the program must not.
TEST(FaultyInput, AFailedReadIsAnError) {
  ScratchDir dir;
  // Reading a process's memory at address 0 fails with EIO.
  expectFailure(runWqnprep({"/proc/self/mem", dir.file("out.sql")}),
                "cannot read input '/proc/self/mem': Input/output error");
}

TEST(FaultyOutput, ClosedStandardOutput) {
  ScratchDir dir;
  writeFile(dir.file("in.sql"), kScript);
  const Unchanged guard(dir.file("in.sql"));
  std::string command = "'";
  command += WQNPREP_BINARY;
  command += "' in.sql - >&-";
  expectFailure(runShell(command, dir.path()), "<stdout>");
  guard.check();
}

struct OddInput {
  const char* label;
  std::string input;
  std::string output;
};

class OddInputs : public ::testing::TestWithParam<OddInput> {};

TEST_P(OddInputs, PassThroughByteForByte) {
  ScratchDir dir;
  writeFile(dir.file("in.sql"), GetParam().input);
  const Unchanged guard(dir.file("in.sql"));
  const ProgramResult result = runWqnprep({dir.file("in.sql"), dir.file("out.sql")});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_TRUE(readFile(dir.file("out.sql")) == GetParam().output);
  guard.check();
}

INSTANTIATE_TEST_SUITE_P(Inputs, OddInputs,
                         ::testing::Values(OddInput{"OnlyLineFeeds", std::string(1 << 20, '\n'),
                                                    std::string(1 << 20, '\n')},
                                           OddInput{"OnlyNulBytes", std::string(1 << 20, '\0'),
                                                    std::string(1 << 20, '\0') + "\n"}),
                         [](const ::testing::TestParamInfo<OddInput>& info) {
                           return info.param.label;
                         });

// Under every address-space limit the program either runs, or (below what the system libraries
// need) fails to load, or reports "Error: ..." with status 1: never an abort, whether memory runs
// out while the tables are built before main or afterwards.
TEST(ShortMemory, IsReportedNeverAnAbort) {
#ifdef WQNPREP_SANITIZED
  GTEST_SKIP() << "the sanitizers reserve more address space than any limit here allows";
#endif
  ScratchDir dir;
  writeFile(dir.file("in.sql"), kScript);
  int reported = 0;
  // From well below what the program needs to load, which is little with the runtime linked in.
  for (int limitKiB = 1000; limitKiB <= 9000; limitKiB += 20) {
    std::string command = "ulimit -v " + std::to_string(limitKiB) + "; exec '";
    command += WQNPREP_BINARY;
    command += "' in.sql out.sql";
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
