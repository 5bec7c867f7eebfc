#include "lsp/document_findings.h"

#include "findings/finding_scanner.h"
#include "text/word_chars.h"

namespace wqnprep::lsp {
namespace {

bool isNameByte(char byte) {
  return hasClass(byte, kNameByte);
}

std::size_t nameEndFrom(std::string_view line, std::size_t at) {
  while (at < line.size() && isNameByte(line[at])) ++at;
  return at;
}

// Where a finding that starts at `start` lies in its line: its first word, what joins it to a
// name after it ("::", ":", ".", "::" with blanks on one side), and that name.
struct Extent {
  std::size_t start = 0;
  std::size_t wordEnd = 0;
  std::size_t nameStart = 0;  // wordEnd when nothing is joined
  std::size_t end = 0;
};

Extent extentAt(std::string_view line, std::size_t start, FindingKind kind) {
  Extent extent{start, nameEndFrom(line, start), 0, 0};
  if (kind == FindingKind::kUnknownSuppression) {  // a kind's name in a comment: hyphens too
    while (extent.wordEnd < line.size() &&
           (isNameByte(line[extent.wordEnd]) || line[extent.wordEnd] == '-'))
      ++extent.wordEnd;
  }
  std::size_t name = extent.wordEnd;
  const auto blanksFrom = [&](std::size_t at) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    return at;
  };
  if (kind != FindingKind::kUnknownSuppression) {
    if (const std::size_t after = blanksFrom(name); line.substr(after, 2) == "::") {
      name = after + 2;
      if (after == extent.wordEnd) name = blanksFrom(name);
    } else if (name < line.size() && (line[name] == ':' || line[name] == '.')) {
      ++name;
    }
  }
  const std::size_t end = nameEndFrom(line, name);
  extent.nameStart = end > name ? name : extent.wordEnd;
  extent.end = end > name ? end : extent.wordEnd;
  return extent;
}

}  // namespace

std::string suppressionComment(FindingKind kind) {
  return "-- wqnprep-ignore-next-line: " + std::string(findingKindName(kind));
}

std::vector<DocumentFinding> findingsIn(const TextDocument& document, const FindingKinds& kinds) {
  std::vector<Finding> findings;
  FindingScanner scanner([&](const Finding& finding) { findings.push_back(finding); }, kinds,
                         ColumnUnit::kUtf16);
  scanner.scan(document.text().data(), document.text().size());
  scanner.finish();
  std::vector<DocumentFinding> placed;
  placed.reserve(findings.size());
  for (Finding& finding : findings) {
    const std::uint64_t lineNumber = finding.line - 1;
    const std::string_view line = document.line(lineNumber);
    const auto lineStart = static_cast<std::size_t>(line.data() - document.text().data());
    const std::size_t start = document.offsetOf({lineNumber, finding.column - 1}) - lineStart;
    const Extent extent = extentAt(line, start, finding.kind);
    const auto at = [&](std::size_t offset) { return document.positionAt(lineNumber, offset); };
    DocumentFinding entry{std::move(finding), {at(extent.start), at(extent.end)}, {}};
    const std::string& suggestion = entry.finding.suggestion;
    if (suggestion.find("::") != std::string::npos) {
      entry.edit = {entry.range, suggestion};
    } else if (!suggestion.empty() && entry.finding.kind == FindingKind::kUnknownEnumerator) {
      entry.edit = {{at(extent.nameStart), at(extent.end)}, suggestion};
    } else if (!suggestion.empty()) {
      entry.edit = {{at(extent.start), at(extent.wordEnd)}, suggestion};
    } else {
      const std::size_t indent = line.find_first_not_of(" \t");
      const std::string_view indentation = line.substr(0, std::min(indent, line.size()));
      entry.edit = {{{lineNumber, 0}, {lineNumber, 0}},
                    std::string(indentation) + suppressionComment(entry.finding.kind) + "\n"};
    }
    placed.push_back(std::move(entry));
  }
  return placed;
}

}  // namespace wqnprep::lsp
