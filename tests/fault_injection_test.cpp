// Failures forced from outside, end to end, on every system; those only POSIX systems can force
// (other users, signals, limits, FIFOs) are in fault_injection_posix_test.cpp. A run that fails
// reports "Error: ..." on one line, exits 1, never touches the input, and leaves the output as
// described: untouched when the input cannot be read, and, with --strict, untouched by any
// failure at all, nothing left behind however the run ends.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "failed_run.h"
#include "folder_state.h"
#include "run_program.h"

namespace wqnprep::testing {
namespace {

using ::testing::HasSubstr;

std::string withDir(std::string text, const std::string& dir) {
  if (const auto at = text.find("%s"); at != std::string::npos) text.replace(at, 2, dir);
  return text;
}

// --- Outputs that cannot be written ----------------------------------------------------------

struct OutputFault {
  const char* label;
  const char* output;  // "%s" stands for the scratch folder
  const char* message;
  std::optional<std::errc> reason;  // the system's text the message ends with, if any
  bool onlyWithLines = false;       // an empty output writes nothing that could fail
};

void PrintTo(const OutputFault& c, std::ostream* out) {
  *out << c.label;
}

class FaultyOutput : public ::testing::TestWithParam<OutputFault> {};

TEST_P(FaultyOutput, IsReportedWithoutTouchingTheInputWhetherOrNotItHasLines) {
  for (const std::vector<std::string>& mode : kModes) {
    for (const std::string& content : {std::string(), kScript}) {
      if (content.empty() && GetParam().onlyWithLines) continue;
      ScratchDir dir;
      makeFolder(dir.file("folder"));
      makeFolder(dir.file("sub"));
      const std::string input = dir.file("in.sql");
      writeFile(input, content);
#ifndef _WIN32  // Wine makes no symbolic links
      std::filesystem::create_symlink(input, dir.file("link.sql"));
#endif
      makeHardLink(input, dir.file("hard.sql"));
      const std::string output = withDir(GetParam().output, dir.path());
      const Unchanged guard(input);

      std::vector<std::string> args = mode;
      args.insert(args.end(), {input, output});
      const ProgramResult result = runWqnprep(args);
      SCOPED_TRACE(modeName(mode) + ", input of " + std::to_string(content.size()) + " bytes");
      expectFailure(result, GetParam().message);
      if (GetParam().reason) expectSystemReason(result.err, *GetParam().reason);
      EXPECT_THAT(result.err, HasSubstr(output));
      guard.check();
    }
  }
}

std::string outputFaultName(const ::testing::TestParamInfo<OutputFault>& info) {
  return info.param.label;
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, FaultyOutput,
    ::testing::Values(OutputFault{"MissingFolder", "%s/missing/out.sql", "cannot open output",
                                  std::errc::no_such_file_or_directory},
                      OutputFault{"Directory", "%s/folder", "cannot open output",
                                  std::errc::is_a_directory},
                      OutputFault{"SamePath", "%s/in.sql", "is the input file", {}},
                      OutputFault{"DotPath", "%s/./in.sql", "is the input file", {}},
                      OutputFault{"UpAndBack", "%s/sub/../in.sql", "is the input file", {}},
                      OutputFault{"HardLink", "%s/hard.sql", "is the input file", {}}),
    outputFaultName);

#ifdef _WIN32
// Either separator, and the other case of every letter, name the same file.
INSTANTIATE_TEST_SUITE_P(
    Windows, FaultyOutput,
    ::testing::Values(OutputFault{"MissingFolderBackslashes", "%s\\missing\\out.sql",
                                  "cannot open output", std::errc::no_such_file_or_directory},
                      OutputFault{"DotBackslash", "%s\\.\\in.sql", "is the input file", {}},
                      OutputFault{
                          "UpAndBackBackslashes", "%s\\sub\\..\\in.sql", "is the input file", {}},
                      OutputFault{"OtherCase", "%s/IN.SQL", "is the input file", {}}),
    outputFaultName);
#else
INSTANTIATE_TEST_SUITE_P(
    Posix, FaultyOutput,
    ::testing::Values(OutputFault{"FullDevice", "/dev/full", "cannot write output",
                                  std::errc::no_space_on_device, true},
                      OutputFault{"SymbolicLink", "%s/link.sql", "is the input file", {}}),
    outputFaultName);
#endif

TEST(FaultyOutput, ClosedStandardOutput) {
  for (const std::vector<std::string>& mode : kModes) {
    ScratchDir dir;
    writeFile(dir.file("in.sql"), kScript);
    const Unchanged guard(dir.file("in.sql"));
    std::vector<std::string> args = mode;
    args.insert(args.end(), {"in.sql", "-"});
    Streams streams;
    streams.output = Streams::Connection::closed;
    streams.workingDir = dir.path();
    SCOPED_TRACE(modeName(mode));
    const ProgramResult result = runWqnprep(args, streams);
    expectFailure(result, "<stdout>");
    expectSystemError(result.err,
                      "Error: cannot write output '<stdout>': ", std::errc::bad_file_descriptor);
    guard.check();
  }
}

// Whatever the program prints on standard output, a failure to write it is reported with the
// reason and ends the run with status 1.
struct UnwritableOutputCase {
  const char* label;
  const char* arg;
  const char* device;  // what standard output is appended to; nullptr for none at all
  std::errc reason;
};

void PrintTo(const UnwritableOutputCase& c, std::ostream* out) {
  *out << c.label;
}

class UnwritableStandardOutput : public ::testing::TestWithParam<UnwritableOutputCase> {};

TEST_P(UnwritableStandardOutput, IsReportedWithTheReason) {
  Streams streams;
  if (GetParam().device != nullptr) {
    streams.outputFile = GetParam().device;
  } else {
    streams.output = Streams::Connection::closed;
  }
  const ProgramResult result = runWqnprep({GetParam().arg}, streams);
  EXPECT_EQ(result.status, 1);
  expectSystemError(result.err, "Error: cannot write to standard output: ", GetParam().reason);
}

std::string unwritableName(const ::testing::TestParamInfo<UnwritableOutputCase>& info) {
  return info.param.label;
}

INSTANTIATE_TEST_SUITE_P(
    Printers, UnwritableStandardOutput,
    ::testing::Values(
        UnwritableOutputCase{"HelpClosed", "--help", nullptr, std::errc::bad_file_descriptor},
        UnwritableOutputCase{"VersionClosed", "--version", nullptr, std::errc::bad_file_descriptor},
        UnwritableOutputCase{"ListClosed", "--list", nullptr, std::errc::bad_file_descriptor},
        UnwritableOutputCase{"UsageClosed", "only-one", nullptr, std::errc::bad_file_descriptor}),
    unwritableName);

#ifndef _WIN32
INSTANTIATE_TEST_SUITE_P(
    PosixPrinters, UnwritableStandardOutput,
    ::testing::Values(
        UnwritableOutputCase{"HelpFull", "--help", "/dev/full", std::errc::no_space_on_device},
        UnwritableOutputCase{"VersionFull", "--version", "/dev/full",
                             std::errc::no_space_on_device},
        UnwritableOutputCase{"ListFull", "--list", "/dev/full", std::errc::no_space_on_device},
        UnwritableOutputCase{"UsageFull", "only-one", "/dev/full", std::errc::no_space_on_device}),
    unwritableName);
#endif

// --- Inputs that cannot be read --------------------------------------------------------------

enum class StandardInput { empty, writeOnly, closed };

struct InputFault {
  const char* label;
  const char* input;  // relative to the scratch folder, which holds in.sql
  StandardInput standardInput;
  bool unprivileged;    // run as a user whom the permissions bind
  const char* message;  // the message after "Error: ", up to the system's reason
  std::errc reason;
};

void PrintTo(const InputFault& c, std::ostream* out) {
  *out << c.label;
}

class FaultyInput : public ::testing::TestWithParam<InputFault> {};

// Whether it fails to open or at the first read, the output, there or not, stays as it was.
TEST_P(FaultyInput, LeavesTheOutputAsItWas) {
  const InputFault& fault = GetParam();
  for (const std::vector<std::string>& mode : kModes) {
    for (const bool outputExists : {true, false}) {
      ScratchDir dir;
      writeFile(dir.file("in.sql"), kScript);
      if (outputExists) writeFile(dir.file("out.sql"), kPrevious);
      if (fault.unprivileged) handToUnprivileged(dir.path());
      // Readable to none but root.
      std::filesystem::permissions(nativePath(dir.file("in.sql")), std::filesystem::perms::none);
      const std::string before = folderState(dir.path(), true);

      std::vector<std::string> argv{wqnprepBinary()};
      argv.insert(argv.end(), mode.begin(), mode.end());
      argv.insert(argv.end(), {fault.input, "out.sql"});
      if (fault.unprivileged) argv = asUnprivileged(argv);
      Streams streams;
      if (fault.standardInput == StandardInput::closed) streams.input = Streams::Connection::closed;
      streams.inputForWriting = fault.standardInput == StandardInput::writeOnly;
      streams.workingDir = dir.path();
      const ProgramResult result = RunningProgram(argv.front(), argv, streams).wait();
      SCOPED_TRACE(modeName(mode) + (outputExists ? ", existing output" : ", no output"));
      expectFailure(result, fault.message);
      expectSystemError(result.err, "Error: " + std::string(fault.message) + ": ", fault.reason);
      EXPECT_EQ(folderState(dir.path(), true), before);
    }
  }
}

std::string inputFaultName(const ::testing::TestParamInfo<InputFault>& info) {
  return info.param.label;
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, FaultyInput,
    ::testing::Values(InputFault{"Missing", "missing.sql", StandardInput::empty, false,
                                 "cannot open input 'missing.sql'",
                                 std::errc::no_such_file_or_directory},
                      InputFault{"Directory", ".", StandardInput::empty, false,
                                 "cannot read input '.'", std::errc::is_a_directory},
                      InputFault{"ClosedStandardInput", "-", StandardInput::closed, false,
                                 "cannot open input '<stdin>'", std::errc::bad_file_descriptor}),
    inputFaultName);

#ifndef _WIN32
INSTANTIATE_TEST_SUITE_P(
    PosixInputs, FaultyInput,
    ::testing::Values(InputFault{"NoPermission", "in.sql", StandardInput::empty, true,
                                 "cannot open input 'in.sql'", std::errc::permission_denied},
                      // Reading a process's memory at address 0 fails with EIO, on the first read.
                      InputFault{"FirstReadFails", "/proc/self/mem", StandardInput::empty, false,
                                 "cannot read input '/proc/self/mem'", std::errc::io_error},
                      // Open for writing only: the first read fails with EBADF.
                      InputFault{"WriteOnlyStandardInput", "-", StandardInput::writeOnly, false,
                                 "cannot read input '<stdin>'", std::errc::bad_file_descriptor}),
    inputFaultName);
#endif

}  // namespace
}  // namespace wqnprep::testing
