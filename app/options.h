// Every option of wqnprep. The parser and --help read this table; the manual page and the
// README document each option (a test holds them to it). What an option does is up to the code
// that looks it up by name: see runMain in app/driver.cpp for which one wins.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

#include "app/command_line.h"
#include "findings/finding.h"

namespace wqnprep {

// The help of --ignore: every kind of finding, in lines that end by column 80 of --help (which
// starts the help at column 20), as the other options' help does.
consteval auto ignoreHelp() {
  constexpr std::string_view start = "do not report KIND (repeatable): ";
  constexpr std::size_t width = 60;
  std::array<char, start.size() + kFindingKindNames.size()> text{};
  std::ranges::copy(kFindingKindNames, std::ranges::copy(start, text.begin()).out);
  // A blank becomes a line feed where the word after it would not fit on the line.
  std::size_t lineStart = 0;
  for (std::size_t blank = 0; blank < text.size(); ++blank) {
    if (text[blank] != ' ') continue;
    std::size_t wordEnd = blank + 1;
    while (wordEnd < text.size() && text[wordEnd] != ' ') ++wordEnd;
    if (wordEnd - lineStart > width) {
      text[blank] = '\n';
      lineStart = blank + 1;
    }
  }
  return text;
}
inline constexpr auto kIgnoreHelp = ignoreHelp();

// In the order --help lists them.
inline constexpr auto kOptions = std::to_array<OptionSpec>({
    {"help", 'h', "", "show this help and exit"},
    {"version", '\0', "", "show the version and exit"},
    {"list", '\0', "", "print every symbol with its value, tab-separated, and exit"},
    {"warn-unknown", '\0', "",
     "warn on standard error about probably mistyped symbols:\n"
     "FILE:LINE:COLUMN: warning: MESSAGE [KIND]"},
    {"strict", '\0', "",
     "report them as errors, all of them, and exit with status 1\n"
     "without writing OUTPUT (an existing one is left as it was)"},
    {"ignore", '\0', "KIND", std::string_view(kIgnoreHelp.data(), kIgnoreHelp.size())},
    {"column-unit", '\0', "UNIT",
     "what COLUMN counts: 'display' (the default) as editors do,\n"
     "a tab to the next multiple of 8 and a wide character as\n"
     "2; or 'byte'"},
    {"format", '\0', "FORMAT",
     "write findings as FORMAT: gcc (the default), msvc or\n"
     "github lines, or one json or sarif document for the\n"
     "run, which holds its error messages too"},
    {"check", '\0', "",
     "report every finding in each FILE as an error, write\n"
     "nothing, and exit with status 1 if there was any; a\n"
     "folder stands for the .sql files in its tree"},
    {"extension", '\0', "EXT",
     "take the files whose names end in EXT (repeatable) from\n"
     "a folder, instead of those ending in .sql"},
    {"stdin-filename", '\0', "NAME",
     "the name to give standard input ('-') in findings and\n"
     "messages, such as the path a hook checks: --check\n"
     "--stdin-filename=a.sql - < staged-a.sql"},
    {"lsp", '\0', "",
     "serve editors as a language server on standard input and\n"
     "output: completion, hover, findings and their fixes"},
    {"output-dir", 'd', "DIR",
     "write each INPUT to DIR under its own file name, and a\n"
     "folder's tree to DIR/NAME; DIR must exist. With --strict,\n"
     "nothing is written unless every INPUT is clean"},
    {"jobs", 'j', "N",
     "with --check and -d, work on N files at once, and with\n"
     "two threads a file, on a large file in pieces: 0 (the\n"
     "default) for one per processor, 1 for one after another;\n"
     "what is written and reported is the same for every N"},
});

// The position of the option called `name` (its long form); a name that is not in the table does
// not compile.
consteval OptionIndex optionIndex(std::string_view name) {
  for (std::size_t index = 0; index < kOptions.size(); ++index) {
    if (kOptions[index].name == name) return OptionIndex{index};
  }
  throw "no such option in kOptions";
}

// Windows programs show their help for /? and many for -?; elsewhere /? could name a file.
#ifdef _WIN32
inline constexpr auto kOptionAliases = std::to_array<OptionAlias>({
    {"/?", optionIndex("help")},
    {"-?", optionIndex("help")},
});
#else
inline constexpr std::array<OptionAlias, 0> kOptionAliases{};
#endif

}  // namespace wqnprep
