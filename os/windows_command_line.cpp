// The command line as the C runtime splits it, for what the split loses: which parts were quoted.
#include "os/windows_arguments.h"

namespace wqnprep::os::windows {
namespace {

bool isBlank(wchar_t c) {
  return c == L' ' || c == L'\t';
}

}  // namespace

// The runtime's rules: blanks separate arguments outside double quotes; 2n backslashes before a
// quote are n and the quote opens or closes, 2n+1 are n and a literal quote; other backslashes
// are themselves; "" inside quotes is a literal quote. The program's name, first, is read up to a
// blank, or between quotes, with no escapes.
std::vector<TypedArgument> splitCommandLine(std::wstring_view line) {
  std::vector<TypedArgument> arguments;
  std::size_t at = 0;
  TypedArgument program;
  if (!line.empty() && line[0] == L'"') {
    const std::size_t end = line.find(L'"', 1);
    program.text = line.substr(1, end == std::wstring_view::npos ? end : end - 1);
    program.quoted = true;
    at = end == std::wstring_view::npos ? line.size() : end + 1;
  } else {
    while (at < line.size() && !isBlank(line[at])) program.text += line[at++];
  }
  arguments.push_back(std::move(program));

  while (true) {
    while (at < line.size() && isBlank(line[at])) ++at;
    if (at == line.size()) break;
    TypedArgument argument;
    bool inQuotes = false;
    while (at < line.size() && (inQuotes || !isBlank(line[at]))) {
      if (line[at] != L'\\' && line[at] != L'"') {
        argument.text += line[at++];
        continue;
      }
      std::size_t backslashes = 0;
      while (at < line.size() && line[at] == L'\\') {
        ++backslashes;
        ++at;
      }
      if (at == line.size() || line[at] != L'"') {
        argument.text.append(backslashes, L'\\');
        continue;
      }
      argument.text.append(backslashes / 2, L'\\');
      if (backslashes % 2 == 1) {
        argument.text += L'"';
      } else if (inQuotes && at + 1 < line.size() && line[at + 1] == L'"') {
        argument.text += L'"';
        ++at;
      } else {
        argument.quoted = true;
        inQuotes = !inQuotes;
      }
      ++at;
    }
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

}  // namespace wqnprep::os::windows
