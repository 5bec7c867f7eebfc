#include "symbols/token_index.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "symbols/build_before_main.h"
#include "symbols/tables.h"

namespace wqnprep {
namespace {

std::uint64_t load64(const char* bytes) {
  std::uint64_t word = 0;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

// The offset of the pair of bytes of `name` that stands least often in `tokens`, counting every
// place, overlapping or not; the first such offset on a tie. Bit o of first[a] & second[b] says
// that the name holds the pair "ab" at offset o, so each place in the tokens costs two lookups
// for up to 64 offsets of the name.
std::size_t rarestPairOffset(std::string_view name, const std::vector<std::string_view>& tokens) {
  const std::size_t pairs = name.size() - 1;
  std::vector<std::size_t> counts(pairs, 0);
  auto byte = [](char c) { return static_cast<unsigned char>(c); };
  for (std::size_t base = 0; base < pairs; base += 64) {
    std::array<std::uint64_t, 256> first{};
    std::array<std::uint64_t, 256> second{};
    for (std::size_t offset = base; offset < std::min(pairs, base + 64); ++offset) {
      first[byte(name[offset])] |= std::uint64_t{1} << (offset - base);
      second[byte(name[offset + 1])] |= std::uint64_t{1} << (offset - base);
    }
    for (const std::string_view token : tokens) {
      for (std::size_t i = 0; i + 1 < token.size(); ++i) {
        for (std::uint64_t at = first[byte(token[i])] & second[byte(token[i + 1])]; at != 0;
             at &= at - 1) {
          ++counts[base + static_cast<std::size_t>(std::countr_zero(at))];
        }
      }
    }
  }
  return static_cast<std::size_t>(std::min_element(counts.begin(), counts.end()) - counts.begin());
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
  std::size_t rows = 0;
  for (const SymbolTable* table : typed) rows += table->rows.size();
  if (rows > UINT16_MAX) throw std::logic_error("symbol tables too large for the index");
  symbols_.reserve(rows);
  // Only the bytes of each token are ever written or read, never the rest of its stride.
  tokenBytes_ = std::make_unique_for_overwrite<char[]>(rows * kTokenStride);
  std::vector<std::string_view> tokens;
  tokens.reserve(rows);
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
      // The qualified token, spelled in place; its length says where it ends, not a zero byte.
      const std::size_t length = type.size() + 2 + row.name.size();
      if (length > kTokenStride) throw std::logic_error("symbol tables too large for the index");
      char* token = tokenBytes_.get() + symbols_.size() * kTokenStride;
      char* end = std::copy_n(type.data(), type.size(), token);
      end = std::copy_n("::", 2, end);
      std::copy_n(row.name.data(), row.name.size(), end);
      tokens.emplace_back(token, length);
      symbols_.push_back({length, row.value});
      maxTokenLength_ = std::max(maxTokenLength_, length);
    }
  }
  for (const SymbolEntry& entry : placeholders) {
    if (entry.name.size() < 2) throw std::logic_error("placeholder shorter than two bytes");
    maxTokenLength_ = std::max(maxTokenLength_, entry.name.size());
    placeholders_.push_back({entry.name, entry.value, rarestPairOffset(entry.name, tokens)});
    maxProbe_ = std::max(maxProbe_, placeholders_.back().probe);
  }

  auto grow = [this](std::size_t token, std::size_t value) {
    if (token > 0) maxGrowth_ = std::max(maxGrowth_, (value + token - 1) / token);
  };
  for (const Symbol& symbol : symbols_) grow(symbol.length, symbol.value.size());
  for (const Placeholder& entry : placeholders_) grow(entry.name.size(), entry.value.size());

  // Open addressing with linear probing, at most a quarter full.
  std::size_t size = 16;
  int bits = 4;
  while (size < 4 * symbols_.size()) size *= 2, ++bits;
  slots_.assign(size, Slot{});
  slotMask_ = size - 1;
  slotShift_ = 64 - bits;
  if (maxTokenLength_ > kTokenStride)
    throw std::logic_error("symbol tables too large for the index");
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const std::uint64_t h = hash(tokens[i].data(), tokens[i].size());
    std::uint64_t slot = h >> slotShift_;
    while (slots_[slot].length != 0) slot = (slot + 1) & slotMask_;
    slots_[slot] = {static_cast<std::uint32_t>(h), static_cast<std::uint16_t>(tokens[i].size()),
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
        sameBytes(tokenBytes_.get() + entry.symbol * kTokenStride, token, length)) {
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
