// Which symbol a misspelt name means, when one is clearly the one meant. A suggestion that could
// name the wrong row (GENERALREAD for GENERALWRITE) is worse than none, so each rule below
// names a row only when nothing else is as close.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "symbols/symbol_table.h"

namespace wqnprep {

class Suggester {
 public:
  Suggester(const Registry& tables, const std::vector<SymbolEntry>& placeholders);

  // The row of table `type` that `name` (not one of its rows) means, or "": the row equal to it
  // without regard to case; else the row it equals once the type's row prefix is put in front;
  // else the row within two edits (a swap of neighbours is one) when no other row is as close,
  // unless a word of it, between underscores, is the opposite of the name's (GET_x for SET_x).
  // Remembers its answers, so a name seen again costs a look-up.
  const std::string& rowFor(std::size_t type, std::string_view name);

  // The type `word` (not a type name) means: equal to it without regard to case, or the only
  // one within two edits.
  std::optional<std::size_t> typeFor(std::string_view word) const;

  // Whether `name` reads as a row of `type`: it begins with the prefix all of its rows have
  // (up to an underscore, "OPID_", or of at least three letters before a capital, "nst"), or
  // rowFor finds one.
  bool readsAsRowOf(std::size_t type, std::string_view name);

  // The one type that has a row named exactly `name`.
  std::optional<std::size_t> typeWithRow(std::string_view name) const;

  // The placeholder `word` (not one of them) means: equal to it without regard to case, or
  // within two edits.
  const std::string* placeholderFor(std::string_view word) const;
  std::size_t shortestPlaceholder() const { return shortestPlaceholder_; }
  std::size_t longestPlaceholder() const { return longestPlaceholder_; }

  // The placeholder `run` writes in upper snake case, its words cut where the case changes
  // (WQN_GLOBAL_SCOPE_GUID for WQNGlobalScopeGUID), or nullptr.
  const std::string* placeholderInSnakeCase(std::string_view run) const;
  std::size_t longestSnakeCase() const { return longestSnakeCase_; }

  // Within how many edits a suggestion may be.
  static constexpr std::size_t kMaxEdits = 2;

 private:
  // How often each byte occurs, folded into 32 counts: half the difference of two such counts
  // is never more than the edit distance of their names, so most rows are ruled out unseen.
  using Letters = std::array<std::uint8_t, 32>;
  static Letters lettersOf(std::string_view name);
  static void countLetters(Letters& letters, std::string_view name);
  static std::size_t fewestEdits(const Letters& a, const Letters& b);

  struct Type {
    std::string name;
    std::string shared;                 // the beginning all rows share
    std::string prefix;                 // `shared` up to its last underscore
    std::string leading;                // `prefix`, or a lowerCamel one: "OPID_", "obj"
    std::vector<std::string> byLength;  // row names, shortest first
    std::vector<Letters> letters;       // of each row in byLength
    Letters prefixLetters{};            // of `prefix`
    // The index in byLength of the first row at least as long as the index.
    std::vector<std::size_t> firstOfLength;
  };
  // Rows of a given length, from the sorted list.
  static std::pair<std::size_t, std::size_t> lengthRange(const Type& type, std::size_t shortest,
                                                         std::size_t longest);
  static const std::string* closestRow(const Type& type, std::string_view name);

  std::vector<Type> types_;
  std::unordered_map<std::string, std::size_t> rowOwner_;  // kAmbiguous when several types
  std::vector<std::string> placeholders_;
  std::vector<Letters> placeholderLetters_;  // of each of placeholders_
  std::vector<std::string> snakeCase_;       // of each of placeholders_
  std::size_t longestSnakeCase_ = 0;
  std::size_t shortestPlaceholder_ = SIZE_MAX;
  std::size_t longestPlaceholder_ = 0;
  // Answers of rowFor, in a table of fixed size where a name has one place: a look-up costs a
  // hash and a comparison, and a new answer reuses the place of an old one without allocating.
  struct Remembered {
    std::size_t type = SIZE_MAX;
    std::string name;
    const std::string* row = nullptr;
  };
  std::vector<Remembered> remembered_;
};

}  // namespace wqnprep
