// The framing of the language server protocol: each message is a header of "Name: value" lines,
// a blank line, and a body of exactly Content-Length bytes. Bytes arrive in pieces cut anywhere;
// a header that cannot be read is reported and skipped up to the next "Content-Length:", so that
// one bad message does not end the session.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace wqnprep::lsp {

// What next() found: a message's body, or a header that was skipped and why.
struct Framed {
  enum class Kind { kMessage, kBadHeader };
  Kind kind = Kind::kMessage;
  std::string text;  // the body, or what was wrong
};

class MessageReader {
 public:
  // Bodies above this are refused as a bad header, rather than waited for.
  static constexpr std::size_t kLargestBody = std::size_t{256} * 1024 * 1024;

  // The next `size` bytes of the stream.
  void add(const char* bytes, std::size_t size) { buffer_.append(bytes, size); }
  // The next whole message or bad header, or nothing until more bytes come.
  std::optional<Framed> next();
  // Whether bytes of an unfinished message are held: at the end of the stream, one was cut.
  bool holdsPartOfAMessage() const { return !skipping_ && start_ < buffer_.size(); }

 private:
  // Skips from `from` up to the next "Content-Length:", now or as bytes come.
  void skipFrom(std::size_t from);
  // Whether the header skipping looks for has come; the bytes before it go.
  bool findNextHeader();

  std::string buffer_;
  std::size_t start_ = 0;  // of the first byte not yet taken
  bool skipping_ = false;  // after a bad header, until the next one
};

// `body` framed for sending.
std::string framed(std::string_view body);

}  // namespace wqnprep::lsp
