// The findings of an open document, from the same FindingScanner as --check, placed as the
// protocol places them (UTF-16 ranges) and each with the edit that mends or silences it.
#pragma once

#include <string>
#include <vector>

#include "findings/finding.h"
#include "lsp/text_document.h"

namespace wqnprep::lsp {

struct TextEdit {
  Range range;
  std::string newText;
};

struct DocumentFinding {
  Finding finding;
  Range range;  // the name, or the token, the finding is about
  // The suggestion put in its place when there is one; otherwise a comment on the line before
  // that silences the kind.
  TextEdit edit;
};

std::vector<DocumentFinding> findingsIn(const TextDocument& document, const FindingKinds& kinds);

// The comment that silences `kind` on the line after it.
std::string suppressionComment(FindingKind kind);

}  // namespace wqnprep::lsp
