// What the program writes, and when: the output keeps up with an input that arrives slowly.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "run_program.h"

namespace wqnprep::testing {
namespace {

// Waits until the file holds `expected`, for at most ten seconds.
bool eventuallyHolds(const std::string& path, const std::string& expected) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    if (fileExists(path) && readFile(path) == expected) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return false;
}

TEST(Streaming, EachLineReachesTheOutputBeforeTheNextIsSent) {
  ScratchDir dir;
  const std::string fifo = dir.file("in.fifo");
  const std::string output = dir.file("out.sql");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  RunningProgram program(WQNPREP_BINARY, {"wqnprep", fifo, output});
  const int writer = ::open(fifo.c_str(), O_WRONLY);
  ASSERT_GE(writer, 0);

  const char* lines[][2] = {{"WQNRuleID::applicableForAll,\n", "0,\n"},
                            {"no token\n", "no token\n"},
                            {"(ServerType::stWins)\n", "(1)\n"}};
  std::string expected;
  for (const auto& [line, out] : lines) {
    ASSERT_EQ(::write(writer, line, std::char_traits<char>::length(line)),
              static_cast<ssize_t>(std::char_traits<char>::length(line)));
    expected += out;
    EXPECT_TRUE(eventuallyHolds(output, expected)) << "waiting for " << out;
  }
  // A last line without a line feed comes out when the input ends.
  ASSERT_EQ(::write(writer, "WQNRuleID::applicableForHNs", 27), 27);
  ::close(writer);
  const ProgramResult result = program.wait();
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(readFile(output), expected + "2\n");
}

}  // namespace
}  // namespace wqnprep::testing
