#include "lsp/text_document.h"

#include <algorithm>
#include <cstring>

#include "text/utf16.h"

namespace wqnprep::lsp {
namespace {

// The starts of the lines that begin within `text`, which starts at `base`: after each LF.
void addLineStarts(std::string_view text, std::size_t base, std::vector<std::size_t>& starts) {
  for (std::size_t at = text.find('\n'); at != std::string_view::npos;
       at = text.find('\n', at + 1)) {
    starts.push_back(base + at + 1);
  }
}

}  // namespace

std::uint64_t utf16Length(std::string_view text) {
  return utf16UnitCountAfter(0, text);
}

TextDocument::TextDocument(std::string text) : text_(std::move(text)), lineStarts_{0} {
  addLineStarts(text_, 0, lineStarts_);
}

std::string_view TextDocument::line(std::uint64_t line) const {
  if (line >= lineStarts_.size()) return {};
  const std::size_t start = lineStarts_[line];
  std::size_t end = line + 1 < lineStarts_.size() ? lineStarts_[line + 1] - 1 : text_.size();
  if (end > start && text_[end - 1] == '\r') --end;
  return std::string_view(text_).substr(start, end - start);
}

std::size_t TextDocument::offsetOf(Position position) const {
  if (position.line >= lineStarts_.size()) return text_.size();
  const std::string_view bytes = line(position.line);
  std::uint64_t units = 0;
  std::size_t at = 0;
  while (at < bytes.size()) {
    const auto byte = static_cast<unsigned char>(bytes[at]);
    const std::uint64_t width = (byte & 0xC0) == 0x80 ? 0 : byte >= 0xF0 ? 2 : 1;
    if (units + width > position.character) break;
    units += width;
    ++at;
  }
  // Continuation bytes belong to the character before them.
  while (at < bytes.size() && (static_cast<unsigned char>(bytes[at]) & 0xC0) == 0x80) ++at;
  return lineStarts_[position.line] + at;
}

Position TextDocument::positionAt(std::uint64_t line, std::size_t offset) const {
  return Position{line, utf16Length(this->line(line).substr(0, offset))};
}

void TextDocument::replace(const Range& range, std::string_view text) {
  const std::size_t from = offsetOf(range.start);
  const std::size_t to = std::max(from, offsetOf(range.end));
  text_.replace(from, to - from, text);
  // The lines that began within the replaced bytes go; those the new text begins come in; the
  // rest move by the change in length.
  const auto first = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), from);
  const auto last = std::upper_bound(first, lineStarts_.end(), to);
  std::vector<std::size_t> inserted;
  addLineStarts(text, from, inserted);
  const std::ptrdiff_t shift =
      static_cast<std::ptrdiff_t>(text.size()) - static_cast<std::ptrdiff_t>(to - from);
  for (auto at = last; at != lineStarts_.end(); ++at) {
    *at = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(*at) + shift);
  }
  const auto kept = lineStarts_.erase(first, last);
  lineStarts_.insert(kept, inserted.begin(), inserted.end());
}

}  // namespace wqnprep::lsp
