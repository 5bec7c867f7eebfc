// Every symbol, prepared once for lookups by the streaming substituter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "symbols/symbol_table.h"

namespace wqnprep {

class TokenIndex {
 public:
  TokenIndex(const Registry& typed, const std::vector<SymbolEntry>& untyped);

  // The value of the qualified token spelled by the `length` bytes at `token`, or nullptr.
  const std::string* findQualified(const char* token, std::size_t length) const;

  // Untyped symbols, searched by their bare names.
  const std::vector<SymbolEntry>& untyped() const { return untyped_; }

  std::size_t maxTypeNameLength() const { return maxTypeNameLength_; }
  // The longest token of all, typed or untyped.
  std::size_t maxTokenLength() const { return maxTokenLength_; }
  // No replacement makes the text longer than this factor.
  std::size_t maxGrowth() const { return maxGrowth_; }

 private:
  struct Symbol {
    std::string token;
    std::string value;
  };

  static std::uint64_t hash(const char* token, std::size_t length);

  std::vector<Symbol> symbols_;
  std::vector<std::uint32_t> slots_;  // index + 1 into symbols_, 0 for an empty slot
  std::uint64_t slotMask_ = 0;
  int slotShift_ = 64;  // the hash's top bits pick the slot
  std::vector<SymbolEntry> untyped_;
  std::size_t maxTypeNameLength_ = 0;
  std::size_t maxTokenLength_ = 0;
  std::size_t maxGrowth_ = 1;
};

// The index over the compiled-in tables, built before main.
const TokenIndex& tokenIndex();

}  // namespace wqnprep
