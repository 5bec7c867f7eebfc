// Every symbol, prepared once for lookups by the streaming substituter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "symbols/symbol_table.h"

namespace wqnprep {

class TokenIndex {
 public:
  TokenIndex(const Registry& typed, const std::vector<SymbolEntry>& placeholders);

  // The value of the qualified token spelled by the `length` bytes at `token`, or nullptr.
  const std::string* findQualified(const char* token, std::size_t length) const;

  // The type whose name would end right before `end`, or kNoType: the type is told by the last
  // eight bytes alone (no two types share them); findQualified checks the rest.
  // Looks no further back than `begin`.
  static constexpr std::size_t kNoType = SIZE_MAX;
  std::size_t typeEndingAt(const char* end, const char* begin) const;
  const std::string& typeName(std::size_t type) const { return types_[type].name; }

  // a placeholder, searched by its bare name through the two bytes at `probe`: the pair of
  // the name least common in qualified tokens, so that typed tokens rarely look like a start.
  struct Placeholder {
    std::string name;
    std::string value;
    std::size_t probe;
  };
  const std::vector<Placeholder>& placeholders() const { return placeholders_; }
  std::size_t maxProbe() const { return maxProbe_; }

  std::size_t maxTypeNameLength() const { return maxTypeNameLength_; }
  // The longest token of all, typed or placeholder.
  std::size_t maxTokenLength() const { return maxTokenLength_; }
  // No replacement makes the text longer than this factor.
  std::size_t maxGrowth() const { return maxGrowth_; }

 private:
  struct Symbol {
    std::size_t length;  // of its qualified token
    std::string value;
  };

  struct TypeName {
    std::string name;
    std::uint64_t lastWord;  // its last eight bytes, to rule most names out at once
  };

  static std::uint64_t hash(const char* token, std::size_t length);

 public:
  // Whether the `length` bytes at `a` and `b` are the same.
  static bool sameBytes(const char* a, const char* b, std::size_t length);

 private:
  std::vector<TypeName> types_;
  std::vector<Symbol> symbols_;
  // A hash table slot holds what rules most tokens out without leaving the slot: the hash's
  // low half and the length. The bytes of every token lie in one block, kTokenStride apart.
  struct Slot {
    std::uint32_t hashTag = 0;
    std::uint16_t length = 0;  // 0 for an empty slot
    std::uint16_t symbol = 0;
  };
  static constexpr std::size_t kTokenStride = 128;
  std::vector<Slot> slots_;
  std::unique_ptr<char[]> tokenBytes_;
  std::uint64_t slotMask_ = 0;
  int slotShift_ = 64;  // the hash's top bits pick the slot
  std::vector<Placeholder> placeholders_;
  std::size_t maxProbe_ = 0;
  std::size_t maxTypeNameLength_ = 0;
  std::size_t maxTokenLength_ = 0;
  std::size_t maxGrowth_ = 1;
};

// A token found in a text, and the value that replaces it; all null when none was found.
struct TokenMatch {
  const char* begin = nullptr;
  const char* end = nullptr;
  const std::string* value = nullptr;
};

// The index over the compiled-in tables, built before main.
const TokenIndex& tokenIndex();

}  // namespace wqnprep
