// Large inputs, end to end: the output is exact and memory stays small whatever the size of the
// input or the length of its lines. Slow: these tests carry the CTest label "slow".
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "run_program.h"
#include "test_files.h"

namespace wqnprep::testing {
namespace {

constexpr long kMemoryLimitKiB = 8 * 1024;

// The program runs under wqnprep_measure, a small process that forks it and reports its peak
// resident memory; measured directly from this test, the figure would include the test's own.
std::vector<std::string> measured(const std::vector<std::string>& args) {
  std::vector<std::string> argv{"wqnprep_measure", "1", "/dev/stdout", WQNPREP_BINARY};
  argv.insert(argv.end(), args.begin(), args.end());
  return argv;
}

void expectSmallMemory(const ProgramResult& result) {
  const long peakKiB = std::stol(result.out.substr(result.out.find(' ') + 1));
  std::printf("peak resident memory: %ld KiB\n", peakKiB);
  ::testing::Test::RecordProperty("peak_memory_kib", std::to_string(peakKiB));
#ifdef WQNPREP_SANITIZED
  (void)kMemoryLimitKiB;  // the sanitizers' own memory says nothing about the program's
#else
  EXPECT_LE(peakKiB, kMemoryLimitKiB);
#endif
}

// Writes `count` copies of `pattern` to `fd`, in large writes.
void writeRepeated(int fd, const std::string& pattern, std::size_t count) {
  std::string block;
  const std::size_t perBlock = (1 << 20) / pattern.size();
  for (std::size_t i = 0; i < perBlock; ++i) block += pattern;
  while (count > 0) {
    const std::size_t copies = std::min(count, perBlock);
    const std::size_t bytes = copies * pattern.size();
    for (std::size_t done = 0; done < bytes;) {
      const ssize_t put = ::write(fd, block.data() + done, bytes - done);
      ASSERT_GT(put, 0);
      done += static_cast<std::size_t>(put);
    }
    count -= copies;
  }
}

// Reads `fd` to its end and checks that it holds exactly `count` copies of `pattern`, then
// `tail`.
void expectRepeated(int fd, const std::string& pattern, std::size_t count,
                    const std::string& tail) {
  std::string expected;
  const std::size_t perBlock = (1 << 20) / pattern.size();
  for (std::size_t i = 0; i < perBlock; ++i) expected += pattern;
  std::string pending;
  char buffer[1 << 16];
  std::size_t matched = 0;
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    ASSERT_GE(got, 0);
    if (got == 0) break;
    pending.append(buffer, static_cast<std::size_t>(got));
    const std::size_t whole = std::min(pending.size() / pattern.size(), count - matched);
    for (std::size_t i = 0; i < whole; i += perBlock) {
      const std::size_t copies = std::min(perBlock, whole - i);
      ASSERT_EQ(pending.compare(i * pattern.size(), copies * pattern.size(), expected, 0,
                                copies * pattern.size()),
                0)
          << "after " << matched + i << " copies";
    }
    pending.erase(0, whole * pattern.size());
    matched += whole;
  }
  EXPECT_EQ(matched, count);
  EXPECT_EQ(pending, tail);
}

TEST(LargeInput, SingleLineOf256MegabytesWithoutLineFeed) {
  ScratchDir dir;
  const std::string pattern = "WQNRuleID::applicableForAll_";
  const std::size_t size = std::size_t{256} << 20;
  const std::size_t copies = size / pattern.size();
  const std::string filler(size - copies * pattern.size(), 'x');
  {
    const int fd = ::open(dir.file("in.sql").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    writeRepeated(fd, pattern, copies);
    ASSERT_EQ(::write(fd, filler.data(), filler.size()), static_cast<ssize_t>(filler.size()));
    ::close(fd);
  }
  const ProgramResult result =
      runProgram(WQNPREP_MEASURE, measured({dir.file("in.sql"), dir.file("out.sql")}));
  ASSERT_EQ(result.status, 0) << result.err;
  const int out = ::open(dir.file("out.sql").c_str(), O_RDONLY);
  ASSERT_GE(out, 0);
  expectRepeated(out, "0_", copies, filler + "\n");
  ::close(out);
  expectSmallMemory(result);
}

TEST(LargeInput, OneGigabyteThroughPipes) {
  ScratchDir dir;
  const std::string in = dir.file("in.fifo");
  const std::string out = dir.file("out.fifo");
  ASSERT_EQ(::mkfifo(in.c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo(out.c_str(), 0600), 0);
  // 64 bytes a line, 2^24 lines: one gigabyte.
  const std::string line = "INSERT INTO t VALUES (WQNRuleID::applicableForVEs, 'abcdefgh');\n";
  const std::string replaced = "INSERT INTO t VALUES (1, 'abcdefgh');\n";
  ASSERT_EQ(line.size(), 64u);
  const std::size_t lines = std::size_t{1} << 24;

  // The writer comes first: starting the program blocks until its standard input is open.
  std::thread writer([&] {
    const int fd = ::open(in.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    writeRepeated(fd, line, lines);
    ::close(fd);
  });
  RunningProgram program(WQNPREP_MEASURE, measured({"-", out}), in);
  const int fd = ::open(out.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  expectRepeated(fd, replaced, lines, "");
  ::close(fd);
  writer.join();
  const ProgramResult result = program.wait();
  EXPECT_EQ(result.status, 0) << result.err;
  expectSmallMemory(result);
}

// A file large enough to be preprocessed in pieces on two threads gives what one pass gives, in
// little memory: lines of every length around where pieces may end, among them one longer than a
// piece, and a last line without a line feed; and a UTF-16 file, which is read in one pass.
TEST(LargeInput, PiecesOnTwoThreadsGiveWhatOnePassGives) {
  std::string lines;
  for (int line = 0; lines.size() < (std::size_t{9} << 20); ++line) {
    lines += line % 3 != 0 ? "WQNGlobalScopeGUID\n"
                           : "INSERT INTO t VALUES (WQNRuleID::applicableForVEs, 1);\r\n";
    if (line == 50000) lines += std::string(std::size_t{3} << 20, 'x') + "\n";
  }
  lines += "WQNGlobalScopeGUID";
  std::string utf16 = "\xFF\xFE";
  for (const char byte : lines.substr(0, std::size_t{5} << 20)) utf16 += {byte, '\0'};
  ScratchDir dir;
  for (const std::string& text : {lines, utf16}) {
    writeFile(dir.file("in.sql"), text);
    const ProgramResult pieces =
        runProgram(WQNPREP_MEASURE, measured({"-j2", dir.file("in.sql"), dir.file("pieces.sql")}));
    const ProgramResult onePass = runProgram(
        WQNPREP_BINARY, {WQNPREP_BINARY, "-j1", dir.file("in.sql"), dir.file("one.sql")});
    ASSERT_EQ(pieces.status, 0) << pieces.err;
    ASSERT_EQ(onePass.status, 0) << onePass.err;
    EXPECT_TRUE(readFile(dir.file("pieces.sql")) == readFile(dir.file("one.sql")));
    expectSmallMemory(pieces);
  }
}

}  // namespace
}  // namespace wqnprep::testing
