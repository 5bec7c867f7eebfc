// The program's entry where the system hands it more than main's arguments do. Windows only.
#pragma once

#include <string>
#include <vector>

namespace wqnprep::os {

// What the entry needs of the program.
struct Program {
  // Which arguments the program takes as paths: wildcards are expanded in those alone.
  std::vector<bool> (*pathArguments)(int argc, char* argv[]);
  // Tells that the command line cannot be read, as a wrong one is told; returns the exit status.
  int (*refuse)(const std::string& programPath, const std::string& reason);
  // Does what the arguments ask; returns the exit status.
  int (*run)(int argc, char* argv[]);
};

// Runs the program with its arguments as UTF-8, the text every path has above this layer, in a
// process set up to write bytes as they are given; returns its status. The arguments arrive as
// UTF-16: one that is not (an unpaired surrogate) is refused, as it would name another file.
// Programs on Windows expand wildcards themselves: each path with '*' or '?' that was not quoted
// on the command line becomes the paths it matches, in order; one that matches nothing stays.
int runWithUtf8Arguments(int argc, wchar_t* argv[], const Program& program);

}  // namespace wqnprep::os
