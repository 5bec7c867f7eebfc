#include "app/settings.h"

#include <optional>
#include <string>
#include <vector>

#include "app/options.h"
#include "app/usage.h"
#include "os/file.h"
#include "text/quoted_name.h"

namespace wqnprep {
namespace {

constexpr OptionIndex kHelp = optionIndex("help");
constexpr OptionIndex kVersion = optionIndex("version");
constexpr OptionIndex kList = optionIndex("list");
constexpr OptionIndex kWarnUnknown = optionIndex("warn-unknown");
constexpr OptionIndex kStrict = optionIndex("strict");
constexpr OptionIndex kIgnore = optionIndex("ignore");
constexpr OptionIndex kColumnUnit = optionIndex("column-unit");
constexpr OptionIndex kCheck = optionIndex("check");
constexpr OptionIndex kOutputDir = optionIndex("output-dir");
constexpr OptionIndex kStdinFilename = optionIndex("stdin-filename");
constexpr OptionIndex kExtension = optionIndex("extension");
constexpr OptionIndex kFormat = optionIndex("format");
constexpr OptionIndex kJobs = optionIndex("jobs");
constexpr OptionIndex kLsp = optionIndex("lsp");

// More threads than this only wait on one another.
constexpr unsigned kMostJobs = 1024;

// The one place that decides which option wins (a mistake in the options comes before all of
// them, and a wrong --ignore or --format right after it): --help, --version and --list, which act
// alone whatever else is given, then --check (any number of files, nothing written), then
// --output-dir (any number of inputs), and only then the run of the two-path form, which needs
// exactly two paths. What --check and --output-dir go with is up to wrongCombination.
Action requestedAction(const CommandLine& commandLine) {
  if (commandLine.has(kHelp)) return Action::kShowHelp;
  if (commandLine.has(kVersion)) return Action::kShowVersion;
  if (commandLine.has(kList)) return Action::kListSymbols;
  if (commandLine.has(kLsp)) return Action::kServeLanguage;
  if (commandLine.has(kCheck)) return Action::kCheck;
  if (commandLine.has(kOutputDir)) return Action::kPreprocessIntoFolder;
  return commandLine.paths.size() == 2 ? Action::kPreprocess : Action::kShowUsage;
}

// One folder however it is spelt ("out", "out/", "./out", a link to it).
bool sameFolder(const std::string& a, const std::string& b) {
  if (a == b) return true;
  os::FileInfo first;
  os::FileInfo second;
  return !os::inspectPath(a, first) && !os::inspectPath(b, second) && first.directory &&
         os::sameFile(first, second);
}

// Why the options of a --check or --output-dir run do not go together, or nothing.
//   --check writes nothing, so an output folder makes no sense with it; it fails on every
//   finding already, and --strict (hold the output back) and --warn-unknown (findings as
//   warnings) would each say something else about the same findings.
//   --output-dir names each output after its input's file name, which "-" does not have; a
//   second, different folder would leave it open where the outputs go.
// Both need at least one file, as they have no usage line to fall back on.
std::optional<std::string> wrongCombination(const CommandLine& commandLine, Action action) {
  if (action == Action::kServeLanguage) {
    // The client names the documents and gets the findings; --ignore is the one option kept.
    if (!commandLine.paths.empty())
      return "--lsp serves standard input and output; it takes no FILE";
    for (const OptionIndex other : {kCheck, kOutputDir, kStrict, kWarnUnknown}) {
      if (commandLine.has(other)) {
        return "--lsp does not go with --" + std::string(kOptions[other.index].name);
      }
    }
  }
  if (action == Action::kCheck) {
    if (commandLine.has(kOutputDir))
      return "--check writes nothing; it does not go with --output-dir";
    if (commandLine.has(kStrict))
      return "--check fails on every finding already; it does not go with --strict";
    if (commandLine.has(kWarnUnknown)) {
      return "--check reports findings as errors; it does not go with --warn-unknown";
    }
    if (commandLine.paths.empty()) return "--check needs at least one FILE";
  }
  if (action == Action::kPreprocessIntoFolder) {
    const std::vector<std::string>& folders = commandLine.values(kOutputDir);
    for (const std::string& folder : folders) {
      if (!sameFolder(folder, folders.front())) {
        return "two output folders given, " + quotedName(folders.front()) + " and " +
               quotedName(folder);
      }
    }
    if (commandLine.paths.empty()) return "--output-dir needs at least one INPUT";
    for (const std::string& path : commandLine.paths) {
      if (path == "-") {
        return "--output-dir names each output after its input; '-' (standard input) has no "
               "name";
      }
    }
  }
  return std::nullopt;
}

OnFinding onFindingOf(const CommandLine& commandLine) {
  return commandLine.has(kStrict)        ? OnFinding::fail
         : commandLine.has(kWarnUnknown) ? OnFinding::warn
                                         : OnFinding::pass;
}

// Leaves out of `kinds` every kind named by --ignore; when a name is no kind, why the command
// line is wrong.
std::optional<std::string> ignoreKinds(const std::vector<std::string>& names, FindingKinds& kinds) {
  for (const std::string& name : names) {
    const std::optional<FindingKind> kind = findingKindNamed(name);
    if (!kind) {
      return "--ignore=" + name + ": no such kind; the kinds are " + std::string(kFindingKindNames);
    }
    kinds[static_cast<std::size_t>(*kind)] = false;
  }
  return std::nullopt;
}

// The extensions of --extension, each with its leading dot ("sql" is ".sql"), in place of the
// default; when one is empty, why the command line is wrong: an empty one would take every file.
std::optional<std::string> extensionsOf(const std::vector<std::string>& values,
                                        std::vector<std::string>& extensions) {
  if (values.empty()) return std::nullopt;
  extensions.clear();
  for (const std::string& value : values) {
    const std::string extension = value.starts_with('.') ? value : '.' + value;
    if (extension == ".") {
      return "--extension=" + value + ": no extension; give one such as --extension=.sql";
    }
    extensions.push_back(extension);
  }
  return std::nullopt;
}

// The format the last --format names; when a name is no format, why the command line is wrong.
std::optional<std::string> findingFormatOf(const std::vector<std::string>& names,
                                           FindingFormat& format) {
  for (const std::string& name : names) {
    const std::optional<FindingFormat> named = findingFormatNamed(name);
    if (!named) {
      return "--format=" + name + ": no such format; the formats are " + findingFormatNames();
    }
    format = *named;
  }
  return std::nullopt;
}

// The unit the last --column-unit names; when it names none, why the command line is wrong.
std::optional<std::string> columnUnitOf(const std::vector<std::string>& names, ColumnUnit& unit) {
  if (names.empty()) return std::nullopt;
  const std::optional<ColumnUnit> named = columnUnitNamed(names.back());
  if (!named)
    return "--column-unit=" + names.back() + ": no such unit; the units are display, byte";
  unit = *named;
  return std::nullopt;
}

// The number the last --jobs gives; when it is no whole number up to kMostJobs, why the command
// line is wrong.
std::optional<std::string> jobsOf(const std::vector<std::string>& values, unsigned& jobs) {
  if (values.empty()) return std::nullopt;
  const std::string& value = values.back();
  unsigned number = 0;
  bool valid = !value.empty() && value.size() <= 4;
  for (const char c : value) {
    valid = valid && c >= '0' && c <= '9';
    if (valid) number = number * 10 + static_cast<unsigned>(c - '0');
  }
  if (!valid || number > kMostJobs) {
    return "--jobs=" + value + ": not a number of jobs; give 0 (one per processor) to " +
           std::to_string(kMostJobs);
  }
  jobs = number;
  return std::nullopt;
}

}  // namespace

std::variant<Settings, WrongCommandLine> settingsFrom(const CommandLine& commandLine,
                                                      const std::string& programPath) {
  Settings settings;
  settings.program = programName(programPath);
  if (commandLine.mistake)
    return WrongCommandLine{describeMistake(settings.program, *commandLine.mistake)};
  settings.action = requestedAction(commandLine);
  // A wrong value of --ignore, --extension, --column-unit, --format or --jobs is a wrong command
  // line too, and so comes before whatever the other options ask for.
  std::optional<std::string> reason = ignoreKinds(commandLine.values(kIgnore), settings.kinds);
  if (!reason) reason = extensionsOf(commandLine.values(kExtension), settings.extensions);
  if (!reason) reason = columnUnitOf(commandLine.values(kColumnUnit), settings.columnUnit);
  if (!reason) reason = findingFormatOf(commandLine.values(kFormat), settings.findingFormat);
  if (!reason) reason = jobsOf(commandLine.values(kJobs), settings.jobs);
  if (!reason && settings.findingFormat == FindingFormat::kSarif) {
    // SARIF states columns only in characters (or UTF-16 units), not as --column-unit counts.
    if (!commandLine.values(kColumnUnit).empty()) {
      reason = "--column-unit does not go with --format=sarif, whose columns count characters";
    }
    settings.columnUnit = ColumnUnit::kCodePoint;
  }
  if (!reason) reason = wrongCombination(commandLine, settings.action);
  if (reason) return WrongCommandLine{describeWrongCommandLine(settings.program, *reason)};
  settings.paths = commandLine.paths;
  if (commandLine.has(kOutputDir)) settings.outputFolder = commandLine.values(kOutputDir).front();
  if (commandLine.has(kStdinFilename))
    settings.standardInputName = commandLine.values(kStdinFilename).back();
  settings.onFinding = onFindingOf(commandLine);
  return settings;
}

}  // namespace wqnprep
