// --check of one large file on two threads: the file is cut at line ends into pieces that the
// threads take in turn, each checked on its own, as the findings of a line depend on that line
// alone (and on the line before it, for a comment that silences the next line). The findings
// come out in the order of the file, as from one pass.
#pragma once

#include "app/diagnostics.h"
#include "app/files.h"
#include "app/settings.h"

namespace wqnprep {

// Whether a file is a regular one, named on the command line, large enough to be checked in
// pieces.
bool worthCheckingInPieces(const InputFile& input);

// Checks `input`, a file worthCheckingInPieces, with findings passes of `settings` on two
// threads, reporting to `printer`. A file that cannot be cut (UTF-16, or no line ends where it
// would be cut) is checked in one pass, with `findings`.
void checkInPieces(InputFile& input, FindingPrinter& printer, FindingScanner& findings,
                   const Settings& settings);

}  // namespace wqnprep
