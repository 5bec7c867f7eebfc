// Writes a deterministic database script of a given size for benchmarks:
//   wqnprep_generate KIND MEGABYTES OUTPUT
// realistic: CREATE/INSERT/UPDATE lines and comments, about a quarter of the lines holding one to
//            four symbols from every table and the placeholder, with near misses that must stay;
// dense:     every line holds several symbols;
// longline:  one line of the given size without any line feed;
// unknown:   lines of distinct unknown enumerators, for the cost of findings.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "script_generator.h"

int main(int argc, char* argv[]) {
  if (argc != 4) {
    (void)std::fprintf(stderr, "usage: %s realistic|dense|longline|unknown MEGABYTES OUTPUT\n",
                       argv[0]);
    return 2;
  }
  const std::string kind = argv[1];
  const std::uint64_t size = std::strtoull(argv[2], nullptr, 10) << 20;
  std::FILE* out = std::fopen(argv[3], "wb");
  if (out == nullptr) {
    std::perror(argv[3]);
    return 1;
  }
  wqnprep::bench::Generator generator;
  std::uint64_t written = 0;
  std::uint64_t serial = 0;
  while (written < size) {
    std::string line;
    if (kind == "realistic" || kind == "dense") {
      line = wqnprep::bench::scriptLine(generator, kind);
    } else if (kind == "unknown") {
      line = wqnprep::bench::unknownLine(serial);
    } else if (kind == "longline") {
      line = generator.token() + (generator.pick(2) == 0 ? "_" : ", ");
    } else {
      (void)std::fprintf(stderr, "unknown kind %s\n", kind.c_str());
      return 2;
    }
    if (written + line.size() > size) line.resize(static_cast<std::size_t>(size - written));
    if (std::fwrite(line.data(), 1, line.size(), out) != line.size()) {
      std::perror(argv[3]);
      return 1;
    }
    written += line.size();
  }
  if (std::fclose(out) != 0) {
    std::perror(argv[3]);
    return 1;
  }
  return 0;
}
