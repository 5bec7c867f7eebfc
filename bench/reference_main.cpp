// The line-by-line reference pass as a program, for comparisons: wqnprep_reference INPUT OUTPUT.
#include <cstdio>
#include <exception>

#include "app/files.h"
#include "line_by_line.h"

int main(int argc, char* argv[]) {
  if (argc != 3) {
    (void)std::fprintf(stderr, "usage: %s INPUT OUTPUT\n", argv[0]);
    return 2;
  }
  try {
    wqnprep::InputFile input(argv[1]);
    wqnprep::OutputFile output(argv[2], input);
    wqnprep::preprocessLineByLine(input, output);
    output.commit();
    return 0;
  } catch (const std::exception& error) {
    (void)std::fprintf(stderr, "Error: %s\n", error.what());
    return 1;
  }
}
