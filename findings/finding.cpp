#include "findings/finding.h"

#include <algorithm>

namespace wqnprep {
namespace {

// A name is typed after --ignore= and read back from the end of a report: a word of lower-case
// letters and hyphens that no other kind has.
constexpr bool wellFormedKindName(std::string_view name) {
  return !name.empty() && name.front() != '-' && name.back() != '-' &&
         std::ranges::all_of(name, [](char c) { return (c >= 'a' && c <= 'z') || c == '-'; });
}

constexpr std::size_t kindsNamed(std::string_view name) {
  return static_cast<std::size_t>(std::ranges::count_if(
      kFindingKindList, [name](const FindingKindInfo& info) { return info.name == name; }));
}

#define WQNPREP_CHECK_FINDING_KIND(kind, name, description)                                    \
  static_assert(wellFormedKindName(name),                                                      \
                "finding kind " #kind " needs a name of lower-case letters and hyphens");      \
  static_assert(kindsNamed(name) == 1, "finding kind " #kind " has the name of another kind"); \
  static_assert(!std::string_view(description).empty(),                                        \
                "finding kind " #kind " needs a one-line description");
WQNPREP_FINDING_KINDS(WQNPREP_CHECK_FINDING_KIND)
#undef WQNPREP_CHECK_FINDING_KIND

}  // namespace

std::string_view findingKindName(FindingKind kind) {
  return kFindingKindList[static_cast<std::size_t>(kind)].name;
}

std::optional<FindingKind> findingKindNamed(std::string_view name) {
  for (const FindingKindInfo& info : kFindingKindList) {
    if (info.name == name) return info.kind;
  }
  return std::nullopt;
}

std::string_view columnUnitName(ColumnUnit unit) {
  switch (unit) {
    case ColumnUnit::kDisplay:
      return "display";
    case ColumnUnit::kByte:
      return "byte";
    case ColumnUnit::kCodePoint:
      return "codepoint";
    case ColumnUnit::kUtf16:
      return "utf16";
  }
  return {};
}

std::optional<ColumnUnit> columnUnitNamed(std::string_view name) {
  for (ColumnUnit unit : {ColumnUnit::kDisplay, ColumnUnit::kByte}) {
    if (columnUnitName(unit) == name) return unit;
  }
  return std::nullopt;
}

}  // namespace wqnprep
