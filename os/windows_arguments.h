// How the Windows entry reads its command line; not part of the interface.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace wqnprep::os::windows {

struct TypedArgument {
  std::wstring text;
  bool quoted = false;  // a double quote was typed in it: its wildcards are not expanded
};

// The command line split as the C runtime splits it into argv, with what argv no longer shows.
std::vector<TypedArgument> splitCommandLine(std::wstring_view line);

// The paths `pattern` matches, '*' standing for any characters of a name and '?' for one, in any
// of its components, without regard to case as names compare; in the byte order of the paths, as
// a folder's files are taken. Names that begin with '.' match only a component that does too.
// Empty when nothing matches or `pattern` has no wildcard.
std::vector<std::string> matchingPaths(const std::string& pattern);

}  // namespace wqnprep::os::windows
