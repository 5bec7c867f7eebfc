// What the runs that take a large file in pieces on two threads share: how far a cut is looked
// for, and the check that a piece still begins where it was cut when it is read.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/byte_stream.h"

namespace wqnprep {

// The end of a piece that runs to the end of the file, however long it has grown.
inline constexpr std::uint64_t kToTheEnd = UINT64_MAX;

// How far past where a piece would end the line end that ends it is looked for.
inline constexpr std::size_t kCutWindow = std::size_t{16} * 1024;

// Whether `input` begins with a byte-order mark of UTF-16 or UTF-32: such a file is decoded as it
// is read, in one pass, never cut.
bool hasWideByteOrderMark(SeekableSource& input);

// Raises unless the byte before `start` is still one that a piece may be cut after, as it was
// when the piece was cut: a file rewritten while it is read would otherwise be taken up from
// the middle of a line or a word.
void expectCutAfter(SeekableSource& input, std::uint64_t start, bool (*mayCutAfter)(char byte));

// The error of a file that was found changed while it was read.
[[noreturn]] void changedWhileRead(const SeekableSource& input);

}  // namespace wqnprep
