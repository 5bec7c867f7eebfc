// The bundled examples through the program: grants.sql comes out as the line pass defines it, and
// the consumer project's scripts as its expected/ folder holds them.
#include <gtest/gtest.h>

#include <string>

#include "run_program.h"
#include "symbols/substitute_line.h"

namespace wqnprep::testing {
namespace {

const std::string kExamples = WQNPREP_TEST_DATA_DIR "/../../examples";

TEST(Examples, GrantsComeOutAsTheLinePassDefines) {
  ScratchDir dir;
  const std::string script = readFile(kExamples + "/grants.sql");
  ASSERT_NE(script.find("WQNOperationID::"), std::string::npos) << "the example holds no token";
  writeFile(dir.file("grants.sql"), script);
  const ProgramResult result = runWqnprep({"grants.sql", "out.sql"}, "/dev/null", dir.path());
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(readFile(dir.file("out.sql")), substituteText(script));
}

class ConsumerExample : public ::testing::TestWithParam<const char*> {};

TEST_P(ConsumerExample, ComesOutAsExpectedUnderStrict) {
  ScratchDir dir;
  const std::string name = std::string(GetParam()) + ".sql";
  writeFile(dir.file("in.sql"), readFile(kExamples + "/consumer/sql/" + name));
  const ProgramResult result =
      runWqnprep({"--strict", "in.sql", "out.sql"}, "/dev/null", dir.path());
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(readFile(dir.file("out.sql")), readFile(kExamples + "/consumer/expected/sql/" + name));
}

INSTANTIATE_TEST_SUITE_P(Scripts, ConsumerExample, ::testing::Values("grants", "environments"));

}  // namespace
}  // namespace wqnprep::testing
