#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <new>
#include <string>
#include <vector>

#include "os/entry.h"
#include "os/windows_support.h"

namespace wqnprep::os {

int runWithUtf8Arguments(int argc, wchar_t* argv[], int (*run)(int argc, char* argv[])) {
  // What the program writes through the C library goes out byte for byte, as elsewhere: no
  // carriage return before each line feed. A stream the process was started without fails
  // here harmlessly; writing to it later is what reports the error.
  for (std::FILE* stream : {stdin, stdout, stderr}) (void)::_setmode(::_fileno(stream), _O_BINARY);
  // Names in messages are UTF-8; a console shows them as such while the program runs.
  const UINT consolePage = ::GetConsoleOutputCP();
  if (consolePage != 0) (void)::SetConsoleOutputCP(CP_UTF8);

  int status = 1;
  try {
    std::vector<std::string> arguments;
    arguments.reserve(static_cast<std::size_t>(argc));
    for (int i = 0; i < argc; ++i)
      arguments.push_back(windows::toUtf8(argv[i], std::wcslen(argv[i])));
    std::vector<char*> pointers;
    for (std::string& argument : arguments) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    status = run(argc, pointers.data());
  } catch (const std::bad_alloc&) {
    (void)std::fputs("Error: out of memory\n", stderr);
  }

  if (consolePage != 0) (void)::SetConsoleOutputCP(consolePage);
  return status;
}

}  // namespace wqnprep::os
