// Everything the program tells on standard error outside the findings: one line per message, in
// the order it comes among the findings, or, in a document format, inside the document
// (app/diagnostics.h).
#pragma once

#include <exception>
#include <string>

namespace wqnprep {

// One line on standard error. Nothing is left to tell if that fails; the exit status still does.
void printToStandardError(const std::string& line);

// "Error: " and what went wrong.
void reportError(const std::exception& error);

}  // namespace wqnprep
