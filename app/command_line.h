// The command line: options described by a table (app/options.h), and the paths.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace wqnprep {

// An option as a table describes it: what the parser accepts and what --help says about it.
struct OptionSpec {
  std::string_view name;      // the long form without "--": "warn-unknown"
  char shortName = '\0';      // 'h' for -h; '\0' when there is none
  std::string_view argument;  // what --help calls the value ("DIR"); empty: the option takes none
  std::string_view help;      // for --help; a line feed starts a continuation line
};

// An option of a table, by its position there.
struct OptionIndex {
  std::size_t index;
};

// Another spelling of an option that takes no value, taken where an option may stand ("/?").
struct OptionAlias {
  std::string_view spelling;
  OptionIndex option;
};

// Why a command line cannot be used, with the option as it was typed ("--strcit", "-x").
struct CommandLineMistake {
  enum class Kind { kUnknownOption, kMissingArgument, kUnexpectedArgument };
  Kind kind;
  std::string option;
};

struct CommandLine {
  // Per option of the table, one entry per time the option was given, in order: its value, or ""
  // for an option that takes none. Any option may be given more than once.
  std::vector<std::vector<std::string>> given;
  std::vector<std::string> paths;             // everything that is not an option, in order
  std::vector<int> pathArguments;             // where each of them is in argv
  std::optional<CommandLineMistake> mistake;  // the first one; parsing stops there

  bool has(OptionIndex option) const { return !given[option.index].empty(); }
  const std::vector<std::string>& values(OptionIndex option) const { return given[option.index]; }
};

// Options may come before, between or after the paths; "--" ends them, so that a path after it
// may begin with '-'. A lone "-" is a path (standard input or output). An option's value may be
// attached ("--name=VALUE", "-xVALUE") or be the next argument ("--name VALUE", "-x VALUE"),
// which is taken whatever it begins with. An argument spelt as one of `aliases` is its option.
CommandLine parseCommandLine(std::span<const OptionSpec> table, int argc, const char* const argv[],
                             std::span<const OptionAlias> aliases = {});

}  // namespace wqnprep
