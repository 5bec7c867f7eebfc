#include "symbols/stream_substituter.h"

#include <algorithm>
#include <cstring>

#include "symbols/qualified_token.h"
#include "text/byte_runs.h"
#include "text/word_chars.h"

namespace wqnprep {
namespace {

// Bytes a token may consist of. Any other byte ends every token around it.
constexpr bool isTokenChar(char byte) {
  return hasClass(byte, kTokenByte);
}

constexpr bool isWord(char byte) {
  return hasClass(byte, kWordByte);
}

}  // namespace

// The text of one call, what surrounds it, and which tokens can be decided.
struct StreamSubstituter::Window : TextAtHand {
  const char* decided;  // tokens that start before this can be decided
};

namespace {

std::vector<BytePair> candidateStarts(const TokenIndex& index) {
  std::vector<BytePair> starts{{':', ':'}};
  for (const TokenIndex::Placeholder& entry : index.placeholders()) {
    const BytePair start{entry.name[entry.probe], entry.name[entry.probe + 1]};
    if (std::find(starts.begin(), starts.end(), start) == starts.end()) starts.push_back(start);
  }
  return starts;
}

}  // namespace

StreamSubstituter::StreamSubstituter(const TokenIndex& index)
    : index_(index), candidates_(candidateStarts(index)) {}

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

// The placeholder whose probe pair is at `probe`, if it stands there as a word.
TokenMatch StreamSubstituter::placeholderAround(const Window& window, const char* probe) const {
  for (const TokenIndex::Placeholder& entry : index_.placeholders()) {
    if (probe[0] != entry.name[entry.probe] || probe[1] != entry.name[entry.probe + 1]) continue;
    if (static_cast<std::size_t>(probe - window.begin) < entry.probe) continue;
    const char* start = probe - entry.probe;
    const std::size_t length = entry.name.size();
    if (length <= static_cast<std::size_t>(window.end - start) &&
        TokenIndex::sameBytes(start, entry.name.data(), length) && window.cleanLeft(start) &&
        window.cleanRight(start + length)) {
      return {start, start + length, &entry.value};
    }
  }
  return {};
}

std::size_t StreamSubstituter::substitute(const char* text, std::size_t size, bool atEnd,
                                          char*& out) {
  const Window window{{text, text + size, previousIsWord_, atEnd},
                      text + decidedLength(text, size, atEnd)};
  auto copy = [&out](const char* from, const char* to) {
    std::memcpy(out, from, static_cast<std::size_t>(to - from));
    out += to - from;
  };

  // Candidates come in the order of their positions, and a match never overlaps another, so
  // matches come out in order too. A token starts before its candidate by at most the longest
  // type name or probe offset. That bound is an offset, as it may lie past the end of the text.
  const std::size_t lastCandidate = static_cast<std::size_t>(window.decided - text) +
                                    std::max(index_.maxTypeNameLength(), index_.maxProbe());
  const char* copied = text;
  const char* p = text;
  while (const char* candidate = candidates_.find(p, window.end)) {
    if (static_cast<std::size_t>(candidate - text) >= lastCandidate) break;
    const bool colons = candidate[0] == ':' && candidate[1] == ':';
    const TokenMatch match = colons ? qualifiedTokenAround(index_, window, candidate)
                                    : placeholderAround(window, candidate);
    if (match.begin == nullptr || match.begin < copied) {
      p = candidate + 1;
      continue;
    }
    if (match.begin >= window.decided) break;
    copy(copied, match.begin);
    copy(match.value->data(), match.value->data() + match.value->size());
    copied = p = match.end;
  }

  const char* consumed = std::max(copied, window.decided);
  copy(copied, consumed);
  if (consumed > text) {
    previousIsWord_ = isWord(consumed[-1]);
    lastByte_ = consumed[-1];
  }
  if (atEnd && lastByte_ != '\n') {
    *out++ = '\n';
    lastByte_ = '\n';
  }
  return static_cast<std::size_t>(consumed - text);
}

}  // namespace wqnprep
