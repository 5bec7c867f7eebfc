#include "lsp/message_reader.h"

#include <charconv>

namespace wqnprep::lsp {
namespace {

constexpr std::string_view kHeaderEnd = "\r\n\r\n";
constexpr std::string_view kLengthField = "Content-Length:";
// A header longer than this, still without its end, is no header.
constexpr std::size_t kLongestHeader = 4096;

bool equalIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The body length the header's lines give, or why there is none.
std::optional<std::size_t> bodyLength(std::string_view header, std::string& problem) {
  std::optional<std::size_t> length;
  while (!header.empty()) {
    const std::size_t lineEnd = std::min(header.find("\r\n"), header.size());
    const std::string_view line = header.substr(0, lineEnd);
    header.remove_prefix(std::min(lineEnd + 2, header.size()));
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0) {
      problem = "a header line without a name and a colon";
      return std::nullopt;
    }
    if (!equalIgnoringCase(line.substr(0, colon + 1), kLengthField)) continue;
    const std::string_view value = trimmed(line.substr(colon + 1));
    std::size_t parsed = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), parsed);
    if (value.empty() || error != std::errc() || end != value.data() + value.size()) {
      problem = "Content-Length is not a number";
      return std::nullopt;
    }
    if (parsed > MessageReader::kLargestBody) {
      problem = "Content-Length is over " + std::to_string(MessageReader::kLargestBody);
      return std::nullopt;
    }
    length = parsed;
  }
  if (!length) problem = "no Content-Length";
  return length;
}

}  // namespace

std::optional<Framed> MessageReader::next() {
  if (skipping_ && !findNextHeader()) return std::nullopt;
  if (start_ == buffer_.size()) {
    buffer_.clear();
    start_ = 0;
    return std::nullopt;
  }
  const std::size_t headerEnd = buffer_.find(kHeaderEnd, start_);
  // Judged the same however the bytes arrive: an end past the limit is never waited for.
  if (headerEnd == std::string::npos ? buffer_.size() - start_ > kLongestHeader + kHeaderEnd.size()
                                     : headerEnd - start_ > kLongestHeader) {
    skipFrom(start_ + 1);
    return Framed{Framed::Kind::kBadHeader, "a header without its end"};
  }
  if (headerEnd == std::string::npos) return std::nullopt;
  std::string problem;
  const std::string_view header(buffer_.data() + start_, headerEnd - start_);
  const std::optional<std::size_t> length = bodyLength(header, problem);
  if (!length) {
    skipFrom(start_ + 1);
    return Framed{Framed::Kind::kBadHeader, problem};
  }
  const std::size_t bodyStart = headerEnd + kHeaderEnd.size();
  if (buffer_.size() - bodyStart < *length) return std::nullopt;
  Framed message{Framed::Kind::kMessage, buffer_.substr(bodyStart, *length)};
  start_ = bodyStart + *length;
  // What was taken goes once it is most of the buffer, so a long session holds only what waits.
  if (start_ > buffer_.size() / 2) {
    buffer_.erase(0, start_);
    start_ = 0;
  }
  return message;
}

void MessageReader::skipFrom(std::size_t from) {
  start_ = from;
  skipping_ = true;
}

bool MessageReader::findNextHeader() {
  // Case as most clients write it; a client that writes another case and also sends bad headers
  // loses the message after the bad one.
  const std::size_t found = buffer_.find(kLengthField, start_);
  if (found != std::string::npos) {
    start_ = found;
    skipping_ = false;
    return true;
  }
  // Keep a tail that may be the start of the field, cut by the read.
  const std::size_t keep = std::min(kLengthField.size() - 1, buffer_.size() - start_);
  buffer_.erase(0, buffer_.size() - keep);
  start_ = 0;
  return false;
}

std::string framed(std::string_view body) {
  std::string message = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  message += body;
  return message;
}

}  // namespace wqnprep::lsp
