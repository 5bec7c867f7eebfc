#include "app/file_pieces.h"

#include <stdexcept>
#include <string>
#include <string_view>

#include "text/quoted_name.h"
#include "text/utf16.h"

namespace wqnprep {

bool hasWideByteOrderMark(SeekableSource& input) {
  char mark[4];
  std::size_t got = 0;
  while (got < sizeof mark) {
    const std::size_t more = input.readAt(mark + got, sizeof mark - got, got);
    if (more == 0) break;
    got += more;
  }
  return byteOrderMarkOf(std::string_view(mark, got), true) != ByteOrderMark::kNone;
}

void expectCutAfter(SeekableSource& input, std::uint64_t start, bool (*mayCutAfter)(char byte)) {
  char before = 0;
  if (input.readAt(&before, 1, start - 1) != 1 || !mayCutAfter(before)) changedWhileRead(input);
}

void changedWhileRead(const SeekableSource& input) {
  throw std::runtime_error("cannot read input " + quotedName(input.name()) +
                           ": it changed while it was read");
}

}  // namespace wqnprep
