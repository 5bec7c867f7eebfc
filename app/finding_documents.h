// Findings as one JSON or SARIF 2.1.0 document for a whole run, written as the run goes so that
// the findings need no memory: its start, then each finding on a line of its own, then its end,
// which holds the run's messages ("Error: ...").
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/finding_format.h"
#include "findings/finding.h"

namespace wqnprep {

class FindingDocument {
 public:
  // `format` is json or sarif; `columns` is what the findings' columns count, which a SARIF
  // document can state only for characters (its "unicodeCodePoints").
  FindingDocument(FindingFormat format, ColumnUnit columns);

  // Everything before the first finding.
  const std::string& start() const { return start_; }
  // Appends the finding in `file` (the path as given, or standard input's name), after the
  // `count` findings before it.
  void append(std::string& text, std::size_t count, std::string_view file,
              std::string_view severity, const Finding& finding) const;
  // Everything after the `count` findings, with the run's messages.
  std::string end(std::size_t count, const std::vector<std::string>& messages) const;

 private:
  FindingFormat format_;
  ColumnUnit columns_;
  std::string start_;
};

// `path` as a URI reference, as SARIF names files: a relative path stays relative, an absolute one
// becomes a file: URI, and the bytes a URI cannot hold as they are are percent-encoded.
std::string uriOf(const std::string& path);

}  // namespace wqnprep
