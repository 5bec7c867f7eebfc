// The language server on the process's standard input and output.
#pragma once

#include "findings/finding.h"

namespace wqnprep::lsp {

// Serves one client until it says exit; the status the protocol gives that (0 after shutdown).
// Throws when the streams fail or the client goes away without saying exit before shutdown.
int serveStandardStreams(const FindingKinds& kinds);

}  // namespace wqnprep::lsp
