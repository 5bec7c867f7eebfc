// Files of the source tree, for the tests that hold the documents to the code. They are read
// here rather than through the program-running helpers, which are POSIX-only: these tests need no
// process.
#pragma once

#include <string>
#include <vector>

namespace wqnprep::testing {

// The file at `path` below the source folder ("/README.md"); throws if it cannot be read.
std::string sourceFile(const std::string& path);

std::vector<std::string> lines(const std::string& text);

// A line of the manual page with the roff markup taken out: ".BR \-h \", \" \-\-help" becomes
// "-h , --help".
std::string roffText(const std::string& line);

}  // namespace wqnprep::testing
