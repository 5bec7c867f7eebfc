#include "line_by_line.h"

#include <array>
#include <cstring>
#include <string>

#include "symbols/substitute_line.h"

namespace wqnprep {
namespace {

// Hands out the input one line at a time, without its line feed.
class LineReader {
 public:
  explicit LineReader(ByteSource& input) : input_(input) {}

  // False at end of input when no byte of a new line was read.
  bool next(std::string& line) {
    line.clear();
    for (;;) {
      if (begin_ == end_) {
        end_ = input_.read(buffer_.data(), buffer_.size());
        begin_ = 0;
        if (end_ == 0) return !line.empty();
      }
      const char* start = buffer_.data() + begin_;
      const void* feed = std::memchr(start, '\n', end_ - begin_);
      if (feed != nullptr) {
        const auto length = static_cast<std::size_t>(static_cast<const char*>(feed) - start);
        line.append(start, length);
        begin_ += length + 1;
        return true;
      }
      line.append(start, end_ - begin_);
      begin_ = end_;
    }
  }

 private:
  ByteSource& input_;
  std::array<char, std::size_t{64} * 1024> buffer_{};
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
};

}  // namespace

void preprocessLineByLine(ByteSource& input, ByteSink& output) {
  LineReader reader(input);
  std::string line;
  while (reader.next(line)) {
    substituteLine(line);
    line.push_back('\n');
    output.write(line.data(), line.size());
  }
}

}  // namespace wqnprep
