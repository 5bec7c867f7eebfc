// Copies the input to the output with every symbol replaced.
#pragma once

#include "app/byte_stream.h"
#include "findings/finding_scanner.h"

namespace wqnprep {

// Writes one line, ended by a line feed, for every input line; a final line without a line feed
// still gets one. Reads and writes in large blocks with constant memory, whatever the length of
// a line, and writes everything that the input read so far determines before reading more.
// `findings`, if given, sees every byte read.
void preprocess(ByteSource& input, ByteSink& output, FindingScanner* findings = nullptr);

// Hands every byte of the input to `findings` and nothing else: findings never depend on the
// output, so a run that only reports needs no substitution.
void findFindings(ByteSource& input, FindingScanner& findings);

}  // namespace wqnprep
