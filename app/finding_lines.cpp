#include "app/finding_lines.h"

#include <array>
#include <charconv>
#include <cstdint>

#include "text/quoted_name.h"

namespace wqnprep {
namespace {

void appendNumber(std::string& text, std::uint64_t number) {
  std::array<char, 24> digits{};
  const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), number);
  text.append(digits.data(), result.ptr);
}

// A workflow command's message (`inValue` false) or property value: the bytes GitHub reads as
// the command's own, percent-encoded.
void appendGithubEscaped(std::string& text, std::string_view data, bool inValue) {
  for (const char c : data) {
    if (c == '%') {
      text += "%25";
    } else if (c == '\r') {
      text += "%0D";
    } else if (c == '\n') {
      text += "%0A";
    } else if (inValue && c == ':') {
      text += "%3A";
    } else if (inValue && c == ',') {
      text += "%2C";
    } else {
      text += c;
    }
  }
}

std::string shownFile(FindingFormat format, std::string_view file) {
  if (format != FindingFormat::kGithub) return printableName(file);
  std::string shown;
  appendGithubEscaped(shown, file, true);
  return shown;
}

}  // namespace

FindingLines::FindingLines(FindingFormat format, std::string_view file)
    : format_(format), file_(shownFile(format, file)) {}

void FindingLines::append(std::string& text, std::string_view severity,
                          const Finding& finding) const {
  const std::string_view kind = findingKindName(finding.kind);
  switch (format_) {
    case FindingFormat::kMsvc:
      text += file_;
      text += '(';
      appendNumber(text, finding.line);
      text += ',';
      appendNumber(text, finding.column);
      text += "): ";
      text += severity;
      text += ' ';
      text += kind;
      text += ": ";
      text += finding.message;
      return;
    case FindingFormat::kGithub:
      text += "::";
      text += severity;
      text += " file=";
      text += file_;
      text += ",line=";
      appendNumber(text, finding.line);
      text += ",col=";
      appendNumber(text, finding.column);
      text += ",title=";
      text += kind;
      text += "::";
      appendGithubEscaped(text, finding.message, false);
      return;
    default:  // gcc
      text += file_;
      text += ':';
      appendNumber(text, finding.line);
      text += ':';
      appendNumber(text, finding.column);
      text += ": ";
      text += severity;
      text += ": ";
      text += finding.message;
      text += " [";
      text += kind;
      text += ']';
      return;
  }
}

}  // namespace wqnprep
