#include "stream_feeder.h"

#include <algorithm>
#include <stdexcept>

#include "app/preprocess.h"
#include "app/preprocess_pieces.h"
#include "findings/finding_scanner.h"

namespace wqnprep::testing {
namespace {

class MemorySink : public ByteSink {
 public:
  void write(const char* data, std::size_t size) override {
    text.append(data, size);
    lineFeeds += static_cast<std::size_t>(std::count(data, data + size, '\n'));
  }
  std::string text;
  std::size_t lineFeeds = 0;
};

// Each read hands out the next piece; by then, every line handed out before must be written.
class PieceSource : public ByteSource {
 public:
  PieceSource(const std::string& text, const std::vector<std::size_t>& pieces,
              const MemorySink& sink)
      : text_(text), pieces_(pieces), sink_(sink) {}

  std::size_t read(char* buffer, std::size_t size) override {
    heldALineFeed = heldALineFeed || sink_.lineFeeds < lineFeeds_;
    const std::size_t piece = std::max<std::size_t>(pieces_[next_++ % pieces_.size()], 1);
    const std::size_t take = std::min({piece, size, text_.size() - offset_});
    std::copy_n(text_.data() + offset_, take, buffer);
    lineFeeds_ += static_cast<std::size_t>(std::count(buffer, buffer + take, '\n'));
    offset_ += take;
    return take;
  }
  const std::string& name() const override { return name_; }
  bool heldALineFeed = false;

 private:
  const std::string& text_;
  const std::vector<std::size_t>& pieces_;
  const MemorySink& sink_;
  std::string name_ = "<memory>";
  std::size_t next_ = 0;
  std::size_t offset_ = 0;
  std::size_t lineFeeds_ = 0;
};

// A regular file: full reads, never waiting; the first read at or past `failAt` raises.
class FileSource : public SeekableSource {
 public:
  FileSource(const std::string& text, std::size_t failAt) : text_(text), failAt_(failAt) {}

  std::size_t read(char* buffer, std::size_t size) override {
    const std::size_t took = readAt(buffer, size, offset_);
    offset_ += took;
    return took;
  }
  std::size_t readAt(char* buffer, std::size_t size, std::uint64_t offset) override {
    if (offset >= failAt_) throw std::runtime_error("read failed");
    const auto from = static_cast<std::size_t>(std::min<std::uint64_t>(offset, text_.size()));
    const std::size_t take = std::min({size, text_.size() - from, failAt_ - from});
    std::copy_n(text_.data() + from, take, buffer);
    return take;
  }
  std::uint64_t size() const override { return text_.size(); }
  const std::string& name() const override { return name_; }
  bool readsNeverWait() const override { return true; }

 private:
  const std::string& text_;
  std::size_t failAt_;
  std::string name_ = "<file>";
  std::size_t offset_ = 0;
};

// Raises on the write that would take it past `failAt` bytes, and takes those after it: a loop
// that writes again after a write failed shows.
class FailingSink : public MemorySink {
 public:
  explicit FailingSink(std::size_t failAt) : failAt_(failAt) {}
  void write(const char* data, std::size_t size) override {
    if (text.size() + size > failAt_) {
      failAt_ = SIZE_MAX;
      throw std::runtime_error("write failed");
    }
    MemorySink::write(data, size);
  }

 private:
  std::size_t failAt_;
};

FindingScanner scannerInto(StreamRun& run, ColumnUnit unit) {
  return FindingScanner(
      [&run](const Finding& finding) { run.findings.push_back(findingText(finding)); },
      kAllFindingKinds, unit);
}

// Runs `loop`, noting how it ends in `run`.
template <typename Loop>
void runInto(StreamRun& run, const Loop& loop) {
  try {
    loop();
  } catch (const std::logic_error&) {
    run.heldTooMuch = true;
  } catch (const std::runtime_error& error) {
    run.error = error.what();
  }
}

}  // namespace

std::string findingText(const Finding& finding) {
  return std::to_string(finding.line) + ":" + std::to_string(finding.column) + " [" +
         std::string(findingKindName(finding.kind)) + "] " + finding.message;
}

StreamRun streamInPieces(const std::string& input, const std::vector<std::size_t>& pieces,
                         FindingScanner* findings) {
  StreamRun run;
  MemorySink sink;
  PieceSource source(input, pieces, sink);
  runInto(run, [&] { preprocess(source, sink, findings); });
  run.output = std::move(sink.text);
  run.heldALineFeed = source.heldALineFeed;
  return run;
}

StreamRun streamInPieces(const std::string& input, const std::vector<std::size_t>& pieces,
                         bool reportFindings, ColumnUnit unit) {
  std::vector<std::string> found;
  FindingScanner findings(
      [&found](const Finding& finding) { found.push_back(findingText(finding)); }, kAllFindingKinds,
      unit);
  StreamRun run = streamInPieces(input, pieces, reportFindings ? &findings : nullptr);
  run.findings = std::move(found);
  return run;
}

StreamRun streamFromFile(const std::string& input, FileFaults faults, bool reportFindings) {
  StreamRun run;
  FindingScanner findings = scannerInto(run, ColumnUnit::kDisplay);
  FailingSink sink(faults.writeFailsAt);
  FileSource source(input, faults.readFailsAt);
  runInto(run, [&] { preprocess(source, sink, reportFindings ? &findings : nullptr); });
  run.output = std::move(sink.text);
  return run;
}

StreamRun streamFromFileInPieces(const std::string& input, FileFaults faults,
                                 std::uint64_t pieceSize, bool twoThreads) {
  StreamRun run;
  FailingSink sink(faults.writeFailsAt);
  FileSource source(input, faults.readFailsAt);
  runInto(run, [&] { preprocessInPieces(source, sink, pieceSize, twoThreads); });
  run.output = std::move(sink.text);
  return run;
}

}  // namespace wqnprep::testing
