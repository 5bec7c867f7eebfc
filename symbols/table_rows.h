// Builds table rows from the platform's enumerator lists.
#pragma once

#include <boost/lexical_cast.hpp>
#include <string>

#include "platform/wqn_enums.h"
#include "symbols/symbol_table.h"

namespace wqnprep {

// A row whose value text is the enumerator's own value in plain decimal.
template <typename Enum>
SymbolEntry enumeratorRow(const char* name, Enum enumerator) {
  return {name, boost::lexical_cast<std::string>(static_cast<long long>(enumerator))};
}

}  // namespace wqnprep

// Use with a WQN_..._IDS list: the listed value is ignored on purpose and read back from the
// enumerator, so the row and the enumeration cannot disagree.
#define WQNPREP_ENUMERATOR_ROW(name, value) ::wqnprep::enumeratorRow(#name, ::WQN::name),
