#include "symbols/substitute_line.h"

#include <algorithm>
#include <array>
#include <boost/bind/bind.hpp>
#include <cstddef>
#include <string>
#include <vector>

#include "symbols/tables.h"
#include "text/replace_whole_word.h"

namespace wqnprep {

namespace {

// The qualified token of every row, table by table in registry order, made once: they depend on
// the tables alone, and making them again for every line cost more than the replacing.
const std::array<std::vector<std::string>, kTypedTableCount>& registryTokens() {
  static const auto tokens = [] {
    std::array<std::vector<std::string>, kTypedTableCount> all;
    for (std::size_t index = 0; index < kTypedTableCount; ++index) {
      const SymbolTable& table = *registry()[index];
      for (const SymbolEntry& row : table.rows) all[index].push_back(qualifiedToken(table, row));
    }
    return all;
  }();
  return tokens;
}

}  // namespace

void substituteLine(std::string& line) {
  const auto& tokens = registryTokens();
  for (std::size_t index = 0; index < kTypedTableCount; ++index) {
    const std::vector<SymbolEntry>& rows = registry()[index]->rows;
    for (std::size_t row = 0; row < rows.size(); ++row) {
      replaceWholeWord(line, tokens[index][row], rows[row].value);
    }
  }

  // The placeholders go through std::for_each: boost::bind adapts replaceWholeWord to one entry,
  // and boost::ref hands it the line itself, since bind copies what it is given and each entry
  // would otherwise change a copy. The engine is the fast pass; this one stays plain.
  // NOLINTBEGIN(modernize-avoid-bind)
  using boost::placeholders::_1;
  const std::vector<SymbolEntry>& placeholders = globalScopeList();
  std::for_each(
      placeholders.begin(), placeholders.end(),
      boost::bind(&replaceWholeWord, boost::ref(line), boost::bind(&SymbolEntry::name, _1),
                  boost::bind(&SymbolEntry::value, _1)));
  // NOLINTEND(modernize-avoid-bind)
}

std::string substituteText(const std::string& text) {
  std::string output;
  std::string::size_type begin = 0;
  while (begin < text.size()) {
    std::string::size_type end = text.find('\n', begin);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(begin, end - begin);
    substituteLine(line);
    output += line;
    output += '\n';
    begin = end + 1;
  }
  return output;
}

}  // namespace wqnprep
