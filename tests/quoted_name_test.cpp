// Names in messages: as they are, or quoted the shell's way when they hold control characters.
#include "text/quoted_name.h"

#include <gtest/gtest.h>

#include <string>

#if !defined(_WIN32)
#include "run_program.h"
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
