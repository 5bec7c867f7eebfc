// What a command line asks for, decided once from it and handed to the run it names: the run
// functions read their options here, not from the command line or a list of parameters.
#pragma once

#include <string>
#include <variant>
#include <vector>

#include "app/command_line.h"
#include "app/finding_format.h"
#include "findings/finding.h"

namespace wqnprep {

// What a run does with its findings.
enum class OnFinding { pass, warn, fail };

// Which of its forms the program runs.
enum class Action {
  kShowHelp,
  kShowVersion,
  kListSymbols,
  kShowUsage,
  kServeLanguage,
  kCheck,
  kPreprocessIntoFolder,
  kPreprocess
};

struct Settings {
  std::string program;  // the name the program was started by, for messages: "wqnprep"
  Action action = Action::kShowUsage;
  std::vector<std::string> paths;             // the paths as given, in order
  std::string outputFolder;                   // of --output-dir
  std::string standardInputName = "<stdin>";  // of --stdin-filename
  // The endings of the file names taken from a folder given to --check or -d, each with its dot.
  std::vector<std::string> extensions{".sql"};  // of --extension
  OnFinding onFinding = OnFinding::pass;
  FindingKinds kinds = kAllFindingKinds;              // those reported
  FindingFormat findingFormat = FindingFormat::kGcc;  // of --format
  // What the column of a finding counts: every report of findings, in any format, uses this.
  ColumnUnit columnUnit = ColumnUnit::kDisplay;
  // How many files --check and -d work on at once: 0 for one per processor.
  unsigned jobs = 0;  // of --jobs
};

// A command line that cannot be run: the two lines for standard error, as GNU tools word them,
// without the final line feed ("NAME: REASON", "Try 'NAME --help' for more information.").
struct WrongCommandLine {
  std::string message;
};

// The settings of `commandLine`, whose program was started as `programPath`, or why the command
// line is wrong.
std::variant<Settings, WrongCommandLine> settingsFrom(const CommandLine& commandLine,
                                                      const std::string& programPath);

}  // namespace wqnprep
