// What the runs that take a large file in pieces on two threads share: where a piece may be cut,
// and the check that a piece still begins a line when it is read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/byte_stream.h"

namespace wqnprep {

// The end of a piece that runs to the end of the file, however long it has grown.
inline constexpr std::uint64_t kToTheEnd = UINT64_MAX;

// How far past where a piece would end the line end that ends it is looked for.
inline constexpr std::size_t kCutWindow = std::size_t{16} * 1024;

// Where a piece may be cut near `at`: after the first line end within kCutWindow bytes of `at`
// that ends a whole line for which `mayCutAfter(line)` holds, read into `window` (kCutWindow
// bytes); kToTheEnd where there is none.
template <typename MayCutAfter>
std::uint64_t lineCutNear(SeekableSource& input, std::uint64_t at, char* window,
                          const MayCutAfter& mayCutAfter) {
  const std::string_view bytes(window, input.readAt(window, kCutWindow, at));
  for (std::size_t feed = bytes.find('\n'); feed != std::string_view::npos;) {
    const std::size_t next = bytes.find('\n', feed + 1);
    if (next == std::string_view::npos) break;
    if (mayCutAfter(bytes.substr(feed + 1, next - feed - 1))) return at + next + 1;
    feed = next;
  }
  return kToTheEnd;
}

// Raises unless the byte before `start` is still the line feed the piece was cut after: a file
// rewritten while it is read would otherwise be taken up from the middle of a line.
void startsALine(SeekableSource& input, std::uint64_t start);

// The error of a file that was found changed while it was read.
[[noreturn]] void changedWhileRead(const SeekableSource& input);

}  // namespace wqnprep
