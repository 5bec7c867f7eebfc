// A large input that never waits is read ahead and its output written behind, on threads of their
// own, or, from a file read at offsets, cut into pieces that two threads take in turn: the output
// and the findings are those of the plain loop, and a read or write that fails ends the run with
// its error, everything before it written, never a hang.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "random_scripts.h"
#include "stream_feeder.h"
#include "symbols/substitute_line.h"

namespace wqnprep {
namespace {

// About 4.5 MB of lines of tokens and near misses, a few pieces; in the second of them, a
// megabyte of placeholders, whose output is more than a thread holds back.
const std::string& largeScript() {
  static const std::string script = [] {
    std::mt19937 random(20261209);
    std::string text;
    while (text.size() < 4'500'000) {
      text += testing::scriptOfTokensAndNearMisses(random) + "\n";
      if (text.size() > 1'100'000 && text.size() < 2'100'000) {
        while (text.size() < 2'100'000) text += "WQNGlobalScopeGUID,WQNGlobalScopeGUID\n";
      }
    }
    return text;
  }();
  return script;
}

// Where a read and a write fail, as a share of the input and of the output; 1 for never.
struct Row {
  const char* label;
  double readFailsAt;
  double writeFailsAt;
  const char* error;  // empty for a clean run
};

std::size_t at(double share, std::size_t size) {
  return share >= 1 ? SIZE_MAX : static_cast<std::size_t>(share * static_cast<double>(size));
}

void PrintTo(const Row& row, std::ostream* out) {
  *out << row.label;
}

class LargeFileLoop : public ::testing::TestWithParam<Row> {};

void expectBytesUpToTheFirstFailure(const Row& row, const std::string& input,
                                    const std::string& expected, const testing::FileFaults& faults,
                                    const testing::StreamRun& run) {
  EXPECT_FALSE(run.heldTooMuch);
  EXPECT_EQ(run.error, row.error);
  ASSERT_LE(run.output.size(), expected.size());
  EXPECT_EQ(run.output, expected.substr(0, run.output.size()));
  EXPECT_LE(run.output.size(), faults.writeFailsAt) << "written to after a write failed";
  if (faults.readFailsAt == SIZE_MAX && faults.writeFailsAt == SIZE_MAX) {
    EXPECT_EQ(run.output.size(), expected.size());
  } else if (faults.writeFailsAt == SIZE_MAX) {
    // Every line read before the failure is written: as many line feeds as it holds.
    const auto lines = std::count(input.begin(), input.begin() + faults.readFailsAt, '\n');
    EXPECT_GE(std::count(run.output.begin(), run.output.end(), '\n'), lines);
  }
}

TEST_P(LargeFileLoop, GivesThePlainLoopsBytesUpToTheFirstFailure) {
  const Row& row = GetParam();
  const std::string& input = largeScript();
  static const std::string expected = substituteText(input);
  const testing::FileFaults faults{at(row.readFailsAt, input.size()),
                                   at(row.writeFailsAt, expected.size())};
  {
    SCOPED_TRACE("read ahead");
    const testing::StreamRun run = testing::streamFromFile(input, faults, true);
    expectBytesUpToTheFirstFailure(row, input, expected, faults, run);
    if (run.error.empty()) {
      EXPECT_EQ(run.findings, testing::streamInPieces(input, {4096}, true).findings);
    }
  }
  SCOPED_TRACE("in pieces");
  expectBytesUpToTheFirstFailure(row, input, expected, faults,
                                 testing::streamFromFileInPieces(input, faults));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, LargeFileLoop,
    ::testing::Values(Row{"Clean", 1, 1, ""},
                      Row{"ReadFailsAfterSomeBlocks", 0.6, 1, "read failed"},
                      Row{"WriteFailsAfterSomeBlocks", 1, 0.4, "write failed"},
                      Row{"WriteFailsBeforeALaterReadDoes", 0.6, 0.2, "write failed"},
                      Row{"WriteFailsAtTheLastBlock", 1, 0.99, "write failed"}),
    [](const ::testing::TestParamInfo<Row>& info) { return info.param.label; });

}  // namespace
}  // namespace wqnprep
