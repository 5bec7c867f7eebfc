// Helpers for tests that drive the built program: a scratch folder and a process runner.
#pragma once

#include <string>
#include <vector>

namespace wqnprep::testing {

// A fresh folder, removed with everything in it when the object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& content);
bool fileExists(const std::string& path);

struct ProgramResult {
  int status = -1;  // exit status, or -1 when the process did not exit normally
  std::string out;
  std::string err;
};

// A program started in the background, with standard output and error captured.
class RunningProgram {
 public:
  // `workingDir`, if not empty, is the folder the program starts in.
  RunningProgram(const std::string& program, const std::vector<std::string>& argv,
                 const std::string& stdinPath = "/dev/null", const std::string& workingDir = "");
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  // Sends the program `signal`.
  void signal(int signal) const;
  // Waits for the program to end.
  ProgramResult wait();

 private:
  ScratchDir capture_;
  int pid_ = -1;
};

// Runs `program` with `argv` (argv[0] included) and standard input from `stdinPath`, capturing
// standard output and standard error.
ProgramResult runProgram(const std::string& program, const std::vector<std::string>& argv,
                         const std::string& stdinPath = "/dev/null",
                         const std::string& workingDir = "");

// Runs a command line through /bin/sh, for pipes and redirections.
ProgramResult runShell(const std::string& command, const std::string& workingDir = "");

// The program under test: the one built here, or $WQNPREP_TEST_BINARY (to run these tests
// against another build of it).
const std::string& wqnprepBinary();
// `text` quoted for /bin/sh.
std::string shellQuote(const std::string& text);
// The program's path quoted for /bin/sh, to start command lines with.
std::string wqnprepCommand();

// Runs the wqnprep binary under its own name with `args` after it.
ProgramResult runWqnprep(const std::vector<std::string>& args,
                         const std::string& stdinPath = "/dev/null",
                         const std::string& workingDir = "");

// Permissions do not bind root, so when the tests run as root, tests about permissions run the
// program as the unprivileged user 65534 instead, through setpriv; otherwise as the tests' user.
std::vector<std::string> asUnprivileged(std::vector<std::string> argv);
// Gives `path`, and everything in it, to that user.
void handToUnprivileged(const std::string& path);
ProgramResult runWqnprepUnprivileged(const std::vector<std::string>& args,
                                     const std::string& workingDir = "");

}  // namespace wqnprep::testing
