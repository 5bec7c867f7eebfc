// Starting the program on Windows: CreateProcessW, with the standard handles it is given. Under
// Wine, the tests and the program are both Windows processes.
#include <windows.h>

#include <algorithm>
#include <stdexcept>

#include "os/windows_support.h"
#include "run_program.h"

namespace wqnprep::testing {
namespace {

std::wstring wide(const std::string& text) {
  std::wstring result;
  if (os::windows::toWide(text, result)) throw std::runtime_error("not UTF-8: " + text);
  return result;
}

// One argument as the C runtime's parser reads it back: quoted when it holds a blank or a
// quote or is empty, with the backslashes before a quote doubled.
void appendArgument(const std::wstring& argument, std::wstring& line) {
  if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) {
    line += argument;
    return;
  }
  line += L'"';
  std::size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, L'\\');
  line += L'"';
}

// argv[0] is read up to the next blank, or between quotes, with no escapes at all.
std::wstring commandLine(const std::vector<std::string>& argv) {
  std::wstring line;
  for (std::size_t i = 0; i < argv.size(); ++i) {
    const std::wstring argument = wide(argv[i]);
    if (i == 0) {
      const bool quote = argument.empty() || argument.find_first_of(L" \t") != std::wstring::npos;
      line += quote ? L'"' + argument + L'"' : argument;
    } else {
      line += L' ';
      appendArgument(argument, line);
    }
  }
  return line;
}

HANDLE handleOf(std::intptr_t handle) {
  return reinterpret_cast<HANDLE>(handle);
}

std::intptr_t valueOf(HANDLE handle) {
  return reinterpret_cast<std::intptr_t>(handle);
}

SECURITY_ATTRIBUTES inheritable() {
  SECURITY_ATTRIBUTES attributes{};
  attributes.nLength = sizeof attributes;
  attributes.bInheritHandle = TRUE;
  return attributes;
}

// A file handle the program inherits.
HANDLE openInherited(const std::string& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES attributes = inheritable();
  // The tests name the empty input as POSIX systems do.
  const std::wstring name = path == "/dev/null" ? L"NUL" : wide(path);
  const HANDLE handle =
      ::CreateFileW(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    &attributes, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
  return handle;
}

struct PipeEnds {
  HANDLE read = nullptr;
  HANDLE write = nullptr;
};

// Both ends inheritable; the one that stays here is then kept from the program.
PipeEnds makePipe() {
  SECURITY_ATTRIBUTES attributes = inheritable();
  PipeEnds ends;
  if (!::CreatePipe(&ends.read, &ends.write, &attributes, 0))
    throw std::runtime_error("cannot make a pipe");
  return ends;
}

std::intptr_t keptHere(HANDLE end) {
  ::SetHandleInformation(end, HANDLE_FLAG_INHERIT, 0);
  return valueOf(end);
}

}  // namespace

void RunningProgram::start(const std::string& program, const std::vector<std::string>& argv,
                           const Streams& streams) {
  using Connection = Streams::Connection;
  // A closed stream is a null handle, as the system gives a process started without one.
  HANDLE input = nullptr;
  HANDLE output = nullptr;
  switch (streams.input) {
    case Connection::file:
      input = openInherited(streams.inputFile,
                            streams.inputForWriting ? GENERIC_WRITE : GENERIC_READ, OPEN_EXISTING);
      break;
    case Connection::pipe: {
      const PipeEnds ends = makePipe();
      input = ends.read;
      input_ = keptHere(ends.write);
      break;
    }
    case Connection::closed:
      break;
  }
  switch (streams.output) {
    case Connection::file:
      captured_ = streams.outputFile.empty();
      output = captured_ ? openInherited(capture_.file("stdout"), GENERIC_WRITE, CREATE_ALWAYS)
                         : openInherited(streams.outputFile, FILE_APPEND_DATA, OPEN_EXISTING);
      break;
    case Connection::pipe: {
      const PipeEnds ends = makePipe();
      output = ends.write;
      output_ = keptHere(ends.read);
      break;
    }
    case Connection::closed:
      break;
  }
  const HANDLE error = openInherited(capture_.file("stderr"), GENERIC_WRITE, CREATE_ALWAYS);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = error;
  std::wstring line = commandLine(argv);
  const std::wstring folder = streams.workingDir.empty() ? L"" : wide(streams.workingDir);
  PROCESS_INFORMATION process{};
  // Under Wine, a path such as CMake's /work/build/wqnprep.exe is on the drive that maps /, the
  // working drive when CTest starts the tests.
  const BOOL started =
      ::CreateProcessW(wide(program).c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       folder.empty() ? nullptr : folder.c_str(), &startup, &process);
  for (const HANDLE inherited : {input, output, error}) {
    if (inherited != nullptr) ::CloseHandle(inherited);
  }
  if (!started) throw std::runtime_error("cannot start " + program);
  ::CloseHandle(process.hThread);
  process_ = valueOf(process.hProcess);
}

RunningProgram::~RunningProgram() {
  closeHandle(input_);
  closeHandle(output_);
  if (process_ != -1) {
    ::TerminateProcess(handleOf(process_), 1);
    ::WaitForSingleObject(handleOf(process_), INFINITE);
    closeHandle(process_);
  }
}

void RunningProgram::write(const std::string& text) {
  for (std::size_t done = 0; done < text.size();) {
    DWORD put = 0;
    const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1 << 20));
    if (!::WriteFile(handleOf(input_), text.data() + done, piece, &put, nullptr)) return;
    done += put;
  }
}

void RunningProgram::closeInput() {
  closeHandle(input_);
}

std::size_t RunningProgram::readSome(char* buffer, std::size_t size) {
  DWORD got = 0;
  if (::ReadFile(handleOf(output_), buffer, static_cast<DWORD>(size), &got, nullptr)) return got;
  // The program's end of the pipe has gone: the end of its output.
  if (::GetLastError() == ERROR_BROKEN_PIPE) return 0;
  throw std::runtime_error("cannot read the program's output");
}

int RunningProgram::waitForExit() {
  DWORD status = 0;
  if (::WaitForSingleObject(handleOf(process_), INFINITE) != WAIT_OBJECT_0 ||
      !::GetExitCodeProcess(handleOf(process_), &status))
    throw std::runtime_error("cannot wait for the program");
  closeHandle(process_);
  return static_cast<int>(status);
}

void RunningProgram::closeHandle(std::intptr_t& handle) {
  if (handle != -1) ::CloseHandle(handleOf(handle));
  handle = -1;
}

bool isSystemText(const std::string& reason, std::errc kind) {
  if (reason == std::make_error_code(kind).message()) return true;  // said by the program itself
  // The system's errors: those below 2000 name every failure of files and handles.
  for (DWORD code = 1; code < 2000; ++code) {
    const std::error_code error = os::windows::errorFrom(code);
    if (error == kind && error.message() == reason) return true;
  }
  return false;
}

// No user here is above the permissions as root is on POSIX systems: the tests' own user runs
// the program.
std::vector<std::string> asUnprivileged(std::vector<std::string> argv) {
  return argv;
}

void handToUnprivileged(const std::string& /*path*/) {}

ProgramResult runWqnprepUnprivileged(const std::vector<std::string>& args,
                                     const std::string& workingDir) {
  return runWqnprep(args, "/dev/null", workingDir);
}

}  // namespace wqnprep::testing
