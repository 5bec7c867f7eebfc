// Reports of unknown enumerators, in the format compilers use.
#pragma once

#include <cstddef>
#include <string>

#include "symbols/stream_substituter.h"

namespace wqnprep {

// The closest row name of registry table `type` to `name`, or "" when none is close enough to
// be the one meant.
std::string closestRowName(std::size_t type, std::string_view name);

// "FILE:LINE:COLUMN: SEVERITY: unknown enumerator 'NAME' of 'TYPE'" and, when a row name is
// close, "; did you mean 'ROW'?".
std::string formatUnknown(const std::string& file, const char* severity,
                          const UnknownEnumerator& unknown);

}  // namespace wqnprep
