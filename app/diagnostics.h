// Findings and the run's messages on standard error, in the format --format names: lines that
// compilers, editors and CI systems read, or one document for the whole run.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <utility>

#include "app/finding_format.h"
#include "app/settings.h"
#include "findings/finding.h"
#include "findings/finding_scanner.h"

namespace wqnprep {

// Where findings and messages go on standard error.
class Diagnostics {
 public:
  virtual ~Diagnostics() = default;
  // A finding in `file` (the path as given, or standard input's name).
  virtual void finding(const std::string& file, const char* severity, const Finding& finding) = 0;
  // A message of the run, one line without its line feed: "Error: ...".
  virtual void message(const std::string& line) = 0;
  // Writes the lines gathered so far; a document is written in pieces of its own size.
  virtual void flush() = 0;
  // Writes whatever is left: the end of a document, with the messages it holds.
  virtual void finish() = 0;
};

// Standard error's diagnostics: for the calling thread, those it was redirected to
// (redirectStandardError); else the ones a run over files has set up (DiagnosticsScope), or
// else gcc's lines.
Diagnostics& standardError();

// Sends what the calling thread tells standard error to `diagnostics` instead, or with nullptr
// back to everyone's; what it was sent to before. A thread working on one file of many holds its
// findings and messages back this way, so that they come out in the order of the files.
Diagnostics* redirectStandardError(Diagnostics* diagnostics);

// Sets standard error up in `format` for a run over files, until it goes: standard error then
// holds lines of that format, or exactly one document, which finish() ends and which states that
// the findings' columns count `columns`.
class DiagnosticsScope {
 public:
  DiagnosticsScope(FindingFormat format, ColumnUnit columns);
  ~DiagnosticsScope();
  DiagnosticsScope(const DiagnosticsScope&) = delete;
  DiagnosticsScope& operator=(const DiagnosticsScope&) = delete;

  void finish() { diagnostics_->finish(); }

 private:
  std::unique_ptr<Diagnostics> diagnostics_;
};

// Hands the findings of one file to standard error's diagnostics, counting them. What is gathered
// is written at the latest when the printer goes, also when an error ends the run.
class FindingPrinter {
 public:
  FindingPrinter(std::string file, const char* severity)
      : diagnostics_(standardError()), file_(std::move(file)), severity_(severity) {}
  ~FindingPrinter() { flush(); }
  FindingPrinter(const FindingPrinter&) = delete;
  FindingPrinter& operator=(const FindingPrinter&) = delete;

  void print(const Finding& finding) {
    ++count_;
    diagnostics_.finding(file_, severity_, finding);
  }
  void flush() { diagnostics_.flush(); }
  std::size_t count() const { return count_; }

 private:
  Diagnostics& diagnostics_;  // those in effect when the printer was made
  std::string file_;
  const char* severity_;  // "error" or "warning"
  std::size_t count_ = 0;
};

// The findings pass over one input and the printer it reports to, as every kind of run sets them
// up: `auto [printer, findings] = PrintedFindings(name, "error", settings);` (the kinds reported
// and the column unit are the settings'). It is made in place and never copied or moved, as the
// scanner's handler points at the printer beside it.
struct PrintedFindings {
  PrintedFindings(const std::string& file, const char* severity, const Settings& settings)
      : printer(file, severity),
        scanner([this](const Finding& finding) { printer.print(finding); }, settings.kinds,
                settings.columnUnit) {}
  PrintedFindings(const PrintedFindings&) = delete;
  PrintedFindings& operator=(const PrintedFindings&) = delete;

  FindingPrinter printer;
  FindingScanner scanner;
};

}  // namespace wqnprep
