// The fast substitution engine: one left-to-right pass over a stream of bytes handed over in
// pieces of any size, giving exactly the bytes that substituteLine gives line by line.
//
// It finds the few places where a token can start (every qualified token contains "::"; each
// untyped name is found through a pair of its bytes that is rare in qualified tokens), looks the
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

// A qualified token that stays in the output: a known type name, standing as a word on its
// left, then "::" and a name of name bytes (not beginning with a digit) that the type lacks.
struct UnknownEnumerator {
  std::size_t type;       // index into the registry
  std::string_view name;  // the name's first bytes only, if it is longer than any token
  bool nameCut;           // whether `name` is cut short
  std::uint64_t line;     // of the type name's first byte, counted from 1
  std::uint64_t column;   // in bytes, counted from 1
};
using UnknownEnumeratorHandler = std::function<void(const UnknownEnumerator&)>;

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

  // Calls `handler` for every unknown enumerator, in input order. Costs a count of line feeds.
  void reportUnknownTo(UnknownEnumeratorHandler handler) { onUnknown_ = std::move(handler); }

  // The most bytes substitute() leaves unconsumed.
  std::size_t heldBackLimit() const { return index_.maxTokenLength() + 1; }

 private:
  struct Match {
    const char* begin = nullptr;
    const char* end = nullptr;
    const std::string* value = nullptr;
  };
  struct Window;

  std::size_t decidedLength(const char* text, std::size_t size, bool atEnd) const;
  // A known type name standing as a word, then "::" and a name the type lacks.
  struct Unknown {
    std::size_t type = 0;
    const char* start = nullptr;  // of the type name; nullptr when there is none
    const char* nameEnd = nullptr;
  };
  Match qualifiedAround(const Window& window, const char* colons, Unknown* unknown) const;
  void reportUnknown(const Window& window, const Unknown& unknown, const char* written);
  void countLinesUpTo(const char* text, const char* position);
  Match untypedAround(const Window& window, const char* probe) const;

  const TokenIndex& index_;
  PairScanner candidates_;       // "::" and the probe pair of each untyped name
  bool previousIsWord_ = false;  // the class of the byte before the next call's text
  char lastByte_ = '\n';         // the last byte consumed; a line feed before any input

  // Positions for reports: the stream offset of the current text, and the line count up to
  // `countedTo_`.
  UnknownEnumeratorHandler onUnknown_;
  std::uint64_t textOffset_ = 0;
  std::uint64_t countedTo_ = 0;
  std::uint64_t line_ = 1;
  std::uint64_t lineStart_ = 0;
};

}  // namespace wqnprep
