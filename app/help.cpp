#include "app/help.h"

#include <string>
#include <string_view>

#include "app/options.h"
#include "app/standard_output.h"
#include "symbols/tables.h"

#ifndef WQNPREP_VERSION
#error "WQNPREP_VERSION must be defined by the build"
#endif

namespace wqnprep {
namespace {

// Where the help of every option begins.
constexpr std::string::size_type kHelpColumn = 20;

// "  -h, --help", "      --version", "  -d, --output-dir=DIR".
std::string optionLabel(const OptionSpec& option) {
  std::string label = "  ";
  label +=
      option.shortName == '\0' ? std::string("    ") : std::string{'-', option.shortName, ',', ' '};
  label += "--";
  label += option.name;
  if (!option.argument.empty()) {
    label += '=';
    label += option.argument;
  }
  return label;
}

// The label, then the help at kHelpColumn: beside the label when two blanks fit between them,
// otherwise on the next line; continuation lines of the help start there too.
std::string optionEntry(const std::string& label, std::string_view help) {
  std::string entry = label;
  if (label.size() + 2 <= kHelpColumn) {
    entry.append(kHelpColumn - label.size(), ' ');
  } else {
    entry += '\n';
    entry.append(kHelpColumn, ' ');
  }
  for (const char c : help) {
    entry += c;
    if (c == '\n') entry.append(kHelpColumn, ' ');
  }
  return entry + '\n';
}

}  // namespace

void printHelp(const std::string& name) {
  // The forms of the README's Usage section.
  std::string text;
  for (const std::string_view form :
       {"[OPTIONS] INPUT OUTPUT", "--list", "[--ignore=KIND]... --check FILE...",
        "[OPTIONS] -d DIR INPUT..."}) {
    text += text.empty() ? "usage: " : "       ";
    text += name;
    text += ' ';
    text += form;
    text += '\n';
  }
  text += R"(
Copies INPUT to OUTPUT and replaces every platform symbol standing as a whole
word: qualified enumerators such as WQNOperationID::OPID_LICENSE_GENERALREAD
by their numbers, and WQNGlobalScopeGUID by the global scope identifier.

INPUT or OUTPUT may be '-' for standard input or standard output.

options:
)";
  for (const OptionSpec& option : kOptions) text += optionEntry(optionLabel(option), option.help);
  text += optionEntry("  --", "end of options: a path after it may begin with '-'");
  text += R"(
exit status:
  0  OUTPUT was written (with -d, every one), or --check found nothing
  1  an error, reported on standard error ("Error: ..."); or --strict or
     --check found something to report, or -d failed on any INPUT
  2  wrong command line: an unknown option, or a missing or unwanted
     argument, is named on standard error; for not exactly two paths the
     usage line is printed
)";
  writeToStandardOutput(text);
}

void printVersion() {
  writeToStandardOutput("wqnprep " WQNPREP_VERSION
                        "\n"
                        "Copyright (C) 2026 the wqnprep authors\n"
                        "License: MIT <https://opensource.org/licenses/MIT>\n"
                        "This is free software: you are free to change and redistribute it.\n"
                        "There is NO WARRANTY, to the extent permitted by law.\n");
}

void printSymbolList() {
  std::string text;
  for (const SymbolTable* table : registry()) {
    for (const SymbolEntry& row : table->rows) {
      text += qualifiedToken(*table, row);
      text += '\t';
      text += row.value;
      text += '\n';
    }
  }
  for (const SymbolEntry& entry : globalScopeList()) {
    text += entry.name;
    text += '\t';
    text += entry.value;
    text += '\n';
  }
  writeToStandardOutput(text);
}

}  // namespace wqnprep
