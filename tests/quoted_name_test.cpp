// Names in messages: as they are, or quoted the shell's way when they hold control characters.
#include "text/quoted_name.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#if !defined(_WIN32)
#include "failed_run.h"
#endif

namespace wqnprep {
namespace {

using namespace std::string_literals;

struct NameCase {
  std::string name;
  std::string printable;
};

void PrintTo(const NameCase& c, std::ostream* out) {
  *out << c.printable;
}

class PrintableName : public ::testing::TestWithParam<NameCase> {};

TEST_P(PrintableName, IsTheNameOrItsShellQuoting) {
  EXPECT_EQ(printableName(GetParam().name), GetParam().printable);
}

// A name that needs no quoting is printed between single quotes; any other brings its own.
TEST_P(PrintableName, IsQuotedOnceInMessages) {
  const std::string& printable = GetParam().printable;
  EXPECT_EQ(quotedName(GetParam().name),
            printable == GetParam().name ? "'" + printable + "'" : printable);
}

#if !defined(_WIN32)  // it starts bash, which Windows lacks
// The quoting is the shell's: pasted into bash, it gives the name back.
TEST_P(PrintableName, GivesTheNameBackInTheShell) {
  if (printableName(GetParam().name) == GetParam().name) return;
  const testing::ProgramResult result =
      testing::runProgram("/bin/bash", {"bash", "-c", "printf %s " + GetParam().printable});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, GetParam().name);
}
#endif

INSTANTIATE_TEST_SUITE_P(
    Names, PrintableName,
    ::testing::Values(NameCase{"out.sql", "out.sql"}, NameCase{"", ""},
                      NameCase{"it's here/é.sql", "it's here/é.sql"},
                      NameCase{"<stdout>", "<stdout>"}, NameCase{"a\nb", "'a'$'\\n''b'"},
                      NameCase{"\n", "$'\\n'"}, NameCase{"a\n\tb\r", "'a'$'\\n\\t''b'$'\\r'"},
                      NameCase{"it's\n", "'it'\\''s'$'\\n'"},
                      NameCase{"\x1b[1m\x7f\x01", "$'\\033''[1m'$'\\177\\001'"},
                      NameCase{"\a\b\v\f", "$'\\a\\b\\v\\f'"}));

}  // namespace
}  // namespace wqnprep

// Through the program, messages stay one line whatever the names hold. POSIX only: Windows file
// names hold no control characters, and the messages end with POSIX error texts.
#if !defined(_WIN32)
namespace wqnprep::testing {
namespace {

struct MessageCase {
  const char* label;
  std::vector<std::string> args;  // relative to the scratch folder, which holds in.sql
  std::string lastLine;           // the last line of standard error
};

void PrintTo(const MessageCase& c, std::ostream* out) {
  *out << c.label;
}

class NamesInMessages : public ::testing::TestWithParam<MessageCase> {};

TEST_P(NamesInMessages, AreQuotedWhenTheyHoldControlCharacters) {
  ScratchDir dir;
  writeFile(dir.file("in.sql"), kScript);
  writeFile(dir.file("unknown\x1b.sql"), kUnknownScript);
  writeFile(dir.file("x\ny.sql"), kScript);
  const ProgramResult result = runWqnprep(GetParam().args, "/dev/null", dir.path());
  EXPECT_EQ(result.status, 1);
  ASSERT_THAT(result.err, ::testing::EndsWith("\n"));
  const std::string lines = result.err.substr(0, result.err.size() - 1);
  EXPECT_EQ(lines.substr(lines.find_last_of('\n') + 1), GetParam().lastLine);
  EXPECT_EQ(result.out, "");
}

// A finding names its file as the summary does, so that FILE:LINE:COLUMN stays one line.
TEST(NamesInMessages, AreQuotedInFindings) {
  ScratchDir dir;
  writeFile(dir.file("unknown\x1b.sql"), kUnknownScript);
  const ProgramResult result =
      runWqnprep({"--warn-unknown", "unknown\x1b.sql", "out.sql"}, "/dev/null", dir.path());
  EXPECT_EQ(result.status, 0);
  EXPECT_THAT(result.err, ::testing::StartsWith("'unknown'$'\\033''.sql':2:1: warning: "));
}

INSTANTIATE_TEST_SUITE_P(
    Names, NamesInMessages,
    ::testing::Values(
        MessageCase{"LineFeed",
                    {"a\nb", "out.sql"},
                    "Error: cannot open input 'a'$'\\n''b': No such file or directory"},
        MessageCase{"TabAndQuote",
                    {"in.sql", "it's\tdir/out.sql"},
                    "Error: cannot open output 'it'\\''s'$'\\t''dir/out.sql': No such file or "
                    "directory"},
        MessageCase{"SameFile",
                    {"x\ny.sql", "./x\ny.sql"},
                    "Error: output './x'$'\\n''y.sql' is the input file 'x'$'\\n''y.sql'; refusing "
                    "to overwrite it"},
        MessageCase{"StrictSummary",
                    {"--strict", "unknown\x1b.sql", "o\rut.sql"},
                    "Error: 1 finding in 'unknown'$'\\033''.sql'; 'o'$'\\r''ut.sql' was "
                    "not written"},
        // An empty name is refused before the input is read (reading this one would fail).
        MessageCase{"EmptyOutputUnderStrict",
                    {"--strict", "/proc/self/mem", ""},
                    "Error: cannot open output '': No such file or directory"}),
    [](const ::testing::TestParamInfo<MessageCase>& info) { return info.param.label; });

}  // namespace
}  // namespace wqnprep::testing
#endif
