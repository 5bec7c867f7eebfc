// libFuzzer target: the command line, its arguments the input cut at each NUL byte (the first is
// the program's path), through the option table's parser and on into the run's settings.
//
// Parsed again from its canonical spelling ("--name=VALUE" for each option given, in order, then
// "--" and the paths), a line that parsed is the same line and asks for the same run. A line that
// did not parse names, in its two-line message, an option typed as one of its arguments began.
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "app/command_line.h"
#include "app/options.h"
#include "app/settings.h"
#include "app/usage.h"
#include "fuzz_support.h"

namespace {

using wqnprep::fuzzing::require;

std::vector<std::string> argumentsOf(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> arguments(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == '\0') {
      arguments.emplace_back();
    } else {
      arguments.back() += static_cast<char>(data[i]);
    }
  }
  return arguments;
}

wqnprep::CommandLine parse(const std::vector<std::string>& arguments) {
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  argv.push_back(nullptr);
  return wqnprep::parseCommandLine(wqnprep::kOptions, static_cast<int>(arguments.size()),
                                   argv.data(), wqnprep::kOptionAliases);
}

std::vector<std::string> canonicalSpelling(const std::string& program,
                                           const wqnprep::CommandLine& line) {
  std::vector<std::string> arguments{program};
  for (std::size_t option = 0; option < wqnprep::kOptions.size(); ++option) {
    const std::string name = "--" + std::string(wqnprep::kOptions[option].name);
    for (const std::string& value : line.given[option]) {
      arguments.push_back(wqnprep::kOptions[option].argument.empty() ? name : name + "=" + value);
    }
  }
  arguments.emplace_back("--");
  arguments.insert(arguments.end(), line.paths.begin(), line.paths.end());
  return arguments;
}

bool sameRun(const wqnprep::Settings& a, const wqnprep::Settings& b) {
  return a.program == b.program && a.action == b.action && a.paths == b.paths &&
         a.outputFolder == b.outputFolder && a.standardInputName == b.standardInputName &&
         a.extensions == b.extensions && a.onFinding == b.onFinding && a.kinds == b.kinds &&
         a.findingFormat == b.findingFormat && a.columnUnit == b.columnUnit;
}

void checkMistake(const std::vector<std::string>& arguments, const wqnprep::CommandLine& line,
                  const std::variant<wqnprep::Settings, wqnprep::WrongCommandLine>& settings) {
  const std::string& option = line.mistake->option;
  bool typed = false;
  for (std::size_t i = 1; i < arguments.size(); ++i)
    typed = typed || arguments[i].starts_with(option);
  require(option.size() >= 2 && option[0] == '-' && typed,
          "a mistake names an option as it was typed");
  const auto* wrong = std::get_if<wqnprep::WrongCommandLine>(&settings);
  require(wrong != nullptr, "a mistake makes the command line wrong");
  const std::string name = wqnprep::programName(arguments.front());
  require(wrong->message.starts_with(name + ": ") &&
              wrong->message.ends_with("\nTry '" + name + " --help' for more information."),
          "a wrong command line is told in two lines, as GNU tools tell it");
}

void checkSettings(const wqnprep::Settings& settings) {
  using wqnprep::Action;
  const std::vector<std::string>& paths = settings.paths;
  require(settings.action != Action::kPreprocess || paths.size() == 2,
          "the two-path form has two paths");
  require((settings.action != Action::kCheck && settings.action != Action::kPreprocessIntoFolder) ||
              !paths.empty(),
          "--check and --output-dir have a file");
  for (const std::string& extension : settings.extensions) {
    require(extension.size() >= 2 && extension[0] == '.', "an extension is a dot and more");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> arguments = argumentsOf(data, size);
  const wqnprep::CommandLine line = parse(arguments);
  const auto settings = wqnprep::settingsFrom(line, arguments.front());
  if (line.mistake) {
    checkMistake(arguments, line, settings);
    return 0;
  }
  require(line.paths.size() == line.pathArguments.size(), "each path has its place");
  for (std::size_t i = 0; i < line.paths.size(); ++i) {
    const int at = line.pathArguments[i];
    require(at > 0 && static_cast<std::size_t>(at) < arguments.size() &&
                arguments[static_cast<std::size_t>(at)] == line.paths[i] &&
                (i == 0 || at > line.pathArguments[i - 1]),
            "a path is an argument as it was typed, in order");
  }

  const wqnprep::CommandLine again = parse(canonicalSpelling(arguments.front(), line));
  require(!again.mistake && again.given == line.given && again.paths == line.paths,
          "the canonical spelling parses to the same command line");
  const auto settingsAgain = wqnprep::settingsFrom(again, arguments.front());
  require(settings.index() == settingsAgain.index(), "both spellings are right or wrong alike");
  if (const auto* wrong = std::get_if<wqnprep::WrongCommandLine>(&settings)) {
    require(wrong->message == std::get<wqnprep::WrongCommandLine>(settingsAgain).message,
            "both spellings are wrong for the same reason");
    return 0;
  }
  const auto& run = std::get<wqnprep::Settings>(settings);
  require(sameRun(run, std::get<wqnprep::Settings>(settingsAgain)),
          "both spellings ask for the same run");
  checkSettings(run);
  return 0;
}
