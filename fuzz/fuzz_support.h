// What the fuzzing targets share: a broken invariant aborts, texts in memory stand for files,
// and one findings pass, built once, is restarted for each input.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/byte_stream.h"
#include "findings/finding_scanner.h"
#include "stream_feeder.h"

namespace wqnprep::fuzzing {

inline void require(bool holds, const char* what) {
  if (!holds) {
    (void)std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

// A text in memory as a source: read as a regular file is (reads as large as asked, never
// waiting, rewound), or as a pipe hands it out, at most `piece` bytes a read.
class MemorySource : public ByteSource {
 public:
  static MemorySource file(const std::string& text) { return {text, SIZE_MAX, true}; }
  static MemorySource pipe(const std::string& text, std::size_t piece) {
    return {text, piece, false};
  }

  std::size_t read(char* buffer, std::size_t size) override {
    const std::size_t take = std::min({size, piece_, text_.size() - offset_});
    std::copy_n(text_.data() + offset_, take, buffer);
    offset_ += take;
    return take;
  }
  const std::string& name() const override { return name_; }
  bool readsNeverWait() const override { return file_; }
  bool rewind() override {
    if (file_) offset_ = 0;
    return file_;
  }

 private:
  MemorySource(const std::string& text, std::size_t piece, bool file)
      : text_(text), piece_(piece), file_(file) {}

  const std::string& text_;
  std::size_t piece_;
  bool file_;
  std::string name_ = "<memory>";
  std::size_t offset_ = 0;
};

class MemorySink : public ByteSink {
 public:
  void write(const char* data, std::size_t size) override { text.append(data, size); }
  std::string text;
};

// A findings pass, built once, that keeps what it reports.
class HeardFindings {
 public:
  explicit HeardFindings(const FindingKinds& kinds = kAllFindingKinds,
                         ColumnUnit unit = ColumnUnit::kDisplay)
      : scanner_([this](const Finding& finding) { heard_.push_back(finding); }, kinds, unit) {}

  // Restarted, for the next input.
  FindingScanner& fresh() {
    heard_.clear();
    scanner_.restart();
    return scanner_;
  }
  std::vector<Finding> takeFindings() { return std::exchange(heard_, {}); }
  // Each as testing::findingText.
  std::vector<std::string> take() { return texts(takeFindings()); }

  static std::vector<std::string> texts(const std::vector<Finding>& findings) {
    std::vector<std::string> texts;
    for (const Finding& finding : findings) texts.push_back(testing::findingText(finding));
    return texts;
  }

 private:
  std::vector<Finding> heard_;
  FindingScanner scanner_;
};

}  // namespace wqnprep::fuzzing
