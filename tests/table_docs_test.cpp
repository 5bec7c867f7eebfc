// The README's and the manual page's lists of finding kinds against the list the code has: a
// kind added to one and not to the other fails here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "findings/finding.h"
#include "source_file.h"

namespace wqnprep::testing {
namespace {

const char* const kReadme = "/README.md";
const char* const kManualPage = "/man/wqnprep.1.in";

std::string trimmed(const std::string& text, const char* what) {
  const std::size_t first = text.find_first_not_of(what);
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(what) - first + 1);
}

// The index of the first line of `text` that is `line`, or text.size().
std::size_t indexOf(const std::vector<std::string>& text, const std::string& line) {
  return static_cast<std::size_t>(std::find(text.begin(), text.end(), line) - text.begin());
}

// The cells of every row of the README's table whose header row is `header`, blanks and
// backticks taken off.
std::vector<std::vector<std::string>> readmeTable(const std::string& header) {
  const std::vector<std::string> text = lines(sourceFile(kReadme));
  std::vector<std::vector<std::string>> rows;
  for (std::size_t row = indexOf(text, header) + 2; row < text.size() && text[row].starts_with("|");
       ++row) {
    std::vector<std::string>& cells = rows.emplace_back();
    for (std::size_t from = 1, bar; (bar = text[row].find('|', from)) != std::string::npos;
         from = bar + 1) {
      cells.push_back(trimmed(trimmed(text[row].substr(from, bar - from), " "), "`"));
    }
  }
  return rows;
}

// --- Finding kinds ---------------------------------------------------------------------------

std::vector<std::string> listedKinds() {
  std::vector<std::string> names;
  for (const FindingKindInfo& kind : kFindingKindList) names.emplace_back(kind.name);
  return names;
}

std::vector<std::string> readmeKinds() {
  std::vector<std::string> names;
  for (const auto& cells : readmeTable("| kind | reported for |")) names.push_back(cells.at(0));
  return names;
}

// The headings of the list of kinds under --warn-unknown, from "KIND is one of:" to its ".RE".
std::vector<std::string> manualKinds() {
  const std::vector<std::string> page = lines(sourceFile(kManualPage));
  std::vector<std::string> names;
  for (std::size_t line = indexOf(page, "is one of:");
       line + 1 < page.size() && page[line] != ".RE"; ++line) {
    if (page[line] == ".TP") names.push_back(roffText(page[line + 1]));
  }
  return names;
}

TEST(DocumentedFindingKinds, AreTheKindsOfTheListInItsOrder) {
  const struct {
    const char* document;
    std::vector<std::string> kinds;
  } cases[] = {{kReadme, readmeKinds()}, {kManualPage, manualKinds()}};
  for (const auto& c : cases) EXPECT_EQ(c.kinds, listedKinds()) << c.document;
}

}  // namespace
}  // namespace wqnprep::testing
