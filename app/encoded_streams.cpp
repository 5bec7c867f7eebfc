#include "app/encoded_streams.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "os/file.h"
#include "text/quoted_name.h"

namespace wqnprep {

TextInput::TextInput(ByteSource& raw, std::size_t firstRead)
    : raw_(raw), held_(firstRead), capacity_(firstRead) {
  std::optional<ByteOrderMark> mark;
  while (!mark) {
    const std::size_t got = raw_.read(held_.get() + to_, capacity_ - to_);
    ended_ = got == 0;
    to_ += got;
    mark = byteOrderMarkOf(std::string_view(held_.get(), to_), ended_);
  }
  mark_ = *mark;
  if (mark_ == ByteOrderMark::kUtf32Le || mark_ == ByteOrderMark::kUtf32Be) {
    throw std::runtime_error("cannot read input " + quotedName(name()) + ": it is " +
                             encodingName(mark_) + " (it begins with the byte-order mark " +
                             markBytes(mark_) +
                             "), which wqnprep does not read; convert it to UTF-8 first (iconv "
                             "-f UTF-32 -t UTF-8)");
  }
  if (mark_ == ByteOrderMark::kNone) return;
  decoder_.emplace(mark_ == ByteOrderMark::kUtf16Be);
  // UTF-16 is read in the largest blocks, each decoded whole before any of it is handed on.
  SpareBytes larger(os::kBlockSize);
  std::memcpy(larger.get(), held_.get(), to_);
  held_ = std::move(larger);
  capacity_ = os::kBlockSize;
  decoded_ = SpareBytes(Utf16Decoder::outputCapacity(capacity_));
  readToEndOfBlock();
  decodeHeld();
}

std::size_t TextInput::read(char* buffer, std::size_t size) {
  if (decoder_) {
    while (from_ == decodedTo_) {
      if (ended_) return 0;
      to_ = raw_.read(held_.get(), capacity_);
      ended_ = to_ == 0;
      readToEndOfBlock();
      decodeHeld();
    }
    return handOn(decoded_.get(), decodedTo_, buffer, size);
  }
  if (from_ < to_) return handOn(held_.get(), to_, buffer, size);
  return ended_ ? 0 : raw_.read(buffer, size);
}

std::size_t TextInput::handOn(const char* bytes, std::size_t end, char* buffer, std::size_t size) {
  const std::size_t given = std::min(size, end - from_);
  std::memcpy(buffer, bytes + from_, given);
  from_ += given;
  return given;
}

// From a file that never waits, a block is read until it is full or the file ends, so that the
// last block is known to be the last when it is decoded.
void TextInput::readToEndOfBlock() {
  while (!ended_ && to_ < capacity_ && raw_.readsNeverWait()) {
    const std::size_t got = raw_.read(held_.get() + to_, capacity_ - to_);
    ended_ = got == 0;
    to_ += got;
  }
}

// The block read, decoded whole: a fault in it raises before any of it is handed on.
void TextInput::decodeHeld() {
  try {
    decodedTo_ = decoder_->decode(held_.get(), to_, decoded_.get());
    if (ended_) decoder_->finish();
  } catch (const UndecodableUtf16& fault) {
    refuseUndecodable(fault);
  }
  from_ = 0;
  to_ = 0;
}

void TextInput::refuseUndecodable(const UndecodableUtf16& fault) const {
  const std::string encoding = encodingName(mark_);
  throw std::runtime_error("cannot read input " + quotedName(name()) + ": it begins with a " +
                           encoding + " byte-order mark but does not decode as " + encoding + ": " +
                           fault.what() +
                           "; mend the file there, or if it is not UTF-16, convert it to UTF-8 "
                           "from its own encoding (iconv -f ENCODING -t UTF-8)");
}

void Utf16Output::write(const char* data, std::size_t size) {
  const std::size_t needed = Utf16Encoder::outputCapacity(size);
  if (needed > capacity_) {
    buffer_ = std::make_unique_for_overwrite<char[]>(needed);
    capacity_ = needed;
  }
  output_.write(buffer_.get(), encoder_.encode(data, size, buffer_.get()));
}

void Utf16Output::finish() const {
  if (!encoder_.complete()) throw std::logic_error("the output ended inside a character");
}

}  // namespace wqnprep
