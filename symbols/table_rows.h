// Builds table rows from the platform's enumerator lists.
#pragma once

// Rows are built before main, where the global locale is always the classic one, so the text of
// a number has no digit grouping to look up: this spares lexical_cast a locale for every row.
// Only this header includes lexical_cast, so every use sees the same definition.
#ifndef BOOST_LEXICAL_CAST_ASSUME_C_LOCALE
#define BOOST_LEXICAL_CAST_ASSUME_C_LOCALE
#endif
#include <boost/lexical_cast.hpp>
#include <initializer_list>
#include <string>
#include <vector>

#include "platform/wqn_enums.h"
#include "symbols/symbol_table.h"

namespace wqnprep {

// A row whose value text is the enumerator's own value in plain decimal.
template <typename Enum>
SymbolEntry enumeratorRow(const char* name, Enum enumerator) {
  return {name, boost::lexical_cast<std::string>(static_cast<long long>(enumerator))};
}

// An enumerator as its list names it.
template <typename Enum>
struct NamedEnumerator {
  const char* name;
  Enum enumerator;
};

// The rows of one enumeration, each made once in place: rows listed in an initializer list
// would each be made and then copied.
template <typename Enum>
std::vector<SymbolEntry> enumeratorRows(std::initializer_list<NamedEnumerator<Enum>> list) {
  std::vector<SymbolEntry> rows;
  rows.reserve(list.size());
  for (const NamedEnumerator<Enum>& named : list) {
    rows.push_back(enumeratorRow(named.name, named.enumerator));
  }
  return rows;
}

}  // namespace wqnprep

// Use with a WQN_..._IDS list inside enumeratorRows<Enum>({...}): the listed value is ignored on
// purpose and read back from the enumerator, so the row and the enumeration cannot disagree.
#define WQNPREP_ENUMERATOR_ROW(name, value) {#name, ::WQN::name},
