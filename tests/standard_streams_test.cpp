// The standard streams end to end, on every system: "-" for either, through files and pipes,
// every byte as it is, each line out before the next comes in, and a standard output that is the
// input refused.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "expected_text.h"
#include "run_program.h"

namespace wqnprep::testing {
namespace {

std::string allByteValues() {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  return bytes;
}

struct StreamCase {
  const char* label;
  bool pipes;                     // standard input and output are pipes, or else files
  std::vector<std::string> args;  // run in a folder whose in.sql holds `input` too
  std::string input;              // what standard input holds
  int status;
  std::string out;
  std::string err;
  std::optional<std::string> written;  // what out.sql holds, if the run writes one
};

void PrintTo(const StreamCase& c, std::ostream* out) {
  *out << c.label;
}

class StandardStreams : public ::testing::TestWithParam<StreamCase> {};

TEST_P(StandardStreams, CarryExactlyTheRunsBytes) {
  const StreamCase& c = GetParam();
  ScratchDir dir;
  writeFile(dir.file("in.sql"), c.input);
  ProgramResult result;
  if (c.pipes) {
    result = runWqnprepThroughPipes(c.args, c.input, dir.path());
  } else {
    writeFile(dir.file("stdin"), c.input);
    result = runWqnprep(c.args, dir.file("stdin"), dir.path());
  }
  EXPECT_EQ(result.status, c.status);
  EXPECT_TRUE(result.out == c.out) << ::testing::PrintToString(result.out);
  EXPECT_EQ(result.err, c.err);
  if (c.written) {
    EXPECT_EQ(readFile(dir.file("out.sql")), *c.written);
  } else {
    EXPECT_FALSE(fileExists(dir.file("out.sql")));
  }
}

std::string streamCaseName(const ::testing::TestParamInfo<StreamCase>& info) {
  return info.param.label;
}

INSTANTIATE_TEST_SUITE_P(
    Dashes, StandardStreams,
    ::testing::Values(
        StreamCase{"EveryByteValue",
                   false,
                   {"-", "-"},
                   allByteValues(),
                   0,
                   allByteValues() + "\n",
                   "",
                   {}},
        StreamCase{"FileOntoStandardOutput",
                   false,
                   {"in.sql", "-"},
                   "WQNEnvStatusID::ENV_STAT_DOWN\r\n",
                   0,
                   "3\r\n",
                   "",
                   {}},
        StreamCase{"ThroughPipes",
                   true,
                   {"-", "-"},
                   "x WQNRuleID::applicableForHNs\nWQNGlobalScopeGUID",
                   0,
                   "x 2\n" + kGuid + "\n",
                   "",
                   {}},
        StreamCase{"CarriageReturnsKeptThroughPipes",
                   true,
                   {"-", "-"},
                   "a\r\nWQNRuleID::applicableForAll\r\n",
                   0,
                   "a\r\n0\r\n",
                   "",
                   {}},
        StreamCase{"PipeIntoAFile", true, {"-", "out.sql"}, "ServerType::stWins", 0, "", "", "1\n"},
        StreamCase{"FindingsNameStandardInputStdin",
                   true,
                   {"--warn-unknown", "-", "-"},
                   "WQNRuleID::zzz",
                   0,
                   "WQNRuleID::zzz\n",
                   "<stdin>:1:1: warning: unknown enumerator 'zzz' of 'WQNRuleID' "
                   "[unknown-enumerator]\n",
                   {}}),
    streamCaseName);

const std::string kNotWritten = "Error: 1 finding in '<stdin>'; '<stdout>' was not written\n";

std::string findingOnLine(int line) {
  return "<stdin>:" + std::to_string(line) +
         ":1: error: unknown enumerator 'applicableForNone' of 'WQNRuleID' "
         "[unknown-enumerator]\n";
}

// Through pipes, --strict holds everything back until the whole input is read and clean: a
// finding on the last line leaves standard output empty, clean lines before it included.
INSTANTIATE_TEST_SUITE_P(
    Strict, StandardStreams,
    ::testing::Values(StreamCase{"FindingOnTheLastLine",
                                 true,
                                 {"--strict", "-", "-"},
                                 "ServerType::stWins\r\nno token\nWQNRuleID::applicableForNone",
                                 1,
                                 "",
                                 findingOnLine(3) + kNotWritten,
                                 {}},
                      StreamCase{"FindingOnTheFirstLine",
                                 true,
                                 {"--strict", "-", "-"},
                                 "WQNRuleID::applicableForNone\nServerType::stWins\n",
                                 1,
                                 "",
                                 findingOnLine(1) + kNotWritten,
                                 {}},
                      StreamCase{"Clean",
                                 true,
                                 {"--strict", "-", "-"},
                                 "ServerType::stWins\r\nno token\nWQNRuleID::applicableForAll",
                                 0,
                                 "1\r\nno token\n0\n",
                                 "",
                                 {}},
                      StreamCase{"Empty", true, {"--strict", "-", "-"}, "", 0, "", "", {}}),
    streamCaseName);

// A line held back would leave readLine() waiting, and the tests' time limit would end the run.
TEST(Streaming, EachLineReachesStandardOutputBeforeTheNextIsSent) {
  Streams streams;
  streams.input = Streams::Connection::pipe;
  streams.output = Streams::Connection::pipe;
  RunningProgram program(wqnprepBinary(), {"wqnprep", "-", "-"}, streams);
  const char* lines[][2] = {{"WQNRuleID::applicableForAll,\n", "0,\n"},
                            {"no token\n", "no token\n"},
                            {"(ServerType::stWins)\n", "(1)\n"}};
  for (const auto& [line, out] : lines) {
    program.write(line);
    EXPECT_EQ(program.readLine(), out);
  }
  // A last line without a line feed comes out when the input ends.
  program.write("WQNRuleID::applicableForHNs");
  program.closeInput();
  EXPECT_EQ(program.readLine(), "2\n");
  const ProgramResult result = program.wait();
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
}

TEST(Paths, StandardOutputThatIsTheInputIsRefused) {
  ScratchDir dir;
  const std::string content = "WQNRuleID::applicableForAll\n";
  writeFile(dir.file("in.sql"), content);
  Streams streams;
  streams.outputFile = dir.file("in.sql");  // appended to
  streams.workingDir = dir.path();
  const ProgramResult result = runWqnprep({"in.sql", "-"}, streams);
  EXPECT_EQ(result.status, 1);
  EXPECT_THAT(result.err, ::testing::HasSubstr("is the input file"));
  EXPECT_EQ(readFile(dir.file("in.sql")), content);
}

}  // namespace
}  // namespace wqnprep::testing
