#include <cstdint>
#include <string>

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
  // Kept as a zero-terminated text would keep it: only the bytes before a zero byte count.
  const std::string text = base.toString();
  return {"WQNGlobalScopeGUID", text.substr(0, text.find('\0'))};
}

}  // namespace

const std::vector<SymbolEntry>& globalScopeList() {
  static const std::vector<SymbolEntry> list{globalScopeEntry()};
  return list;
}

}  // namespace wqnprep
