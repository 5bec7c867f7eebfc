#include "source_file.h"

#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace wqnprep::testing {

namespace {

// The data folder is tests/data in the source tree.
const std::string kSourceDir = WQNPREP_TEST_DATA_DIR "/../..";

}  // namespace

std::string sourceFile(const std::string& path) {
  std::ifstream in(kSourceDir + path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + kSourceDir + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) result.push_back(line);
  return result;
}

std::string roffText(const std::string& line) {
  std::string text = std::regex_replace(line, std::regex(R"(^\.[A-Z]+ ?)"), "");
  text = std::regex_replace(text, std::regex(R"(\\f[BIRP])"), "");
  text = std::regex_replace(text, std::regex(R"(\\-)"), "-");
  return std::regex_replace(text, std::regex("\""), "");
}

}  // namespace wqnprep::testing
