// Starting the built program from tests, on every system: its standard streams from and to
// files, pipes or nothing, its output and status collected. run_program_posix.cpp and
// run_program_windows.cpp start processes; what only a POSIX shell can do is at the end.
#pragma once

#include <cstdint>
#include <string>
#include <system_error>
#include <vector>

#include "test_files.h"

namespace wqnprep::testing {

struct ProgramResult {
  int status = -1;  // exit status, or -1 when the process did not exit normally
  std::string out;
  std::string err;
};

// How a started program's standard input and output are connected; standard error is always
// captured.
struct Streams {
  enum class Connection { file, pipe, closed };
  // Standard input reads `inputFile`: "/dev/null", the empty input, on every system. Open for
  // writing only, it is one that every read fails on.
  Connection input = Connection::file;
  std::string inputFile = "/dev/null";
  bool inputForWriting = false;
  // Standard output is captured, or appended to `outputFile` when one is named.
  Connection output = Connection::file;
  std::string outputFile;
  std::string workingDir;  // where the program starts; empty for the tests' own folder
};

// A program started in the background.
class RunningProgram {
 public:
  RunningProgram(const std::string& program, const std::vector<std::string>& argv,
                 const Streams& streams);
  // `workingDir`, if not empty, is the folder the program starts in.
  RunningProgram(const std::string& program, const std::vector<std::string>& argv,
                 const std::string& stdinPath = "/dev/null", const std::string& workingDir = "");
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  // To standard input, a pipe. A program that no longer reads is not an error here: its status
  // and messages tell.
  void write(const std::string& text);
  void closeInput();
  // From standard output, a pipe: the next line with its line feed, or what is left at its end.
  std::string readLine();
#ifndef _WIN32
  // Sends the program `signal`.
  void signal(int signal) const;
#endif
  // Waits for the program to end, having read the rest of a piped standard output (close its
  // input first).
  ProgramResult wait();

 private:
  void start(const std::string& program, const std::vector<std::string>& argv,
             const Streams& streams);
  // Some bytes of standard output; none at its end.
  std::size_t readSome(char* buffer, std::size_t size);
  int waitForExit();
  void closeHandle(std::intptr_t& handle);

  ScratchDir capture_;
  bool captured_ = false;       // standard output went to capture_
  std::intptr_t process_ = -1;  // its id, or on Windows its handle
  std::intptr_t input_ = -1;    // the writing end of its input pipe
  std::intptr_t output_ = -1;   // the reading end of its output pipe
  std::string pending_;         // read from the output pipe, not yet returned
};

// Runs `program` with `argv` (argv[0] included) and standard input from `stdinPath`, capturing
// standard output and standard error.
ProgramResult runProgram(const std::string& program, const std::vector<std::string>& argv,
                         const std::string& stdinPath = "/dev/null",
                         const std::string& workingDir = "");

// The program under test: the one built here, or $WQNPREP_TEST_BINARY (to run these tests
// against another build of it).
const std::string& wqnprepBinary();

// Runs the wqnprep binary under the name wqnprep with `args` after it.
ProgramResult runWqnprep(const std::vector<std::string>& args,
                         const std::string& stdinPath = "/dev/null",
                         const std::string& workingDir = "");
ProgramResult runWqnprep(const std::vector<std::string>& args, const Streams& streams);
// With `input` sent through a pipe, and standard output read from one.
ProgramResult runWqnprepThroughPipes(const std::vector<std::string>& args, const std::string& input,
                                     const std::string& workingDir = "");

// Whether `reason` is this system's text for an error of kind `kind`, as the program ends its
// messages with it. Windows has several errors of most kinds, each with its own text.
bool isSystemText(const std::string& reason, std::errc kind);

// Permissions do not bind root, so when the tests run as root, tests about permissions run the
// program as the unprivileged user 65534 instead, through setpriv; otherwise, and on Windows, as
// the tests' user.
std::vector<std::string> asUnprivileged(std::vector<std::string> argv);
// Gives `path`, and everything in it, to that user.
void handToUnprivileged(const std::string& path);
ProgramResult runWqnprepUnprivileged(const std::vector<std::string>& args,
                                     const std::string& workingDir = "");

#ifndef _WIN32
// Runs a command line through /bin/sh, for pipes and redirections.
ProgramResult runShell(const std::string& command, const std::string& workingDir = "");

// `text` quoted for /bin/sh.
std::string shellQuote(const std::string& text);
// The program's path quoted for /bin/sh, to start command lines with.
std::string wqnprepCommand();
#endif

}  // namespace wqnprep::testing
