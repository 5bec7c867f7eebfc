// What the findings pass reports: one suspicious spot in the input, of one kind.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace wqnprep {

enum class FindingKind : std::uint8_t {
  kUnknownEnumerator,   // a known type, "::", a name that type does not have; or a known
                        // type and one of its rows joined by ":" or by "::" and blanks
  kUnknownType,         // "WORD::NAME" where WORD is a misspelt type name
  kUnknownPlaceholder,  // a misspelt global scope placeholder
  kGluedToken,          // a token replaced although it is part of a longer name
};
inline constexpr std::size_t kFindingKindCount = 4;

// The name a kind has on the command line and at the end of a report, e.g. "glued-token".
std::string_view findingKindName(FindingKind kind);
std::optional<FindingKind> findingKindNamed(std::string_view name);

// Which kinds are reported.
using FindingKinds = std::array<bool, kFindingKindCount>;
inline constexpr FindingKinds kAllFindingKinds{true, true, true, true};

struct Finding {
  FindingKind kind;
  std::uint64_t line;    // of the finding's first byte, counted from 1
  std::uint64_t column;  // in bytes, counted from 1
  std::string message;   // e.g. "unknown type 'X'; did you mean 'Y'?"
};

}  // namespace wqnprep
