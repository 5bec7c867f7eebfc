#include "app/diagnostics.h"

#include <cstdio>

namespace wqnprep {

std::string formatFinding(const std::string& file, const char* severity, const Finding& finding) {
  return file + ":" + std::to_string(finding.line) + ":" + std::to_string(finding.column) + ": " +
         severity + ": " + finding.message + " [" + std::string(findingKindName(finding.kind)) +
         "]";
}

void FindingPrinter::print(const Finding& finding) {
  ++count_;
  gathered_ += formatFinding(file_, severity_, finding);
  gathered_ += '\n';
  if (gathered_.size() >= std::size_t{32} * 1024) flush();
}

// Nothing is left to tell if the write fails; the exit status still does.
void FindingPrinter::flush() {
  if (gathered_.empty()) return;
  (void)std::fwrite(gathered_.data(), 1, gathered_.size(), stderr);
  (void)std::fflush(stderr);
  gathered_.clear();
}

}  // namespace wqnprep
