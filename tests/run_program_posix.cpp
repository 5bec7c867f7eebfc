// Starting the program on POSIX systems: posix_spawn, and the shell for what only it can do.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <stdexcept>

#include "run_program.h"

extern char** environ;

namespace wqnprep::testing {
namespace {

// Both ends close on exec; the child gets its end through the file actions.
void makePipe(int ends[2]) {
  if (::pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("cannot make a pipe");
}

}  // namespace

void RunningProgram::start(const std::string& program, const std::vector<std::string>& argv,
                           const Streams& streams) {
  using Connection = Streams::Connection;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  int inputEnds[2] = {-1, -1};
  int outputEnds[2] = {-1, -1};
  switch (streams.input) {
    case Connection::file:
      posix_spawn_file_actions_addopen(&actions, 0, streams.inputFile.c_str(),
                                       streams.inputForWriting ? O_WRONLY : O_RDONLY, 0);
      break;
    case Connection::pipe:
      makePipe(inputEnds);
      posix_spawn_file_actions_adddup2(&actions, inputEnds[0], 0);
      input_ = inputEnds[1];
      break;
    case Connection::closed:
      posix_spawn_file_actions_addclose(&actions, 0);
      break;
  }
  switch (streams.output) {
    case Connection::file:
      captured_ = streams.outputFile.empty();
      posix_spawn_file_actions_addopen(
          &actions, 1, captured_ ? capture_.file("stdout").c_str() : streams.outputFile.c_str(),
          captured_ ? O_WRONLY | O_CREAT | O_TRUNC : O_WRONLY | O_APPEND, 0600);
      break;
    case Connection::pipe:
      makePipe(outputEnds);
      posix_spawn_file_actions_adddup2(&actions, outputEnds[1], 1);
      output_ = outputEnds[0];
      break;
    case Connection::closed:
      posix_spawn_file_actions_addclose(&actions, 1);
      break;
  }
  const std::string errPath = capture_.file("stderr");
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  if (!streams.workingDir.empty())
    posix_spawn_file_actions_addchdir_np(&actions, streams.workingDir.c_str());
  // Writing to a program that stopped reading fails here instead of ending the tests; the
  // program gets the usual disposition back.
  std::signal(SIGPIPE, SIG_IGN);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  char** environment = environ;
#ifdef WQNPREP_EMULATED
  // A cross-built program runs under the emulator through a script, which cannot see the
  // argv[0] it was started with: hand it over in the environment.
  std::string argv0 = "WQNPREP_ARGV0=" + (argv.empty() ? program : argv[0]);
  std::vector<char*> withArgv0{argv0.data()};
  for (char** variable = environ; *variable != nullptr; ++variable) withArgv0.push_back(*variable);
  withArgv0.push_back(nullptr);
  if (program == WQNPREP_BINARY) environment = withArgv0.data();
#endif
  pid_t pid = 0;
  const int spawned =
      posix_spawn(&pid, program.c_str(), &actions, &attributes, args.data(), environment);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  for (const int childEnd : {inputEnds[0], outputEnds[1]}) {
    if (childEnd >= 0) ::close(childEnd);
  }
  if (spawned != 0) throw std::runtime_error("cannot start " + program);
  process_ = pid;
}

RunningProgram::~RunningProgram() {
  closeHandle(input_);
  closeHandle(output_);
  if (process_ > 0) {
    ::kill(static_cast<pid_t>(process_), SIGKILL);
    ::waitpid(static_cast<pid_t>(process_), nullptr, 0);
  }
}

void RunningProgram::write(const std::string& text) {
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t put = ::write(static_cast<int>(input_), text.data() + done, text.size() - done);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return;
    done += static_cast<std::size_t>(put);
  }
}

void RunningProgram::closeInput() {
  closeHandle(input_);
}

std::size_t RunningProgram::readSome(char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(static_cast<int>(output_), buffer, size);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) throw std::runtime_error("cannot read the program's output");
  }
}

void RunningProgram::signal(int signal) const {
  ::kill(static_cast<pid_t>(process_), signal);
}

int RunningProgram::waitForExit() {
  int wstatus = 0;
  if (::waitpid(static_cast<pid_t>(process_), &wstatus, 0) != process_)
    throw std::runtime_error("waitpid failed");
  process_ = -1;
  return WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
}

void RunningProgram::closeHandle(std::intptr_t& handle) {
  if (handle >= 0) ::close(static_cast<int>(handle));
  handle = -1;
}

bool isSystemText(const std::string& reason, std::errc kind) {
  return reason == std::make_error_code(kind).message();
}

ProgramResult runShell(const std::string& command, const std::string& workingDir) {
  return runProgram("/bin/sh", {"sh", "-c", command}, "/dev/null", workingDir);
}

std::string shellQuote(const std::string& text) {
  std::string quoted = "'";
  for (const char byte : text) {
    if (byte == '\'') {
      quoted += "'\\''";
    } else {
      quoted += byte;
    }
  }
  return quoted + "'";
}

std::string wqnprepCommand() {
  return shellQuote(wqnprepBinary());
}

namespace {
constexpr uid_t kUnprivileged = 65534;
}  // namespace

std::vector<std::string> asUnprivileged(std::vector<std::string> argv) {
  if (::geteuid() != 0) return argv;
  const std::string id = std::to_string(kUnprivileged);
  std::vector<std::string> dropped{"/usr/bin/setpriv", "--reuid=" + id, "--regid=" + id,
                                   "--clear-groups", "--"};
  dropped.insert(dropped.end(), argv.begin(), argv.end());
  return dropped;
}

void handToUnprivileged(const std::string& path) {
  if (::geteuid() != 0) return;
  if (::lchown(path.c_str(), kUnprivileged, kUnprivileged) != 0)
    throw std::runtime_error("cannot hand over " + path);
  if (std::filesystem::is_directory(std::filesystem::symlink_status(path))) {
    for (const auto& entry : std::filesystem::directory_iterator(path))
      handToUnprivileged(entry.path().string());
  }
}

ProgramResult runWqnprepUnprivileged(const std::vector<std::string>& args,
                                     const std::string& workingDir) {
  std::vector<std::string> argv{wqnprepBinary()};
  argv.insert(argv.end(), args.begin(), args.end());
  argv = asUnprivileged(argv);
  return runProgram(argv.front(), argv, "/dev/null", workingDir);
}

}  // namespace wqnprep::testing
