// Runs the program's own block loop, preprocess(), over a text held in memory and handed out in
// pieces of chosen sizes; shared by the unit tests and the fuzzer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/preprocess_pieces.h"
#include "findings/finding.h"
#include "findings/finding_scanner.h"

namespace wqnprep::testing {

// A finding as "LINE:COLUMN [KIND] MESSAGE".
std::string findingText(const Finding& finding);

struct StreamRun {
  std::string output;
  std::vector<std::string> findings;  // each finding's findingText
  bool heldTooMuch = false;           // the loop found the engine keeping back more than it may
  bool heldALineFeed = false;         // more input was asked for before a whole line was written
  std::string error;  // why the run stopped, if it failed (text that does not decode)
};

// Hands `input` to preprocess() in reads of the given sizes (cycled, each at least 1), the way a
// pipe hands out whatever has arrived.
StreamRun streamInPieces(const std::string& input, const std::vector<std::size_t>& pieces,
                         bool reportFindings = false, ColumnUnit unit = ColumnUnit::kDisplay);

// The same with the caller's scanner, or none: its handler hears the findings, and the run's
// `findings` stay empty. A scanner costs more to build than a short input costs to run, so the
// fuzzer builds one and restarts it.
StreamRun streamInPieces(const std::string& input, const std::vector<std::size_t>& pieces,
                         FindingScanner* findings);

// Where a run from a file fails: a read raises once `readFailsAt` bytes were read, a write once
// `writeFailsAt` bytes were written (SIZE_MAX: never).
struct FileFaults {
  std::size_t readFailsAt = SIZE_MAX;
  std::size_t writeFailsAt = SIZE_MAX;
};

// Hands `input` to preprocess() as a regular file does: every read as full as asked, and never
// waiting, so that a large input is read ahead and written behind on threads. A read that fails
// says "read failed", a write "write failed".
StreamRun streamFromFile(const std::string& input, FileFaults faults = {},
                         bool reportFindings = false);

// The same through preprocessInPieces(), in pieces of about `pieceSize` bytes, reads at offsets
// failing at or past `readFailsAt`.
StreamRun streamFromFileInPieces(const std::string& input, FileFaults faults = {},
                                 std::uint64_t pieceSize = kPiece, bool twoThreads = true);

}  // namespace wqnprep::testing
