// The text formats' lines, each as the program that reads it expects, and the names SARIF gives
// files. JSON and SARIF documents are read back by jq and checked by the SARIF validator
// (finding_documents_test.sh).
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "app/finding_documents.h"
#include "app/finding_lines.h"

namespace wqnprep {
namespace {

struct LineCase {
  const char* label;
  FindingFormat format;
  std::string file;
  std::string message;
  std::string line;
};

void PrintTo(const LineCase& c, std::ostream* out) {
  *out << c.label;
}

class FindingLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(FindingLine, IsWhatItsReaderParses) {
  const LineCase& c = GetParam();
  std::string text;
  FindingLines(c.format, c.file)
      .append(text, "warning", Finding{FindingKind::kUnknownType, 3, 7, c.message, ""});
  EXPECT_EQ(text, c.line);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FindingLine,
    ::testing::Values(
        LineCase{"Msvc", FindingFormat::kMsvc, "sql/a.sql", "unknown type 'X'",
                 "sql/a.sql(3,7): warning unknown-type: unknown type 'X'"},
        LineCase{"Github", FindingFormat::kGithub, "sql/a.sql", "unknown type 'X'",
                 "::warning file=sql/a.sql,line=3,col=7,title=unknown-type::unknown type 'X'"},
        // ':' and ',' would end the value early.
        LineCase{"GithubPathWithColonAndComma", FindingFormat::kGithub, "C:\\sql\\a,b.sql", "m",
                 "::warning file=C%3A\\sql\\a%2Cb.sql,line=3,col=7,title=unknown-type::m"},
        // A '%' would read as the start of an escape, a line break as the end of the command.
        LineCase{"GithubPercentAndLineBreaks", FindingFormat::kGithub, "50%\r\n.sql",
                 "100% 'a:b,c'\n",
                 "::warning file=50%25%0D%0A.sql,line=3,col=7,title=unknown-type::100%25 "
                 "'a:b,c'%0A"}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return info.param.label; });

struct UriCase {
  const char* label;
  std::string path;
  std::string uri;
};

void PrintTo(const UriCase& c, std::ostream* out) {
  *out << c.label;
}

class SarifUri : public ::testing::TestWithParam<UriCase> {};

TEST_P(SarifUri, IsAUriReferenceToThePath) {
  EXPECT_EQ(uriOf(GetParam().path), GetParam().uri);
}

const UriCase kUriCases[] = {
    {"RelativeStaysRelative", "sql/a b.sql", "sql/a%20b.sql"},
    // Before any '/', a ':' would make "a" a scheme.
    {"ColonPercentAndComma", "a:b,50%.sql", "a%3Ab%2C50%25.sql"},
    {"AbsoluteBecomesAFileUri", "/tmp/\xC3\xA9.sql", "file:///tmp/%C3%A9.sql"},
#if defined(_WIN32)
    {"WindowsFolders", "sub\\a.sql", "sub/a.sql"},
    {"WindowsDrive", "C:\\a b.sql", "file:///C:/a%20b.sql"},
#endif
};

INSTANTIATE_TEST_SUITE_P(Paths, SarifUri, ::testing::ValuesIn(kUriCases),
                         [](const ::testing::TestParamInfo<UriCase>& info) {
                           return info.param.label;
                         });

}  // namespace
}  // namespace wqnprep
