// How the compiled-in symbols are held.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/wqn_enums.h"

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
};

// The type name of every typed table, one per platform enumeration and in the same order.
#define WQNPREP_TYPE_NAME(type, enumerators) std::string_view(#type),
inline constexpr std::array kTypeNames{WQN_ENUMERATIONS(WQNPREP_TYPE_NAME)};
#undef WQNPREP_TYPE_NAME

// The typed tables in the order the substitution applies them.
constexpr std::size_t kTypedTableCount = kTypeNames.size();
using Registry = std::array<const SymbolTable*, kTypedTableCount>;

// Qualified token of a row: the type name, "::", the row's name.
std::string qualifiedToken(const SymbolTable& table, const SymbolEntry& row);

}  // namespace wqnprep
