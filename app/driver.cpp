#include "app/driver.h"

#include <cstdio>
#include <exception>
#include <string>

#include "app/files.h"
#include "app/preprocess.h"
#include "app/usage.h"

namespace wqnprep {

int runMain(int argc, char* argv[]) {
  try {
    if (argc != 3) {
      printUsage(argc > 0 && argv[0] != nullptr ? argv[0] : "wqnprep");
      return kUsage;
    }
    InputFile input(argv[1]);
    OutputFile output(argv[2], input);
    preprocess(input, output);
    output.close();
    return kSuccess;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "Error: %s\n", error.what());
    std::fflush(stderr);
    return kFailure;
  }
}

}  // namespace wqnprep
