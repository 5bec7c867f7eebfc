// Scripts saved as UTF-16 with a byte-order mark, end to end in every mode, on every system:
// processed in their encoding and written back in it, or refused with the output left as it was.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "run_program.h"
#include "utf16_text.h"

namespace wqnprep::testing {
namespace {

const std::string kPreviousOutput = "previous output\n";
const std::string kUnknownOnLineOne =
    le(u"\uFEFFSELECT WQNRuleID::applicableForVEs, WQNRuleID::zzz\r\nkeep");
const std::string kWideThenUnknown = le(u"\uFEFF\u00E9\U0001F600 WQNRuleID::zzz\n");
const std::string kUndecodable = "Error: cannot read input 'in.sql': it begins with a UTF-16LE ";

// The finding of WQNRuleID::zzz on the first line of in.sql.
std::string finding(const std::string& severity, int column = 37) {
  return "in.sql:1:" + std::to_string(column) + ": " + severity +
         ": unknown enumerator 'zzz' of 'WQNRuleID' [unknown-enumerator]\n";
}

struct Utf16Case {
  const char* label;
  std::vector<std::string> args;  // run in a folder holding in.sql, out.sql and an empty out/
  std::string input;              // in.sql, and standard input through a pipe
  int status;
  std::string err;
  const char* result;  // the file the run writes to ("-" for standard output)
  std::string written;
};

void PrintTo(const Utf16Case& c, std::ostream* out) {
  *out << c.label;
}

class Utf16Scripts : public ::testing::TestWithParam<Utf16Case> {};

TEST_P(Utf16Scripts, AreProcessedInTheirEncodingOrRefused) {
  const Utf16Case& c = GetParam();
  ScratchDir dir;
  writeFile(dir.file("in.sql"), c.input);
  writeFile(dir.file("out.sql"), kPreviousOutput);
  makeFolder(dir.file("out"));
  const ProgramResult result = runWqnprepThroughPipes(c.args, c.input, dir.path());
  EXPECT_EQ(result.status, c.status);
  EXPECT_EQ(result.err, c.err);
  const std::string written =
      std::string_view(c.result) == "-" ? result.out : readFile(dir.file(c.result));
  EXPECT_TRUE(written == c.written) << ::testing::PrintToString(written);
  EXPECT_EQ(readFile(dir.file("in.sql")), c.input);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, Utf16Scripts,
    ::testing::Values(
        Utf16Case{"WarnUnknownReplacesAndReports",
                  {"--warn-unknown", "in.sql", "out.sql"},
                  kUnknownOnLineOne,
                  0,
                  finding("warning"),
                  "out.sql",
                  le(u"\uFEFFSELECT 1, WQNRuleID::zzz\r\nkeep\n")},
        Utf16Case{"PlainBigEndianAcrossASurrogatePair",
                  {"in.sql", "out.sql"},
                  be(u"\uFEFF-- \u00E9\U0001F600\nWQNGlobalScopeGUID"),
                  0,
                  "",
                  "out.sql",
                  be(u"\uFEFF-- \u00E9\U0001F600\n8C3E7755-D5D1-2B4F-BA73-E73F13C140D6\n")},
        Utf16Case{"StrictWritesNothingOnAFinding",
                  {"--strict", "in.sql", "out.sql"},
                  kUnknownOnLineOne,
                  1,
                  finding("error") + "Error: 1 finding in 'in.sql'; 'out.sql' was not written\n",
                  "out.sql",
                  kPreviousOutput},
        Utf16Case{"CheckCountsDisplayColumnsOfTheCharacters",
                  {"--check", "in.sql"},
                  kWideThenUnknown,
                  1,
                  finding("error", 5),
                  "out.sql",
                  kPreviousOutput},
        Utf16Case{"CheckCountsByteColumnsInTheFilesOwnBytes",
                  {"--check", "--column-unit=byte", "in.sql"},
                  kWideThenUnknown,
                  1,
                  finding("error", 9),
                  "out.sql",
                  kPreviousOutput},
        Utf16Case{"OutputFolder",
                  {"-d", "out", "in.sql"},
                  le(u"\uFEFFx WQNRuleID::applicableForVEs\n"),
                  0,
                  "",
                  "out/in.sql",
                  le(u"\uFEFFx 1\n")},
        Utf16Case{"StandardStreams",
                  {"-", "-"},
                  be(u"\uFEFFServerType::stWins\r\n\u4E2D"),
                  0,
                  "",
                  "-",
                  be(u"\uFEFF1\r\n\u4E2D\n")},
        Utf16Case{"SingleByteTextBeginningWithFFIsNoByteOrderMark",
                  {"in.sql", "out.sql"},
                  "\xFFsaldo WQNRuleID::applicableForVEs\n",
                  0,
                  "",
                  "out.sql",
                  "\xFFsaldo 1\n"}),
    [](const ::testing::TestParamInfo<Utf16Case>& info) { return std::string(info.param.label); });

// A line longer than the first block, then a low surrogate alone.
const std::string kUnpairedPastTheFirstBlock = [] {
  std::string text = le(u"\uFEFF");
  text += le(std::u16string(150000, u'x'));
  text += le(u"\n");
  text.append("\0\xDC", 2);
  return text;
}();

// Refused before anything is written: the output stays as it was, with or without --strict.
INSTANTIATE_TEST_SUITE_P(
    Refusals, Utf16Scripts,
    ::testing::Values(
        Utf16Case{
            "Utf32",
            {"in.sql", "out.sql"},
            std::string("\xFF\xFE\0\0a\0\0\0\n\0\0\0", 12),
            1,
            "Error: cannot read input 'in.sql': it is UTF-32LE (it begins with the byte-order "
            "mark FF FE 00 00), which wqnprep does not read; convert it to UTF-8 first "
            "(iconv -f UTF-32 -t UTF-8)\n",
            "out.sql",
            kPreviousOutput},
        Utf16Case{"UnpairedSurrogate",
                  {"--warn-unknown", "in.sql", "out.sql"},
                  le(u"\uFEFFab") + std::string("\0\xDC", 2) + le(u"c\n"),
                  1,
                  kUndecodable +
                      "byte-order mark but does not decode as UTF-16LE: an unpaired low surrogate "
                      "at offset 6; mend the file there, or if it is not UTF-16, convert it to "
                      "UTF-8 from its own encoding (iconv -f ENCODING -t UTF-8)\n",
                  "out.sql",
                  kPreviousOutput},
        // Found in the first block read, after what the first write would hold.
        Utf16Case{"UnpairedSurrogateFarIntoTheFirstBlock",
                  {"in.sql", "out.sql"},
                  le(u"\uFEFF" + std::u16string(50000, u'x') + u"\n") + std::string("\0\xDC", 2),
                  1,
                  kUndecodable +
                      "byte-order mark but does not decode as UTF-16LE: an unpaired low surrogate "
                      "at offset 100004; mend the file there, or if it is not UTF-16, convert it "
                      "to UTF-8 from its own encoding (iconv -f ENCODING -t UTF-8)\n",
                  "out.sql",
                  kPreviousOutput},
        // Past the first block of a file, which is decoded whole before it is read again.
        Utf16Case{"UnpairedSurrogatePastTheFirstBlock",
                  {"in.sql", "out.sql"},
                  kUnpairedPastTheFirstBlock,
                  1,
                  kUndecodable +
                      "byte-order mark but does not decode as UTF-16LE: an unpaired low surrogate "
                      "at offset 300004; mend the file there, or if it is not UTF-16, convert it "
                      "to UTF-8 from its own encoding (iconv -f ENCODING -t UTF-8)\n",
                  "out.sql",
                  kPreviousOutput},
        Utf16Case{"OddByteCount",
                  {"--strict", "in.sql", "out.sql"},
                  le(u"\uFEFFabc\n") + "x",
                  1,
                  kUndecodable +
                      "byte-order mark but does not decode as UTF-16LE: an odd number of bytes, "
                      "the last at offset 10 being half a code unit; mend the file there, or if it "
                      "is not UTF-16, convert it to UTF-8 from its own encoding (iconv -f "
                      "ENCODING -t UTF-8)\n",
                  "out.sql",
                  kPreviousOutput}),
    [](const ::testing::TestParamInfo<Utf16Case>& info) { return std::string(info.param.label); });

// Decoding holds nothing back from a pipe: each line comes out before the next is sent. Big-endian,
// as a line's bytes then end with its line feed's 0A.
TEST(Utf16Streaming, EachLineReachesStandardOutputBeforeTheNextIsSent) {
  Streams streams;
  streams.input = Streams::Connection::pipe;
  streams.output = Streams::Connection::pipe;
  RunningProgram program(wqnprepBinary(), {"wqnprep", "-", "-"}, streams);
  program.write(be(u"\uFEFFWQNRuleID::applicableForAll,\n"));
  EXPECT_EQ(program.readLine(), be(u"\uFEFF0,\n"));
  program.write(be(u"\U0001F600\n"));
  EXPECT_EQ(program.readLine(), be(u"\U0001F600\n"));
  program.closeInput();
  const ProgramResult result = program.wait();
  EXPECT_EQ(result.status, 0) << result.err;
}

}  // namespace
}  // namespace wqnprep::testing
