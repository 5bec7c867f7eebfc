#include "app/diagnostics.h"

#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "app/finding_documents.h"
#include "app/finding_lines.h"

#include "os/file.h"

namespace wqnprep {
namespace {

// Findings are gathered into writes of some kilobytes: a write for each of thousands of findings
// would cost more than finding them.
constexpr std::size_t kGathered = std::size_t{32} * 1024;

// Nothing is left to tell if the write fails; the exit status still does.
void write(std::string_view text) {
  if (!text.empty()) (void)os::writeText(os::StandardStream::error, text);
}

// gcc, msvc and github: a line a finding, the messages between them in the order they come.
class FindingLineOutput final : public Diagnostics {
 public:
  explicit FindingLineOutput(FindingFormat format) : format_(format) {}
  ~FindingLineOutput() override { flush(); }
  FindingLineOutput(const FindingLineOutput&) = delete;
  FindingLineOutput& operator=(const FindingLineOutput&) = delete;

  void finding(const std::string& file, const char* severity, const Finding& finding) override {
    if (!lines_ || file != file_) {
      lines_.emplace(format_, file);
      file_ = file;
    }
    lines_->append(gathered_, severity, finding);
    gathered_ += '\n';
    if (gathered_.size() >= kGathered) flush();
  }
  void message(const std::string& line) override {
    flush();
    write(line + '\n');
  }
  void flush() override {
    write(gathered_);
    gathered_.clear();
  }
  void finish() override { flush(); }

 private:
  FindingFormat format_;
  std::string file_;                   // of the findings last written
  std::optional<FindingLines> lines_;  // for that file
  std::string gathered_;
};

// json and sarif: one document, whose messages come at its end.
class FindingDocumentOutput final : public Diagnostics {
 public:
  FindingDocumentOutput(FindingFormat format, ColumnUnit columns)
      : document_(format, columns), gathered_(document_.start()) {}

  void finding(const std::string& file, const char* severity, const Finding& finding) override {
    document_.append(gathered_, count_++, file, severity, finding);
    if (gathered_.size() >= kGathered) {
      write(gathered_);
      gathered_.clear();
    }
  }
  void message(const std::string& line) override { messages_.push_back(line); }
  void flush() override {}
  void finish() override {
    gathered_ += document_.end(count_, messages_);
    write(gathered_);
    gathered_.clear();
  }

 private:
  FindingDocument document_;
  std::string gathered_;
  std::size_t count_ = 0;
  std::vector<std::string> messages_;
};

Diagnostics* scoped = nullptr;
thread_local Diagnostics* redirected = nullptr;

}  // namespace

Diagnostics& standardError() {
  if (redirected != nullptr) return *redirected;
  if (scoped != nullptr) return *scoped;
  static FindingLineOutput gcc(FindingFormat::kGcc);
  return gcc;
}

Diagnostics* redirectStandardError(Diagnostics* diagnostics) {
  return std::exchange(redirected, diagnostics);
}

DiagnosticsScope::DiagnosticsScope(FindingFormat format, ColumnUnit columns) {
  if (isDocumentFormat(format)) {
    diagnostics_ = std::make_unique<FindingDocumentOutput>(format, columns);
  } else {
    diagnostics_ = std::make_unique<FindingLineOutput>(format);
  }
  scoped = diagnostics_.get();
}

DiagnosticsScope::~DiagnosticsScope() {
  scoped = nullptr;
}

}  // namespace wqnprep
