#include "app/file_pieces.h"

#include <stdexcept>
#include <string>

#include "text/quoted_name.h"

namespace wqnprep {

void expectCutAfter(SeekableSource& input, std::uint64_t start, bool (*mayCutAfter)(char byte)) {
  char before = 0;
  if (input.readAt(&before, 1, start - 1) != 1 || !mayCutAfter(before)) changedWhileRead(input);
}

void changedWhileRead(const SeekableSource& input) {
  throw std::runtime_error("cannot read input " + quotedName(input.name()) +
                           ": it changed while it was read");
}

}  // namespace wqnprep
