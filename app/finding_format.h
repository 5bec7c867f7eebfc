// The formats a run writes its findings in on standard error (--format).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace wqnprep {

// gcc, msvc and github are lines of text, one a finding, with the run's messages between them as
// they come; json and sarif are one document for the whole run, its messages inside.
enum class FindingFormat : std::uint8_t { kGcc, kMsvc, kGithub, kJson, kSarif };

struct FindingFormatName {
  FindingFormat format;
  std::string_view name;  // what --format takes
};

// In the order the --format error lists them.
inline constexpr std::array<FindingFormatName, 5> kFindingFormats{
    {{FindingFormat::kGcc, "gcc"},
     {FindingFormat::kMsvc, "msvc"},
     {FindingFormat::kGithub, "github"},
     {FindingFormat::kJson, "json"},
     {FindingFormat::kSarif, "sarif"}}};

inline std::optional<FindingFormat> findingFormatNamed(std::string_view name) {
  for (const FindingFormatName& entry : kFindingFormats) {
    if (entry.name == name) return entry.format;
  }
  return std::nullopt;
}

// "gcc, msvc, github, json, sarif".
inline std::string findingFormatNames() {
  std::string names;
  for (const FindingFormatName& entry : kFindingFormats) {
    if (!names.empty()) names += ", ";
    names += entry.name;
  }
  return names;
}

inline bool isDocumentFormat(FindingFormat format) {
  return format == FindingFormat::kJson || format == FindingFormat::kSarif;
}

}  // namespace wqnprep
