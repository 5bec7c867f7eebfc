#include "app/preprocess.h"

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "symbols/stream_substituter.h"
#include "symbols/substitute_line.h"

namespace wqnprep {
namespace {

constexpr std::size_t kBlockSize = std::size_t{128} * 1024;

// Hands out the input one line at a time, without its line feed.
class LineReader {
 public:
  explicit LineReader(InputFile& input) : input_(input) {}

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
  InputFile& input_;
  std::array<char, std::size_t{64} * 1024> buffer_{};
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
};

}  // namespace

void preprocess(InputFile& input, OutputFile& output, FindingScanner* findings) {
  StreamSubstituter substituter;
  // Room for a block and the few bytes held back from the previous one.
  std::vector<char> in(kBlockSize + substituter.heldBackLimit());
  std::vector<char> out(substituter.outputCapacity(in.size()));
  std::size_t held = 0;
  for (;;) {
    const std::size_t got = input.read(in.data() + held, kBlockSize);
    const std::size_t size = held + got;
    if (findings != nullptr) {
      if (got == 0) {
        findings->finish();
      } else {
        findings->scan(in.data() + held, got);
      }
    }
    char* written = out.data();
    const std::size_t consumed = substituter.substitute(in.data(), size, got == 0, written);
    output.write(out.data(), static_cast<std::size_t>(written - out.data()));
    if (got == 0) return;
    held = size - consumed;
    std::memmove(in.data(), in.data() + consumed, held);
  }
}

void preprocessLineByLine(InputFile& input, OutputFile& output) {
  LineReader reader(input);
  std::string line;
  while (reader.next(line)) {
    substituteLine(line);
    line.push_back('\n');
    output.write(line.data(), line.size());
  }
}

}  // namespace wqnprep
