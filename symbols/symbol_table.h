// How the compiled-in symbols are held.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace wqnprep {

// One symbol: the name as scripts write it and the text the database stores for it.
struct SymbolEntry {
  std::string name;
  std::string value;
};

// The rows of one enumeration, qualified in scripts as `typeName::name`. Row order is the
// order in which the rows are applied.
struct SymbolTable {
  std::string typeName;
  std::vector<SymbolEntry> rows;

  std::size_t rowCount() const { return rows.size(); }
};

// The typed tables in the order the substitution applies them.
constexpr std::size_t kTypedTableCount = 6;
using Registry = std::array<const SymbolTable*, kTypedTableCount>;

// Qualified token of a row: the type name, "::", the row's name.
std::string qualifiedToken(const SymbolTable& table, const SymbolEntry& row);

}  // namespace wqnprep
