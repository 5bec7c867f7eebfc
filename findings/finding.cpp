#include "findings/finding.h"

namespace wqnprep {
namespace {

// In the order of FindingKind.
constexpr std::array<std::string_view, kFindingKindCount> kNames{
    "unknown-enumerator", "unknown-type", "unknown-placeholder", "glued-token"};

}  // namespace

std::string_view findingKindName(FindingKind kind) {
  return kNames[static_cast<std::size_t>(kind)];
}

std::optional<FindingKind> findingKindNamed(std::string_view name) {
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    if (kNames[i] == name) return static_cast<FindingKind>(i);
  }
  return std::nullopt;
}

}  // namespace wqnprep
