#include "app/diagnostics.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <string_view>

#include "os/file.h"

namespace wqnprep {

namespace {

void appendNumber(std::string& text, std::uint64_t number) {
  std::array<char, 24> digits{};
  const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), number);
  text.append(digits.data(), result.ptr);
}

void appendFinding(std::string& text, std::string_view file, std::string_view severity,
                   const Finding& finding) {
  text += file;
  text += ':';
  appendNumber(text, finding.line);
  text += ':';
  appendNumber(text, finding.column);
  text += severity;
  text += finding.message;
  text += " [";
  text += findingKindName(finding.kind);
  text += ']';
}

}  // namespace

void FindingPrinter::print(const Finding& finding) {
  ++count_;
  appendFinding(gathered_, file_, severity_, finding);
  gathered_ += '\n';
  if (gathered_.size() >= std::size_t{32} * 1024) flush();
}

// Nothing is left to tell if the write fails; the exit status still does.
void FindingPrinter::flush() {
  if (gathered_.empty()) return;
  (void)os::writeText(os::StandardStream::error, gathered_);
  gathered_.clear();
}

}  // namespace wqnprep
