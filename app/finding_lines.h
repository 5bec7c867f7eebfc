// Findings as lines of text, one a finding, in the formats compilers, editors and CI systems read.
#pragma once

#include <string>
#include <string_view>

#include "app/finding_format.h"
#include "findings/finding.h"

namespace wqnprep {

// The lines of the findings in one file, in a text format (gcc, msvc or github).
class FindingLines {
 public:
  // `file` is the path as given, or standard input's name.
  FindingLines(FindingFormat format, std::string_view file);

  // Appends the line of `finding`, without a line feed:
  //   gcc     FILE:LINE:COLUMN: SEVERITY: MESSAGE [KIND]
  //   msvc    FILE(LINE,COLUMN): SEVERITY KIND: MESSAGE
  //   github  ::SEVERITY file=FILE,line=LINE,col=COLUMN,title=KIND::MESSAGE
  // gcc and msvc show FILE as messages do, in the shell's quoting when it holds a control
  // character; github has escapes of its own for them, and for the ',' and ':' that would end a
  // value.
  void append(std::string& text, std::string_view severity, const Finding& finding) const;

  const std::string& file() const { return file_; }

 private:
  FindingFormat format_;
  std::string file_;  // as the format shows it
};

}  // namespace wqnprep
