#include "app/help.h"

#include <iostream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "app/options.h"
#include "app/usage.h"
#include "symbols/tables.h"

#ifndef WQNPREP_VERSION
#error "WQNPREP_VERSION must be defined by the build"
#endif

namespace wqnprep {
namespace {

void flushStandardOutput() {
  if (!std::cout.flush()) throw std::runtime_error("cannot write to standard output");
}

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
void printOption(const std::string& label, std::string_view help) {
  std::cout << label;
  if (label.size() + 2 <= kHelpColumn) {
    std::cout << std::string(kHelpColumn - label.size(), ' ');
  } else {
    std::cout << '\n' << std::string(kHelpColumn, ' ');
  }
  for (const char c : help) {
    std::cout << c;
    if (c == '\n') std::cout << std::string(kHelpColumn, ' ');
  }
  std::cout << '\n';
}

}  // namespace

void printHelp(const std::string& programPath) {
  printUsage(programPath);
  std::cout << R"(
Copies INPUT to OUTPUT and replaces every platform symbol standing as a whole word:
qualified enumerators such as WQNOperationID::OPID_LICENSE_GENERALREAD by their numbers,
and WQNGlobalScopeGUID by the global scope identifier.

usage: wqnprep [OPTIONS] INPUT OUTPUT
       wqnprep --list

INPUT or OUTPUT may be '-' for standard input or standard output.

options:
)";
  for (const OptionSpec& option : kOptions) printOption(optionLabel(option), option.help);
  printOption("  --", "end of options: a path after it may begin with '-'");
  std::cout << R"(
exit status:
  0  OUTPUT was written
  1  an error, reported on standard error ("Error: ..."), or --strict found unknown enumerators
  2  wrong command line: the usage line is printed
)";
  flushStandardOutput();
}

void printVersion() {
  std::cout << "wqnprep " << WQNPREP_VERSION << '\n';
  flushStandardOutput();
}

void printSymbolList() {
  for (const SymbolTable* table : registry()) {
    for (const SymbolEntry& row : table->rows) {
      std::cout << qualifiedToken(*table, row) << '\t' << row.value << '\n';
    }
  }
  for (const SymbolEntry& entry : globalScopeList()) {
    std::cout << entry.name << '\t' << entry.value << '\n';
  }
  flushStandardOutput();
}

}  // namespace wqnprep
