#include "stream_feeder.h"

#include <algorithm>

#include "symbols/stream_substituter.h"
#include "symbols/tables.h"

namespace wqnprep::testing {

StreamRun streamInPieces(const std::string& input, const std::vector<std::size_t>& pieces,
                         bool reportUnknown) {
  StreamRun run;
  StreamSubstituter engine;
  if (reportUnknown) {
    engine.reportUnknownTo([&run](const UnknownEnumerator& unknown) {
      run.unknown.push_back(std::to_string(unknown.line) + ":" + std::to_string(unknown.column) +
                            " " + registry()[unknown.type]->typeName +
                            "::" + std::string(unknown.name) + (unknown.nameCut ? "..." : ""));
    });
  }
  std::string pending;
  std::size_t next = 0;
  for (std::size_t piece = 0;; ++piece) {
    const std::size_t take =
        std::min(std::max<std::size_t>(pieces[piece % pieces.size()], 1), input.size() - next);
    pending.append(input, next, take);
    next += take;
    const bool atEnd = take == 0;
    std::string out(engine.outputCapacity(pending.size()), '\0');
    char* cursor = out.data();
    const std::size_t consumed = engine.substitute(pending.data(), pending.size(), atEnd, cursor);
    run.output.append(out.data(), cursor);
    pending.erase(0, consumed);
    run.heldTooMuch = run.heldTooMuch || pending.size() > engine.heldBackLimit();
    run.heldALineFeed = run.heldALineFeed || pending.find('\n') != std::string::npos;
    if (atEnd) {
      run.heldTooMuch = run.heldTooMuch || !pending.empty();
      return run;
    }
  }
}

}  // namespace wqnprep::testing
