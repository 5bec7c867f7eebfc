#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <new>
#include <string>
#include <vector>

#include "os/entry.h"
#include "os/file.h"
#include "os/windows_arguments.h"
#include "os/windows_support.h"

namespace wqnprep::os {
namespace {

std::vector<char*> pointersTo(std::vector<std::string>& arguments) {
  std::vector<char*> pointers;
  pointers.reserve(arguments.size() + 1);
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  return pointers;
}

// Each path that holds a wildcard and was not quoted, replaced by the paths it matches.
std::vector<std::string> withWildcardsExpanded(std::vector<std::string> arguments,
                                               const wchar_t* const argv[],
                                               const Program& program) {
  std::vector<char*> pointers = pointersTo(arguments);
  const std::vector<bool> paths =
      program.pathArguments(static_cast<int>(arguments.size()), pointers.data());
  // An argument the split does not give as argv has it is taken as quoted: left as it is.
  const std::vector<windows::TypedArgument> typed = windows::splitCommandLine(::GetCommandLineW());
  std::vector<std::string> expanded;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const bool quoted = i >= typed.size() || typed[i].quoted || typed[i].text != argv[i];
    std::vector<std::string> matches;
    if (i > 0 && i < paths.size() && paths[i] && !quoted)
      matches = windows::matchingPaths(arguments[i]);
    if (matches.empty()) {
      expanded.push_back(std::move(arguments[i]));
      continue;
    }
    // A match that begins with '-' would be read as an option.
    for (std::string& match : matches)
      expanded.push_back(match.front() == '-' ? ".\\" + match : std::move(match));
  }
  return expanded;
}

int runWithArguments(int argc, wchar_t* argv[], const Program& program) {
  std::vector<std::string> arguments;
  arguments.reserve(static_cast<std::size_t>(argc));
  // The program's own name is only shown.
  if (argc > 0) arguments.push_back(windows::toUtf8(argv[0], std::wcslen(argv[0])));
  for (int i = 1; i < argc; ++i) {
    std::string argument;
    if (const std::error_code error = windows::toUtf8(argv[i], std::wcslen(argv[i]), argument)) {
      return program.refuse(
          arguments.front(),
          "argument " + std::to_string(i) + " is not valid Unicode text: " + error.message());
    }
    arguments.push_back(std::move(argument));
  }
  arguments = withWildcardsExpanded(std::move(arguments), argv, program);
  std::vector<char*> pointers = pointersTo(arguments);
  return program.run(static_cast<int>(arguments.size()), pointers.data());
}

}  // namespace

int runWithUtf8Arguments(int argc, wchar_t* argv[], const Program& program) {
  // What the program writes through the C library goes out byte for byte, as elsewhere: no
  // carriage return before each line feed. A stream the process was started without fails
  // here harmlessly; writing to it later is what reports the error.
  for (std::FILE* stream : {stdin, stdout, stderr}) (void)::_setmode(::_fileno(stream), _O_BINARY);
  // Names in messages are UTF-8; a console shows them as such while the program runs.
  const UINT consolePage = ::GetConsoleOutputCP();
  if (consolePage != 0) (void)::SetConsoleOutputCP(CP_UTF8);

  int status = 1;
  try {
    status = runWithArguments(argc, argv, program);
  } catch (const std::bad_alloc&) {
    (void)writeText(StandardStream::error, "Error: out of memory\n");
  }

  if (consolePage != 0) (void)::SetConsoleOutputCP(consolePage);
  return status;
}

}  // namespace wqnprep::os
