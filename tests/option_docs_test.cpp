// The option table against itself and against the two documents that describe every option:
// the manual page and the README.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <regex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/options.h"
#include "source_file.h"

namespace wqnprep::testing {
namespace {

// The item headings (".TP" and the line after it) of the manual page's OPTIONS section, with
// the roff markup taken out.
std::vector<std::string> manualOptionHeadings() {
  const std::vector<std::string> page = lines(sourceFile("/man/wqnprep.1.in"));
  std::vector<std::string> headings;
  bool inOptions = false;
  for (std::size_t i = 0; i < page.size(); ++i) {
    if (page[i].starts_with(".SH")) inOptions = page[i] == ".SH OPTIONS";
    if (!inOptions || page[i] != ".TP" || i + 1 == page.size()) continue;
    headings.push_back(roffText(page[i + 1]));
  }
  return headings;
}

// The README's section headings ("### ...").
std::vector<std::string> readmeHeadings() {
  std::vector<std::string> headings;
  for (const std::string& line : lines(sourceFile("/README.md"))) {
    if (line.starts_with("#")) headings.push_back(line);
  }
  return headings;
}

// Every long option named in the headings, without its "--"; a bare "--" is left out.
std::set<std::string> longOptionsIn(const std::vector<std::string>& headings) {
  std::set<std::string> names;
  const std::regex longOption(R"(--([a-z][a-z0-9-]*))");
  for (const std::string& heading : headings) {
    for (std::sregex_iterator it(heading.begin(), heading.end(), longOption), end; it != end;
         ++it) {
      names.insert((*it)[1]);
    }
  }
  return names;
}

bool anyMatches(const std::vector<std::string>& headings, const std::string& pattern) {
  const std::regex wanted(pattern);
  for (const std::string& heading : headings) {
    if (std::regex_search(heading, wanted)) return true;
  }
  return false;
}

// --- The table itself ------------------------------------------------------------------------

TEST(OptionTable, NamesAndShortFormsAreWellFormedAndDistinct) {
  std::set<std::string_view> names;
  std::set<char> shortNames;
  for (const OptionSpec& option : kOptions) {
    EXPECT_TRUE(std::regex_match(std::string(option.name), std::regex("[a-z][a-z0-9-]*")))
        << "'" << option.name << "' cannot be typed as --NAME or --NAME=VALUE";
    EXPECT_TRUE(names.insert(option.name).second) << "--" << option.name << " twice";
    if (option.shortName != '\0') {
      EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(option.shortName)))
          << "-" << option.shortName;
      EXPECT_TRUE(shortNames.insert(option.shortName).second)
          << "-" << option.shortName << " twice";
    }
    EXPECT_FALSE(option.help.empty()) << "--" << option.name << " has no help";
    EXPECT_FALSE(option.help.ends_with('\n')) << "--" << option.name;
  }
}

// --- Every option is documented, and nothing else is -----------------------------------------

struct Document {
  const char* label;
  std::vector<std::string> (*headings)();
  // Patterns for the long form, the short form and the argument of an option, in a heading.
  std::string (*longForm)(const OptionSpec&);
  std::string (*shortForm)(const OptionSpec&);
};

void PrintTo(const Document& document, std::ostream* out) {
  *out << document.label;
}

class OptionDocs : public ::testing::TestWithParam<Document> {};

TEST_P(OptionDocs, DescribeEveryOptionOfTheTable) {
  const std::vector<std::string> headings = GetParam().headings();
  for (const OptionSpec& option : kOptions) {
    EXPECT_TRUE(anyMatches(headings, GetParam().longForm(option)))
        << "no heading for --" << option.name << " " << option.argument;
    if (option.shortName != '\0') {
      EXPECT_TRUE(anyMatches(headings, GetParam().shortForm(option)))
          << "no heading for -" << option.shortName;
    }
  }
}

TEST_P(OptionDocs, DescribeNoOptionOutsideTheTable) {
  std::set<std::string> inTable;
  for (const OptionSpec& option : kOptions) inTable.emplace(option.name);
  for (const std::string& name : longOptionsIn(GetParam().headings())) {
    EXPECT_TRUE(inTable.contains(name)) << "--" << name << " is documented but not an option";
  }
}

// "--name" alone, or "--name=ARG" / "--name ARG" when it takes a value.
std::string longPattern(const OptionSpec& option, const std::string& before) {
  std::string pattern = before + "--" + std::string(option.name);
  if (!option.argument.empty()) pattern += "[= ]" + std::string(option.argument);
  return pattern + "(?![a-z0-9=-])";
}

INSTANTIATE_TEST_SUITE_P(
    Documents, OptionDocs,
    ::testing::Values(Document{
                          "ManualPage", manualOptionHeadings,
                          [](const OptionSpec& option) { return longPattern(option, "(^|[ ,])"); },
                          [](const OptionSpec& option) {
                            return std::string("(^|[ ,])-") + option.shortName + "(?![a-z0-9-])";
                          }},
                      Document{"Readme", readmeHeadings,
                               [](const OptionSpec& option) { return longPattern(option, "`"); },
                               [](const OptionSpec& option) {
                                 return std::string("`-") + option.shortName + "[` ]";
                               }}),
    [](const auto& info) { return info.param.label; });

}  // namespace
}  // namespace wqnprep::testing
