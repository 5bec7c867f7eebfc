// The program's entry where the system hands it more than main's arguments do. Windows only.
#pragma once

namespace wqnprep::os {

// Runs `run` with the arguments as UTF-8, the text every path has above this layer, in a process
// set up to write bytes as they are given; returns its status. The arguments arrive as UTF-16.
int runWithUtf8Arguments(int argc, wchar_t* argv[], int (*run)(int argc, char* argv[]));

}  // namespace wqnprep::os
