#include "run_program.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

extern char** environ;

namespace wqnprep::testing {

ScratchDir::ScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "wqnprep-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  // Undo permission changes that tests make, so that everything can be removed.
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

bool fileExists(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

RunningProgram::RunningProgram(const std::string& program, const std::vector<std::string>& argv,
                               const std::string& stdinPath, const std::string& workingDir) {
  const std::string outPath = capture_.file("stdout");
  const std::string errPath = capture_.file("stderr");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, stdinPath.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  if (!workingDir.empty()) posix_spawn_file_actions_addchdir_np(&actions, workingDir.c_str());
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
      posix_spawn(&pid, program.c_str(), &actions, nullptr, args.data(), environment);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) throw std::runtime_error("cannot start " + program);
  pid_ = pid;
}

RunningProgram::~RunningProgram() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
}

void RunningProgram::signal(int signal) const {
  ::kill(pid_, signal);
}

ProgramResult RunningProgram::wait() {
  int wstatus = 0;
  if (::waitpid(pid_, &wstatus, 0) != pid_) throw std::runtime_error("waitpid failed");
  pid_ = -1;
  ProgramResult result;
  result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  result.out = readFile(capture_.file("stdout"));
  result.err = readFile(capture_.file("stderr"));
  return result;
}

ProgramResult runProgram(const std::string& program, const std::vector<std::string>& argv,
                         const std::string& stdinPath, const std::string& workingDir) {
  return RunningProgram(program, argv, stdinPath, workingDir).wait();
}

ProgramResult runShell(const std::string& command, const std::string& workingDir) {
  return runProgram("/bin/sh", {"sh", "-c", command}, "/dev/null", workingDir);
}

const std::string& wqnprepBinary() {
  static const std::string binary = [] {
    const char* other = std::getenv("WQNPREP_TEST_BINARY");
    return std::string(other != nullptr && *other != '\0' ? other : WQNPREP_BINARY);
  }();
  return binary;
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

ProgramResult runWqnprep(const std::vector<std::string>& args, const std::string& stdinPath,
                         const std::string& workingDir) {
  std::vector<std::string> argv{wqnprepBinary()};
  argv.insert(argv.end(), args.begin(), args.end());
  return runProgram(wqnprepBinary(), argv, stdinPath, workingDir);
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
