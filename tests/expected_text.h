// Texts several tests expect the program to print.
#pragma once

#include <string>

namespace wqnprep::testing {

// The usage line after the program's name, and the whole line for a program called wqnprep.
inline const std::string kUsageArguments = " <input filename> <output filename>\n";
inline const std::string kUsageLine = "use wqnprep" + kUsageArguments;
// What WQNGlobalScopeGUID stands for.
inline const std::string kGuid = "8C3E7755-D5D1-2B4F-BA73-E73F13C140D6";

}  // namespace wqnprep::testing
