#include "app/finding_documents.h"

#include <array>
#include <cstddef>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "os/file.h"

#ifndef WQNPREP_VERSION
#error "WQNPREP_VERSION must be defined by the build"
#endif
#ifndef WQNPREP_HOMEPAGE
#error "WQNPREP_HOMEPAGE must be defined by the build"
#endif

namespace wqnprep {
namespace {

// Keys in the order they are given, so that each finding reads in the order of its line.
using Json = nlohmann::ordered_json;

// Paths and messages hold the input's bytes, which need not be UTF-8: a byte that is not becomes
// U+FFFD rather than ending the run.
std::string dumped(const Json& value) {
  return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

Json sarifDriver() {
  Json rules = Json::array();
  for (const FindingKindInfo& kind : kFindingKindList) {
    rules.push_back({{"id", kind.name}, {"shortDescription", {{"text", kind.description}}}});
  }
  return {{"name", "wqnprep"},
          {"version", WQNPREP_VERSION},
          {"informationUri", WQNPREP_HOMEPAGE},
          {"rules", rules}};
}

// The whole document without its findings, which go into its empty array (JSON's `findings`,
// SARIF's `results`).
Json frame(FindingFormat format, ColumnUnit columns, const std::vector<std::string>& messages) {
  if (format == FindingFormat::kJson) {
    return {
        {"columnUnit", columnUnitName(columns)}, {"findings", Json::array()}, {"errors", messages}};
  }
  Json invocation = {{"executionSuccessful", messages.empty()}};
  if (!messages.empty()) {
    Json notifications = Json::array();
    for (const std::string& message : messages) {
      notifications.push_back({{"level", "error"}, {"message", {{"text", message}}}});
    }
    invocation["toolExecutionNotifications"] = notifications;
  }
  const Json run = {{"tool", {{"driver", sarifDriver()}}},
                    {"columnKind", "unicodeCodePoints"},
                    {"results", Json::array()},
                    {"invocations", Json::array({invocation})}};
  return {{"$schema", "https://json.schemastore.org/sarif-2.1.0.json"},
          {"version", "2.1.0"},
          {"runs", Json::array({run})}};
}

// The frame's text before and after the items of its array of findings.
std::array<std::string, 2> cutFrame(FindingFormat format, ColumnUnit columns,
                                    const std::vector<std::string>& messages) {
  const std::string text = dumped(frame(format, columns, messages));
  const std::string empty = format == FindingFormat::kJson ? "\"findings\":[]" : "\"results\":[]";
  const std::size_t at = text.find(empty);
  if (at == std::string::npos) throw std::logic_error("a findings document lost its findings");
  const std::size_t items = at + empty.size() - 1;
  return {text.substr(0, items), text.substr(items)};
}

bool keptInUri(unsigned char c, bool absolute) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~' || c == '/' || (absolute && c == ':');
}

}  // namespace

FindingDocument::FindingDocument(FindingFormat format, ColumnUnit columns)
    : format_(format), columns_(columns), start_(cutFrame(format, columns, {})[0]) {}

void FindingDocument::append(std::string& text, std::size_t count, std::string_view file,
                             std::string_view severity, const Finding& finding) const {
  text += count == 0 ? "\n" : ",\n";
  const std::string_view kind = findingKindName(finding.kind);
  if (format_ == FindingFormat::kJson) {
    text +=
        dumped({{"path", file},
                {"line", finding.line},
                {"column", finding.column},
                {"kind", kind},
                {"severity", severity},
                {"message", finding.message},
                {"suggestion", finding.suggestion.empty() ? Json() : Json(finding.suggestion)}});
    return;
  }
  const Json location = {
      {"physicalLocation",
       {{"artifactLocation", {{"uri", uriOf(std::string(file))}}},
        {"region", {{"startLine", finding.line}, {"startColumn", finding.column}}}}}};
  text += dumped({{"ruleId", kind},
                  {"ruleIndex", static_cast<std::size_t>(finding.kind)},
                  {"level", severity},
                  {"message", {{"text", finding.message}}},
                  {"locations", Json::array({location})}});
}

std::string FindingDocument::end(std::size_t count,
                                 const std::vector<std::string>& messages) const {
  return (count == 0 ? "" : "\n") + cutFrame(format_, columns_, messages)[1] + "\n";
}

std::string uriOf(const std::string& path) {
  const std::string slashed = os::uriPathOf(path);
  const bool absolute = slashed.starts_with('/');
  std::string uri = slashed.starts_with("//") ? "file:" : absolute ? "file://" : "";
  for (const char c : slashed) {
    const auto byte = static_cast<unsigned char>(c);
    if (keptInUri(byte, absolute)) {
      uri += c;
    } else {
      constexpr std::string_view kHex = "0123456789ABCDEF";
      uri += '%';
      uri += kHex[byte >> 4];
      uri += kHex[byte & 0xf];
    }
  }
  return uri;
}

}  // namespace wqnprep
