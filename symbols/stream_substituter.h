// The fast substitution engine: one left-to-right pass over a stream of bytes handed over in
// pieces of any size, giving exactly the bytes that substituteLine gives line by line.
//
// It finds the few places where a token can start (every qualified token contains "::"; each
// placeholder is found through a pair of its bytes that is rare in qualified tokens), looks the
// candidate up in the prepared index, checks the whole-word edges and copies everything else in
// bulk. That one pass equals the row-by-row pass only because of properties of the compiled-in
// tables (values of typed tokens are digit strings, tokens begin and end with word characters, no
// two tokens can match at overlapping places, a replacement never creates a new match); tests check
// them over the tables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "symbols/token_index.h"
#include "text/pair_scanner.h"

namespace wqnprep {

class StreamSubstituter {
 public:
  explicit StreamSubstituter(const TokenIndex& index = tokenIndex());

  // Room the output of `inputSize` bytes may need.
  std::size_t outputCapacity(std::size_t inputSize) const;

  // Substitutes `text`, the `size` bytes that follow all bytes consumed so far, writing the
  // output to `out` (which must hold outputCapacity(size) bytes) and advancing it. Returns how
  // many bytes of `text` were consumed; the caller passes the rest again at the front of the
  // next call. Every byte up to the last line feed is consumed, and at most heldBackLimit()
  // bytes are left. With `atEnd`, everything is consumed and a last line without a line feed
  // gets one.
  std::size_t substitute(const char* text, std::size_t size, bool atEnd, char*& out);

  // The most bytes substitute() leaves unconsumed.
  std::size_t heldBackLimit() const { return index_.maxTokenLength() + 1; }

 private:
  struct Window;

  std::size_t decidedLength(const char* text, std::size_t size, bool atEnd) const;
  TokenMatch placeholderAround(const Window& window, const char* probe) const;

  const TokenIndex& index_;
  PairScanner candidates_;       // "::" and the probe pair of each placeholder
  bool previousIsWord_ = false;  // the class of the byte before the next call's text
  char lastByte_ = '\n';         // the last byte consumed; a line feed before any input
};

}  // namespace wqnprep
