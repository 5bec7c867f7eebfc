#include "symbols/substitute_line.h"

#include <algorithm>
#include <boost/bind/bind.hpp>

#include "symbols/tables.h"
#include "text/replace_whole_word.h"

namespace wqnprep {

void applySymbolTable(const SymbolTable& table, std::string& line) {
  for (const SymbolEntry& row : table.rows) {
    replaceWholeWord(line, qualifiedToken(table, row), row.value);
  }
}

void substituteLine(std::string& line) {
  for (const SymbolTable* table : registry()) applySymbolTable(*table, line);

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
