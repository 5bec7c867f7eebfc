// An open document as the editor has it: UTF-8 text, its line starts, and positions as the
// protocol gives them (a line and UTF-16 code units into it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wqnprep::lsp {

struct Position {
  std::uint64_t line = 0;
  std::uint64_t character = 0;  // UTF-16 code units from the line's start
};

struct Range {
  Position start;
  Position end;
};

class TextDocument {
 public:
  explicit TextDocument(std::string text = {});

  const std::string& text() const { return text_; }
  std::size_t lineCount() const { return lineStarts_.size(); }
  // Line `line` without its line end (LF or CR LF); empty past the last line.
  std::string_view line(std::uint64_t line) const;
  // The byte offset of `position`: past the line's end it is the line's end, past the last
  // line the text's end, and within a character beyond U+FFFF its start.
  std::size_t offsetOf(Position position) const;
  // The position of byte `offset` of line `line`.
  Position positionAt(std::uint64_t line, std::size_t offset) const;

  // Replaces `range` by `text`, as an incremental change does. Only the lines from the change
  // on are looked at again; the bytes after it move once.
  void replace(const Range& range, std::string_view text);

 private:
  std::string text_;
  std::vector<std::size_t> lineStarts_;  // of every line; the first is 0
};

// The UTF-16 code units of the UTF-8 `text`: a byte that begins no character counts none.
std::uint64_t utf16Length(std::string_view text);

}  // namespace wqnprep::lsp
