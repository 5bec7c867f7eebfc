// The README's and the manual page's lists of finding kinds and of symbols against the lists
// the code has: a kind or a table added to one and not to the other fails here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "findings/finding.h"
#include "source_file.h"
#include "symbols/tables.h"

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

// The number a text begins with; 0 if it begins with none.
std::size_t leadingNumber(const std::string& text) {
  std::size_t number = 0;
  for (std::size_t i = 0; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    number = number * 10 + static_cast<std::size_t>(text[i] - '0');
  }
  return number;
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

// --- Symbols ---------------------------------------------------------------------------------

// A typed table as its type name and its number of rows; a placeholder as its name and 1.
using SymbolShape = std::pair<std::string, std::size_t>;

std::vector<SymbolShape> registeredSymbols() {
  std::vector<SymbolShape> shape;
  for (const SymbolTable* table : registry()) {
    shape.emplace_back(table->typeName, table->rows.size());
  }
  for (const SymbolEntry& placeholder : globalScopeList()) shape.emplace_back(placeholder.name, 1);
  return shape;
}

// "`WQNRuleID::NAME` | 3 | ..." and "`WQNGlobalScopeGUID` | 1 | ...".
std::vector<SymbolShape> readmeSymbols() {
  std::vector<SymbolShape> shape;
  for (const auto& cells : readmeTable("| token | rows | value |")) {
    std::string token = cells.at(0);
    if (token.ends_with("::NAME")) token.resize(token.size() - 6);
    shape.emplace_back(token, leadingNumber(cells.at(1)));
  }
  return shape;
}

// ".BI WQNRuleID:: NAME" and a line that begins with its number of rows; ".B WQNGlobalScopeGUID".
std::vector<SymbolShape> manualSymbols() {
  const std::vector<std::string> page = lines(sourceFile(kManualPage));
  std::vector<SymbolShape> shape;
  for (std::size_t line = indexOf(page, ".SH SYMBOLS") + 1;
       line + 2 < page.size() && !page[line].starts_with(".SH"); ++line) {
    if (page[line] != ".TP") continue;
    const std::string heading = roffText(page[line + 1]);
    const std::size_t colons = heading.find("::");
    if (colons == std::string::npos) {
      shape.emplace_back(heading, 1);
    } else {
      shape.emplace_back(heading.substr(0, colons), leadingNumber(page[line + 2]));
    }
  }
  return shape;
}

TEST(DocumentedSymbols, AreTheTablesOfTheRegistryWithTheirRowsThenThePlaceholders) {
  const struct {
    const char* document;
    std::vector<SymbolShape> symbols;
  } cases[] = {{kReadme, readmeSymbols()}, {kManualPage, manualSymbols()}};
  for (const auto& c : cases) EXPECT_EQ(c.symbols, registeredSymbols()) << c.document;
}

}  // namespace
}  // namespace wqnprep::testing
