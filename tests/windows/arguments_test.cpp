// How the Windows entry reads its command line: arguments that are not UTF-16 are refused, the
// command line is split as the C runtime splits it, and wildcards match as in a shell. Which
// arguments are expanded, as cmd passes them, end_to_end.sh shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "os/entry.h"
#include "os/windows_arguments.h"
#include "test_files.h"

namespace wqnprep::testing {
namespace {

struct Seen {
  bool refused = false;
  std::vector<std::string> arguments;
};
Seen seen;

std::vector<bool> noPaths(int argc, char* /*argv*/[]) {
  return std::vector<bool>(static_cast<std::size_t>(argc), false);
}

int refuse(const std::string& /*programPath*/, const std::string& /*reason*/) {
  seen.refused = true;
  return 2;
}

int run(int argc, char* argv[]) {
  seen.arguments.assign(argv + 1, argv + argc);
  return 0;
}

struct Conversion {
  std::wstring argument;
  int status;
  std::string utf8;  // what the program gets, when it runs
};

class Arguments : public ::testing::TestWithParam<Conversion> {};

// A surrogate without its partner is no character: replaced, it would name another file.
TEST_P(Arguments, ThatAreNotUtf16AreRefused) {
  seen = {};
  std::wstring program = L"wqnprep.exe";
  std::wstring argument = GetParam().argument;
  wchar_t* argv[] = {program.data(), argument.data(), nullptr};
  EXPECT_EQ(os::runWithUtf8Arguments(2, argv, {noPaths, refuse, run}), GetParam().status);
  EXPECT_EQ(seen.refused, GetParam().status == 2);
  if (!seen.refused) {
    EXPECT_EQ(seen.arguments, std::vector<std::string>{GetParam().utf8});
  }
}

INSTANTIATE_TEST_SUITE_P(
    Utf16, Arguments,
    ::testing::Values(Conversion{L"a\xD800.sql", 2, ""}, Conversion{L"a\xDC00.sql", 2, ""},
                      Conversion{L"a.sql\xD83D", 2, ""},
                      Conversion{L"\xD83D\xDE00.sql", 0, "\xF0\x9F\x98\x80.sql"}));

struct Split {
  std::wstring line;
  std::vector<os::windows::TypedArgument> arguments;
};

class CommandLine : public ::testing::TestWithParam<Split> {};

TEST_P(CommandLine, IsSplitAsTheRuntimeSplitsIt) {
  const std::vector<os::windows::TypedArgument> split =
      os::windows::splitCommandLine(GetParam().line);
  ASSERT_EQ(split.size(), GetParam().arguments.size());
  for (std::size_t i = 0; i < split.size(); ++i) {
    EXPECT_EQ(split[i].text, GetParam().arguments[i].text) << i;
    EXPECT_EQ(split[i].quoted, GetParam().arguments[i].quoted) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, CommandLine,
    ::testing::Values(
        Split{L"p a\t \"b c\" d", {{L"p", false}, {L"a", false}, {L"b c", true}, {L"d", false}}},
        Split{L"\"C:\\My Tools\\p.exe\" *.sql",
              {{L"C:\\My Tools\\p.exe", true}, {L"*.sql", false}}},
        Split{L"p sql\"\\*\".sql", {{L"p", false}, {L"sql\\*.sql", true}}},
        Split{L"p a\\\"*.sql", {{L"p", false}, {L"a\"*.sql", false}}},
        Split{L"p \"a\\\\\" b\\\\", {{L"p", false}, {L"a\\", true}, {L"b\\\\", false}}},
        Split{L"p \"a\"\"b\" \"\"", {{L"p", false}, {L"a\"b", true}, {L"", true}}}));

struct Match {
  std::string pattern;  // in the scratch folder
  std::vector<std::string> paths;
};

class Wildcards : public ::testing::TestWithParam<Match> {};

TEST_P(Wildcards, MatchAsInAShell) {
  ScratchDir dir;
  for (const char* folder : {"sub", "sub2", "sub.sql"}) makeFolder(dir.file(folder));
  for (const char* file : {"b.sql", "B2.sql", "A.sql", "c.SQL", "a.sqlite", ".hidden.sql",
                           "sub/x.sql", "sub2/y.sql", "sub2/x.txt"}) {
    writeFile(dir.file(file), "x\n");
  }
  std::vector<std::string> expected;
  for (const std::string& path : GetParam().paths) expected.push_back(dir.file(path));
  EXPECT_EQ(os::windows::matchingPaths(dir.file(GetParam().pattern)), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, Wildcards,
    ::testing::Values(Match{"*.sql", {"A.sql", "B2.sql", "b.sql", "c.SQL", "sub.sql"}},
                      Match{"?.sql", {"A.sql", "b.sql", "c.SQL"}}, Match{".*.sql", {".hidden.sql"}},
                      Match{"s*/x.*", {"sub/x.sql", "sub2/x.txt"}},
                      Match{"sub?\\*.sql", {"sub2\\y.sql"}},
                      Match{"s*\\", {"sub.sql\\", "sub\\", "sub2\\"}}, Match{"none*.sql", {}},
                      Match{"A.sql", {}}));

}  // namespace
}  // namespace wqnprep::testing
