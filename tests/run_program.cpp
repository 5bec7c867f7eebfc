// What starting the program means on every system; run_program_*.cpp start the processes.
#include "run_program.h"

#include <cstdlib>
#include <thread>

namespace wqnprep::testing {

RunningProgram::RunningProgram(const std::string& program, const std::vector<std::string>& argv,
                               const Streams& streams) {
  start(program, argv, streams);
}

RunningProgram::RunningProgram(const std::string& program, const std::vector<std::string>& argv,
                               const std::string& stdinPath, const std::string& workingDir) {
  Streams streams;
  streams.inputFile = stdinPath;
  streams.workingDir = workingDir;
  start(program, argv, streams);
}

std::string RunningProgram::readLine() {
  char buffer[4096];
  std::string::size_type end = pending_.find('\n');
  while (end == std::string::npos) {
    const std::size_t got = readSome(buffer, sizeof buffer);
    if (got == 0) break;
    pending_.append(buffer, got);
    end = pending_.find('\n', pending_.size() - got);
  }
  const std::string::size_type length = end == std::string::npos ? pending_.size() : end + 1;
  std::string line = pending_.substr(0, length);
  pending_.erase(0, length);
  return line;
}

ProgramResult RunningProgram::wait() {
  ProgramResult result;
  if (output_ != -1) {
    char buffer[4096];
    for (std::size_t got; (got = readSome(buffer, sizeof buffer)) > 0;)
      pending_.append(buffer, got);
    closeHandle(output_);
    result.out = std::move(pending_);
  }
  result.status = waitForExit();
  if (captured_) result.out = readFile(capture_.file("stdout"));
  result.err = readFile(capture_.file("stderr"));
  return result;
}

ProgramResult runProgram(const std::string& program, const std::vector<std::string>& argv,
                         const std::string& stdinPath, const std::string& workingDir) {
  return RunningProgram(program, argv, stdinPath, workingDir).wait();
}

const std::string& wqnprepBinary() {
  static const std::string binary = [] {
    const char* other = std::getenv("WQNPREP_TEST_BINARY");
    return std::string(other != nullptr && *other != '\0' ? other : WQNPREP_BINARY);
  }();
  return binary;
}

namespace {

// Under the name the tests expect in messages, whatever the system calls the file.
std::vector<std::string> wqnprepArgv(const std::vector<std::string>& args) {
  std::vector<std::string> argv{"wqnprep"};
  argv.insert(argv.end(), args.begin(), args.end());
  return argv;
}

}  // namespace

ProgramResult runWqnprep(const std::vector<std::string>& args, const std::string& stdinPath,
                         const std::string& workingDir) {
  return runProgram(wqnprepBinary(), wqnprepArgv(args), stdinPath, workingDir);
}

ProgramResult runWqnprep(const std::vector<std::string>& args, const Streams& streams) {
  return RunningProgram(wqnprepBinary(), wqnprepArgv(args), streams).wait();
}

ProgramResult runWqnprepThroughPipes(const std::vector<std::string>& args, const std::string& input,
                                     const std::string& workingDir) {
  Streams streams;
  streams.input = Streams::Connection::pipe;
  streams.output = Streams::Connection::pipe;
  streams.workingDir = workingDir;
  RunningProgram program(wqnprepBinary(), wqnprepArgv(args), streams);
  // Fed meanwhile, so that neither side waits for the other with a pipe full.
  std::thread feeder([&] {
    program.write(input);
    program.closeInput();
  });
  ProgramResult result = program.wait();
  feeder.join();
  return result;
}

}  // namespace wqnprep::testing
