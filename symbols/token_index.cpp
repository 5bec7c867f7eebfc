#include "symbols/token_index.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string_view>

#include "symbols/build_before_main.h"
#include "symbols/tables.h"

namespace wqnprep {
namespace {

std::uint64_t load64(const char* bytes) {
  std::uint64_t word = 0;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

template <typename Symbols>
std::size_t rarestPairOffset(const std::string& name, const Symbols& typed) {
  std::size_t best = 0;
  std::size_t bestCount = SIZE_MAX;
  for (std::size_t offset = 0; offset + 2 <= name.size(); ++offset) {
    const std::string pair = name.substr(offset, 2);
    std::size_t count = 0;
    for (const auto& symbol : typed) {
      for (auto at = symbol.token.find(pair); at != std::string::npos;
           at = symbol.token.find(pair, at + 1)) {
        ++count;
      }
    }
    if (count < bestCount) best = offset, bestCount = count;
  }
  return best;
}

// typeEndingAt tells a type by the last eight bytes of its name alone. Every type name needs
// eight bytes, and eight final bytes no other type name ends with; the build checks both.
constexpr std::size_t kTypeKeyBytes = 8;

constexpr std::string_view typeKey(std::string_view name) {
  return name.substr(name.size() - std::min(name.size(), kTypeKeyBytes));
}

constexpr std::size_t typeNamesKeyedLike(std::string_view name) {
  return static_cast<std::size_t>(std::ranges::count_if(
      kTypeNames, [name](std::string_view other) { return typeKey(other) == typeKey(name); }));
}

#define WQNPREP_CHECK_TYPE_NAME(type, enumerators)                                               \
  static_assert(sizeof #type - 1 >= kTypeKeyBytes,                                               \
                "type name " #type                                                               \
                " is shorter than eight bytes: TokenIndex::typeEndingAt "                        \
                "tells types apart by the last eight bytes of their names; make it compare "     \
                "shorter names in full before adding this type");                                \
  static_assert(typeNamesKeyedLike(#type) == 1,                                                  \
                "type name " #type                                                               \
                " ends in the same eight bytes as another type name: "                           \
                "TokenIndex::typeEndingAt tells types apart by those bytes alone; make it look " \
                "further back before adding this type");
WQN_ENUMERATIONS(WQNPREP_CHECK_TYPE_NAME)
#undef WQNPREP_CHECK_TYPE_NAME

}  // namespace

TokenIndex::TokenIndex(const Registry& typed, const std::vector<SymbolEntry>& placeholders) {
  for (const SymbolTable* table : typed) {
    const std::string& type = table->typeName;
    if (type.size() < 8) throw std::logic_error("type name shorter than eight bytes: " + type);
    const std::uint64_t lastWord = load64(type.data() + type.size() - 8);
    for (const TypeName& other : types_) {
      if (other.lastWord == lastWord) throw std::logic_error("type names end alike: " + type);
    }
    types_.push_back({type, lastWord});
    maxTypeNameLength_ = std::max(maxTypeNameLength_, type.size());
    for (const SymbolEntry& row : table->rows) {
      symbols_.push_back({qualifiedToken(*table, row), row.value});
    }
  }
  for (const Symbol& symbol : symbols_)
    maxTokenLength_ = std::max(maxTokenLength_, symbol.token.size());
  for (const SymbolEntry& entry : placeholders) {
    if (entry.name.size() < 2) throw std::logic_error("placeholder shorter than two bytes");
    maxTokenLength_ = std::max(maxTokenLength_, entry.name.size());
    placeholders_.push_back({entry.name, entry.value, rarestPairOffset(entry.name, symbols_)});
    maxProbe_ = std::max(maxProbe_, placeholders_.back().probe);
  }

  auto grow = [this](std::size_t token, std::size_t value) {
    if (token > 0) maxGrowth_ = std::max(maxGrowth_, (value + token - 1) / token);
  };
  for (const Symbol& symbol : symbols_) grow(symbol.token.size(), symbol.value.size());
  for (const Placeholder& entry : placeholders_) grow(entry.name.size(), entry.value.size());

  // Open addressing with linear probing, at most a quarter full.
  std::size_t size = 16;
  int bits = 4;
  while (size < 4 * symbols_.size()) size *= 2, ++bits;
  slots_.assign(size, Slot{});
  slotMask_ = size - 1;
  slotShift_ = 64 - bits;
  if (maxTokenLength_ > kTokenStride || symbols_.size() > UINT16_MAX) {
    throw std::logic_error("symbol tables too large for the index");
  }
  tokenBytes_.assign(symbols_.size() * kTokenStride, '\0');
  for (std::size_t i = 0; i < symbols_.size(); ++i) {
    const std::string& token = symbols_[i].token;
    std::copy(token.begin(), token.end(),
              tokenBytes_.begin() + static_cast<std::ptrdiff_t>(i * kTokenStride));
    const std::uint64_t h = hash(token.data(), token.size());
    std::uint64_t slot = h >> slotShift_;
    while (slots_[slot].length != 0) slot = (slot + 1) & slotMask_;
    slots_[slot] = {static_cast<std::uint32_t>(h), static_cast<std::uint16_t>(token.size()),
                    static_cast<std::uint16_t>(i)};
  }
}

// Tokens of one type share long prefixes and suffixes, so every byte takes part. The slot is
// taken from the top bits, which depend on all of them.
std::uint64_t TokenIndex::hash(const char* token, std::size_t length) {
  constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
  std::uint64_t h = length * kMultiplier;
  if (length < 8) {
    for (std::size_t i = 0; i < length; ++i) {
      h = (h ^ static_cast<unsigned char>(token[i])) * kMultiplier;
    }
    return h;
  }
  for (std::size_t i = 0; i + 8 < length; i += 8) h = (h ^ load64(token + i)) * kMultiplier;
  return (h ^ load64(token + length - 8)) * kMultiplier;
}

bool TokenIndex::sameBytes(const char* a, const char* b, std::size_t length) {
  if (length < 8) return std::memcmp(a, b, length) == 0;
  for (std::size_t i = 0; i + 8 < length; i += 8) {
    if (load64(a + i) != load64(b + i)) return false;
  }
  return load64(a + length - 8) == load64(b + length - 8);
}

const std::string* TokenIndex::findQualified(const char* token, std::size_t length) const {
  const std::uint64_t h = hash(token, length);
  const auto tag = static_cast<std::uint32_t>(h);
  for (std::uint64_t slot = h >> slotShift_;; slot = (slot + 1) & slotMask_) {
    const Slot& entry = slots_[slot];
    if (entry.length == 0) return nullptr;
    if (entry.hashTag == tag && entry.length == length &&
        sameBytes(tokenBytes_.data() + entry.symbol * kTokenStride, token, length)) {
      return &symbols_[entry.symbol].value;
    }
  }
}

std::size_t TokenIndex::typeEndingAt(const char* end, const char* begin) const {
  if (end - begin < 8) return kNoType;
  const std::uint64_t lastWord = load64(end - 8);
  for (std::size_t type = 0; type < types_.size(); ++type) {
    if (types_[type].lastWord != lastWord) continue;
    return end - begin >= static_cast<std::ptrdiff_t>(types_[type].name.size()) ? type : kNoType;
  }
  return kNoType;
}

const TokenIndex& tokenIndex() {
  static const TokenIndex index(registry(), globalScopeList());
  return index;
}

namespace {

[[maybe_unused]] const bool indexBuilt = buildBeforeMain("symbol index", [] { tokenIndex(); });

}  // namespace
}  // namespace wqnprep
