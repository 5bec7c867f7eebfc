// Findings on standard error, in the format compilers and editors understand.
#pragma once

#include <cstddef>
#include <string>

#include "text/quoted_name.h"

#include "app/settings.h"
#include "findings/finding.h"
#include "findings/finding_scanner.h"

namespace wqnprep {

// Writes findings to standard error as "FILE:LINE:COLUMN: SEVERITY: MESSAGE [KIND]", gathered
// into writes of some kilobytes: a write for each of thousands of findings would cost more than
// finding them. What is gathered is written at the
// latest when the printer goes, also when an error ends the run.
class FindingPrinter {
 public:
  FindingPrinter(const std::string& file, const char* severity)
      : file_(printableName(file)), severity_(std::string(": ") + severity + ": ") {}
  ~FindingPrinter() { flush(); }
  FindingPrinter(const FindingPrinter&) = delete;
  FindingPrinter& operator=(const FindingPrinter&) = delete;

  void print(const Finding& finding);
  void flush();
  std::size_t count() const { return count_; }

 private:
  std::string file_;
  std::string severity_;  // ": warning: ", what comes between column and message
  std::string gathered_;
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
