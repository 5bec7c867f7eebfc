// What the findings pass reports: one suspicious spot in the input, of one kind.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// X(ENUMERATOR, NAME, DESCRIPTION) for every kind of finding, in the order --ignore lists them:
// the one list of kinds. The enum, the names, the number of kinds, the set of all of them, the
// list --ignore names and its help are made from it; a test holds the README's and the manual
// page's tables of kinds to it. NAME is what --ignore takes and a report ends with; DESCRIPTION
// says in one line, in the words of those tables, what the kind is reported for.
#define WQNPREP_FINDING_KINDS(X)                                                            \
  X(kUnknownEnumerator, "unknown-enumerator",                                               \
    "a type name standing as a word, \"::\", and a name the type does not have; or a type " \
    "name, a single \":\" or \"::\" and blanks, and one of its rows")                       \
  X(kUnknownType, "unknown-type",                                                           \
    "WORD::NAME where WORD is no type name but one in another case or within two edits of " \
    "one, and NAME reads as a row of it; or where NAME is exactly a row of one type")       \
  X(kUnknownPlaceholder, "unknown-placeholder",                                             \
    "a word that is a placeholder in another case, within two edits of it, or both, or "    \
    "such a run of letters, digits and underscores")                                        \
  X(kGluedToken, "glued-token",                                                             \
    "a token replaced although an underscore joins it to a longer name")                    \
  X(kUnknownSuppression, "unknown-suppression",                                             \
    "a wqnprep-ignore comment that names no kind of finding")

namespace wqnprep {

#define WQNPREP_FINDING_KIND_ENUMERATOR(kind, name, description) kind,
enum class FindingKind : std::uint8_t { WQNPREP_FINDING_KINDS(WQNPREP_FINDING_KIND_ENUMERATOR) };
#undef WQNPREP_FINDING_KIND_ENUMERATOR

struct FindingKindInfo {
  FindingKind kind;
  std::string_view name;
  std::string_view description;
};

// Every kind, in the order of FindingKind.
#define WQNPREP_FINDING_KIND_INFO(kind, name, description) \
  FindingKindInfo{FindingKind::kind, name, description},
inline constexpr std::array kFindingKindList{WQNPREP_FINDING_KINDS(WQNPREP_FINDING_KIND_INFO)};
#undef WQNPREP_FINDING_KIND_INFO
inline constexpr std::size_t kFindingKindCount = kFindingKindList.size();

// The names of every kind, in list order and joined by ", ".
#define WQNPREP_FINDING_KIND_NAME(kind, name, description) ", " name
inline constexpr std::string_view kFindingKindNames =
    std::string_view(WQNPREP_FINDING_KINDS(WQNPREP_FINDING_KIND_NAME)).substr(2);
#undef WQNPREP_FINDING_KIND_NAME

// The name a kind has on the command line and at the end of a report, e.g. "glued-token".
std::string_view findingKindName(FindingKind kind);
std::optional<FindingKind> findingKindNamed(std::string_view name);

// Which kinds are reported.
using FindingKinds = std::array<bool, kFindingKindCount>;
inline constexpr FindingKinds kAllFindingKinds = [] {
  FindingKinds all{};
  all.fill(true);
  return all;
}();

// What a column counts, as GCC's -fdiagnostics-column-unit: display columns, where an editor puts
// the cursor (a tab advances to the next multiple of 8, an East Asian wide character counts 2,
// any other character or invalid UTF-8 byte 1), or bytes; or, for SARIF, which knows no display
// columns, characters (Unicode code points, an invalid UTF-8 byte counting 1); or, for the
// language server, UTF-16 code units, as its editors count positions. A byte-order mark at the
// start of the input is no column in any.
enum class ColumnUnit : std::uint8_t { kDisplay, kByte, kCodePoint, kUtf16 };

// "display", "byte", "codepoint" or "utf16", as a report states it; --column-unit takes the
// first two.
std::string_view columnUnitName(ColumnUnit unit);
std::optional<ColumnUnit> columnUnitNamed(std::string_view name);

struct Finding {
  FindingKind kind;
  std::uint64_t line;    // of the finding's first byte, counted from 1
  std::uint64_t column;  // of the finding's first byte, counted from 1 in the scanner's ColumnUnit
  std::string message;   // e.g. "unknown type 'X'; did you mean 'Y'?"
  // What the message suggests ("Y"), or empty when it suggests nothing.
  std::string suggestion;
};

}  // namespace wqnprep
