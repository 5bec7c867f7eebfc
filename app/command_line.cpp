#include "app/command_line.h"

namespace wqnprep {
namespace {

using Kind = CommandLineMistake::Kind;

class Parser {
 public:
  Parser(std::span<const OptionSpec> table, std::span<const OptionAlias> aliases, int argc,
         const char* const argv[])
      : table_(table), aliases_(aliases), argc_(argc), argv_(argv) {
    line_.given.resize(table.size());
  }

  CommandLine run() {
    bool optionsEnded = false;
    for (next_ = 1; next_ < argc_ && !line_.mistake;) {
      const std::string_view arg = argv_[next_++];
      const OptionAlias* alias = optionsEnded ? nullptr : aliasSpelt(arg);
      if (alias != nullptr) {
        line_.given[alias->option.index].emplace_back();
      } else if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
        path(arg);
      } else if (arg == "--") {
        optionsEnded = true;
      } else if (arg[1] == '-') {
        longOption(arg);
      } else {
        shortOption(arg);
      }
    }
    return std::move(line_);
  }

 private:
  void path(std::string_view arg) {
    line_.paths.emplace_back(arg);
    line_.pathArguments.push_back(next_ - 1);
  }

  const OptionAlias* aliasSpelt(std::string_view arg) const {
    for (const OptionAlias& alias : aliases_) {
      if (alias.spelling == arg) return &alias;
    }
    return nullptr;
  }

  // "--name", "--name=VALUE" or "--name VALUE".
  void longOption(std::string_view arg) {
    const std::string_view body = arg.substr(2);
    const std::string_view::size_type equals = body.find('=');
    const std::string_view name = body.substr(0, equals);
    for (std::size_t option = 0; option < table_.size(); ++option) {
      if (table_[option].name != name) continue;
      const std::string_view typed = arg.substr(0, 2 + name.size());
      if (equals == std::string_view::npos) {
        take(option, typed, std::nullopt);
      } else if (table_[option].argument.empty()) {
        fail(Kind::kUnexpectedArgument, typed);
      } else {
        take(option, typed, body.substr(equals + 1));
      }
      return;
    }
    fail(Kind::kUnknownOption, arg);
  }

  // "-x", "-xVALUE" or "-x VALUE". Options without a value are not bundled ("-ab").
  void shortOption(std::string_view arg) {
    for (std::size_t option = 0; option < table_.size(); ++option) {
      if (table_[option].shortName != arg[1]) continue;
      if (arg.size() == 2) {
        take(option, arg, std::nullopt);
        return;
      }
      if (!table_[option].argument.empty()) {
        take(option, arg.substr(0, 2), arg.substr(2));
        return;
      }
      break;
    }
    fail(Kind::kUnknownOption, arg);
  }

  // Records the option; one that needs a value and has none attached takes the next argument.
  void take(std::size_t option, std::string_view typed, std::optional<std::string_view> attached) {
    if (table_[option].argument.empty()) {
      line_.given[option].emplace_back();
    } else if (attached) {
      line_.given[option].emplace_back(*attached);
    } else if (next_ < argc_) {
      line_.given[option].emplace_back(argv_[next_++]);
    } else {
      fail(Kind::kMissingArgument, typed);
    }
  }

  void fail(Kind kind, std::string_view option) {
    line_.mistake = CommandLineMistake{kind, std::string(option)};
  }

  std::span<const OptionSpec> table_;
  std::span<const OptionAlias> aliases_;
  int argc_;
  const char* const* argv_;
  int next_ = 1;
  CommandLine line_;
};

}  // namespace

CommandLine parseCommandLine(std::span<const OptionSpec> table, int argc, const char* const argv[],
                             std::span<const OptionAlias> aliases) {
  return Parser(table, aliases, argc, argv).run();
}

}  // namespace wqnprep
