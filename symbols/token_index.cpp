#include "symbols/token_index.h"

#include <algorithm>
#include <cstring>

#include "symbols/build_before_main.h"
#include "symbols/tables.h"

namespace wqnprep {
namespace {

std::uint64_t load64(const char* bytes) {
  std::uint64_t word = 0;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

}  // namespace

TokenIndex::TokenIndex(const Registry& typed, const std::vector<SymbolEntry>& untyped)
    : untyped_(untyped) {
  for (const SymbolTable* table : typed) {
    maxTypeNameLength_ = std::max(maxTypeNameLength_, table->typeName.size());
    for (const SymbolEntry& row : table->rows) {
      symbols_.push_back({qualifiedToken(*table, row), row.value});
    }
  }
  for (const Symbol& symbol : symbols_)
    maxTokenLength_ = std::max(maxTokenLength_, symbol.token.size());
  for (const SymbolEntry& entry : untyped_)
    maxTokenLength_ = std::max(maxTokenLength_, entry.name.size());

  auto grow = [this](std::size_t token, std::size_t value) {
    if (token > 0) maxGrowth_ = std::max(maxGrowth_, (value + token - 1) / token);
  };
  for (const Symbol& symbol : symbols_) grow(symbol.token.size(), symbol.value.size());
  for (const SymbolEntry& entry : untyped_) grow(entry.name.size(), entry.value.size());

  // Open addressing with linear probing, at most a quarter full.
  std::size_t size = 16;
  int bits = 4;
  while (size < 4 * symbols_.size()) size *= 2, ++bits;
  slots_.assign(size, 0);
  slotMask_ = size - 1;
  slotShift_ = 64 - bits;
  for (std::size_t i = 0; i < symbols_.size(); ++i) {
    const std::string& token = symbols_[i].token;
    std::uint64_t slot = hash(token.data(), token.size()) >> slotShift_;
    while (slots_[slot] != 0) slot = (slot + 1) & slotMask_;
    slots_[slot] = static_cast<std::uint32_t>(i + 1);
  }
}

std::uint64_t TokenIndex::hash(const char* token, std::size_t length) {
  constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
  std::uint64_t h = length * kMultiplier;
  if (length >= 8) {
    for (std::size_t i = 0; i + 8 <= length; i += 8) h = (h ^ load64(token + i)) * kMultiplier;
    h = (h ^ load64(token + length - 8)) * kMultiplier;
  } else {
    for (std::size_t i = 0; i < length; ++i)
      h = (h ^ static_cast<unsigned char>(token[i])) * kMultiplier;
  }
  return h;
}

const std::string* TokenIndex::findQualified(const char* token, std::size_t length) const {
  for (std::uint64_t slot = hash(token, length) >> slotShift_;; slot = (slot + 1) & slotMask_) {
    const std::uint32_t entry = slots_[slot];
    if (entry == 0) return nullptr;
    const Symbol& symbol = symbols_[entry - 1];
    if (symbol.token.size() == length && std::memcmp(symbol.token.data(), token, length) == 0) {
      return &symbol.value;
    }
  }
}

const TokenIndex& tokenIndex() {
  static const TokenIndex index(registry(), globalScopeList());
  return index;
}

namespace {

[[maybe_unused]] const bool indexBuilt = buildBeforeMain("symbol index", [] { tokenIndex(); });

}  // namespace
}  // namespace wqnprep
