// The program's entry on Windows, where the arguments arrive as UTF-16 (linked with -municode).
#include "app/driver.h"
#include "os/entry.h"

int wmain(int argc, wchar_t* argv[]) {
  return wqnprep::os::runWithUtf8Arguments(
      argc, argv, {wqnprep::pathArguments, wqnprep::refuseCommandLine, wqnprep::runMain});
}
