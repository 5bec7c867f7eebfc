// Which qualified token the substitution replaces around a "::". The engine replaces it, and the
// findings pass reports a glued token where the engine replaced one; both ask this one function,
// so that they cannot disagree. Only source files of the library include this header, as it
// includes text/byte_runs.h.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>

#include "symbols/token_index.h"
#include "text/byte_runs.h"
#include "text/word_chars.h"

namespace wqnprep {

// The bytes at hand, from `begin` to `end`, and what is known of the bytes around them.
struct TextAtHand {
  const char* begin;
  const char* end;
  bool wordBefore;  // the byte before `begin` is a word byte; there is none before the input
  bool atEnd;       // nothing follows `end`; otherwise a token that reaches it is not decided

  // Whether a token starting at `token`, or ending at `tokenEnd`, stands as a whole word there.
  bool cleanLeft(const char* token) const {
    return token == begin ? !wordBefore : !hasClass(token[-1], kWordByte);
  }
  bool cleanRight(const char* tokenEnd) const {
    return tokenEnd == end ? atEnd : !hasClass(*tokenEnd, kWordByte);
  }
};

// The qualified token around the "::" at `colons`: a known type name standing as a word right
// before it, and a known name of that type after it. The name ends before an underscore or at the
// end of the run of name bytes, and is followed by no word byte; of those, the longest is the one.
inline TokenMatch qualifiedTokenAround(const TokenIndex& index, const TextAtHand& text,
                                       const char* colons) {
  const std::size_t type = index.typeEndingAt(colons, text.begin);
  if (type == TokenIndex::kNoType) return {};
  const char* start = colons - index.typeName(type).size();
  if (!text.cleanLeft(start)) return {};

  // The longest name is tried first, as that is almost always the one.
  const char* limit =
      start + std::min(static_cast<std::size_t>(text.end - start), index.maxTokenLength() + 1);
  const char* nameEnd = nameRunEnd(colons + 2, limit);
  for (const char* end = nameEnd; end > colons + 2; --end) {
    if (end != nameEnd && *end != '_') continue;
    if (!text.cleanRight(end)) continue;
    if (const std::string* value =
            index.findQualified(start, static_cast<std::size_t>(end - start))) {
      return {start, end, value};
    }
  }
  return {};
}

}  // namespace wqnprep
