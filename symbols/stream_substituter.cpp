#include "symbols/stream_substituter.h"

#include <algorithm>
#include <cstring>

#include "text/word_chars.h"

namespace wqnprep {
namespace {

// Bytes a token may consist of. Any other byte ends every token around it.
constexpr bool isTokenChar(char byte) {
  return isWordChar(byte) || byte == '_' || byte == ':';
}

// Bytes an enumerator name may consist of.
constexpr bool isNameChar(char byte) {
  return isWordChar(byte) || byte == '_';
}

}  // namespace

// The text of one call: which tokens can be decided, and what surrounds them.
struct StreamSubstituter::Window {
  const char* begin;
  const char* end;
  const char* decided;  // tokens that start before this can be decided
  bool atEnd;
  bool previousIsWord;

  bool cleanLeft(const char* token) const {
    return token == begin ? !previousIsWord : !isWordChar(token[-1]);
  }
  bool cleanRight(const char* tokenEnd) const {
    return tokenEnd == end ? atEnd : !isWordChar(*tokenEnd);
  }
};

StreamSubstituter::StreamSubstituter(const TokenIndex& index) : index_(index) {}

std::size_t StreamSubstituter::outputCapacity(std::size_t inputSize) const {
  return inputSize * index_.maxGrowth() + 1;
}

// A token that starts before the returned length can be decided from `text` alone: it ends
// before a byte that no token contains, or it is far enough from the end to have been read whole
// together with the byte after it.
std::size_t StreamSubstituter::decidedLength(const char* text, std::size_t size, bool atEnd) const {
  if (atEnd) return size;
  const std::size_t reach = heldBackLimit();
  const std::size_t floor = size > reach ? size - reach : 0;
  for (std::size_t i = size; i > floor; --i) {
    if (!isTokenChar(text[i - 1])) return i;
  }
  return floor;
}

StreamSubstituter::Match StreamSubstituter::nextQualified(const Window& window,
                                                          const char* from) const {
  const std::size_t maxType = index_.maxTypeNameLength();
  const std::size_t maxToken = index_.maxTokenLength();
  const char* p = from;
  while (p + 1 < window.end) {
    const auto* colon = static_cast<const char*>(std::memchr(p, ':', window.end - 1 - p));
    if (colon == nullptr) break;
    p = colon + 1;
    if (colon[1] != ':') continue;

    // The type name is the run of word characters right before "::".
    const char* type = colon;
    while (type > window.begin && isWordChar(type[-1]) &&
           static_cast<std::size_t>(colon - type) <= maxType) {
      --type;
    }
    if (type >= window.decided) break;
    if (type == colon || static_cast<std::size_t>(colon - type) > maxType ||
        !window.cleanLeft(type)) {
      continue;
    }

    // The name ends before an underscore or at the end of the run of name characters; try the
    // longest first, as that is almost always the one.
    const char* limit = std::min(window.end, type + maxToken + 1);
    const char* nameEnd = colon + 2;
    while (nameEnd < limit && isNameChar(*nameEnd)) ++nameEnd;
    for (const char* end = nameEnd; end > colon + 2; --end) {
      if (end != nameEnd && *end != '_') continue;
      if (!window.cleanRight(end)) continue;
      const auto length = static_cast<std::size_t>(end - type);
      if (length > maxToken) continue;
      if (const std::string* value = index_.findQualified(type, length)) {
        return {type, end, value};
      }
    }
  }
  return {};
}

StreamSubstituter::Match StreamSubstituter::nextUntyped(const Window& window,
                                                        const char* from) const {
  Match first;
  for (const SymbolEntry& entry : index_.untyped()) {
    const char* p = from;
    while (const auto* begin =
               static_cast<const char*>(::memmem(p, static_cast<std::size_t>(window.end - p),
                                                 entry.name.data(), entry.name.size()))) {
      if (begin >= window.decided || (first.begin != nullptr && begin >= first.begin)) break;
      const char* end = begin + entry.name.size();
      if (window.cleanLeft(begin) && window.cleanRight(end)) {
        first = {begin, end, &entry.value};
        break;
      }
      p = begin + 1;
    }
  }
  return first;
}

std::size_t StreamSubstituter::substitute(const char* text, std::size_t size, bool atEnd,
                                          char*& out) {
  const Window window{text, text + size, text + decidedLength(text, size, atEnd), atEnd,
                      previousIsWord_};
  auto copy = [&out](const char* from, const char* to) {
    std::memcpy(out, from, static_cast<std::size_t>(to - from));
    out += to - from;
  };

  const char* copied = text;
  Match qualified = nextQualified(window, text);
  Match untyped = nextUntyped(window, text);
  while (qualified.begin != nullptr || untyped.begin != nullptr) {
    const bool takeQualified =
        untyped.begin == nullptr || (qualified.begin != nullptr && qualified.begin < untyped.begin);
    const Match match = takeQualified ? qualified : untyped;
    copy(copied, match.begin);
    copy(match.value->data(), match.value->data() + match.value->size());
    copied = match.end;
    if (qualified.begin != nullptr && qualified.begin < copied)
      qualified = nextQualified(window, copied);
    if (untyped.begin != nullptr && untyped.begin < copied) untyped = nextUntyped(window, copied);
  }

  const char* consumed = std::max(copied, window.decided);
  copy(copied, consumed);
  if (consumed > text) {
    previousIsWord_ = isWordChar(consumed[-1]);
    lastByte_ = consumed[-1];
  }
  if (atEnd && lastByte_ != '\n') {
    *out++ = '\n';
    lastByte_ = '\n';
  }
  return static_cast<std::size_t>(consumed - text);
}

}  // namespace wqnprep
