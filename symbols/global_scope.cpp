#include <cstdint>

#include "platform/wqn_guid.h"
#include "symbols/tables.h"

namespace wqnprep {
namespace {

// The identifier of the platform's global scope object, as the bit patterns of two signed
// 64-bit integers (both negative as signed values).
constexpr std::uint64_t kGlobalScopeHigh = 0x8C3E7755D5D12B4FULL;
constexpr std::uint64_t kGlobalScopeLow = 0xBA73E73F13C140D6ULL;

SymbolEntry globalScopeEntry() {
  const WQN::WQNGUID guid(static_cast<std::int64_t>(kGlobalScopeHigh),
                          static_cast<std::int64_t>(kGlobalScopeLow));
  const WQN::WQNGUIDBase& base = guid;
  // Kept through its zero-terminated form: only the text before a zero byte counts.
  return {"WQNGlobalScopeGUID", base.toString().c_str()};
}

}  // namespace

const std::vector<SymbolEntry>& globalScopeList() {
  static const std::vector<SymbolEntry> list{globalScopeEntry()};
  return list;
}

}  // namespace wqnprep
