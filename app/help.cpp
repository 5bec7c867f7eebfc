#include "app/help.h"

#include <iostream>
#include <stdexcept>

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
  -h, --help        show this help and exit
      --version     show the version and exit
      --list        print every symbol and its value, separated by a tab, and exit
      --warn-unknown
                    warn on standard error about unknown enumerators of known types:
                    FILE:LINE:COLUMN: warning: unknown enumerator 'NAME' of 'TYPE'
      --strict      report unknown enumerators as errors, all of them, and exit with
                    status 1 without writing OUTPUT; OUTPUT (a file, '-', a pipe) gets
                    nothing until the whole input is read and clean
  --                end of options: a path after it may begin with '-'

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
