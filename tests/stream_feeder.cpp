#include "stream_feeder.h"

#include <algorithm>
#include <stdexcept>

#include "app/preprocess.h"

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
  try {
    preprocess(source, sink, findings);
  } catch (const std::logic_error&) {
    run.heldTooMuch = true;
  } catch (const std::runtime_error& error) {
    run.error = error.what();
  }
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

}  // namespace wqnprep::testing
