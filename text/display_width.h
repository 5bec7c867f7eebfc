// Display columns as GCC counts them (-fdiagnostics-column-unit=display), for findings that an
// editor should land on: a tab advances to the next multiple of 8, an East Asian wide or
// fullwidth character counts 2, any other character 1, and each byte that is not part of valid
// UTF-8 counts 1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace wqnprep {

// The display width of a line whose first bytes, of width `width`, are followed by `bytes`.
std::uint64_t displayWidthAfter(std::uint64_t width, std::string_view bytes);

// The number of characters of a line whose first bytes, of `count` characters, are followed by
// `bytes`: a valid UTF-8 sequence is one, and so is each byte that is not part of one.
std::uint64_t characterCountAfter(std::uint64_t count, std::string_view bytes);

// `at`, or the first byte of the valid UTF-8 sequence of `text` that `at` would cut, so that
// the width of text up to the result and of the text after it add up to the whole.
std::size_t characterBoundary(std::string_view text, std::size_t at);

}  // namespace wqnprep
