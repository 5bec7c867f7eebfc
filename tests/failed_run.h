// What a failed run shows, and the scripts the tests of failures feed the program.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "run_program.h"

namespace wqnprep::testing {

inline const std::string kScript = "INSERT INTO t VALUES (WQNRuleID::applicableForVEs);\nkeep\n";
inline const std::string kScriptOutput = "INSERT INTO t VALUES (1);\nkeep\n";
inline const std::string kUnknownScript = "WQNRuleID::applicableForVEs\nWQNRuleID::zzz\nkeep\n";
inline const std::string kPrevious = "previous output\n";

// The plain run and the --strict run.
inline const std::vector<std::vector<std::string>> kModes{{}, {"--strict"}};

inline std::string modeName(const std::vector<std::string>& mode) {
  return mode.empty() ? "plain run" : "--strict run";
}

// One line "Error: ..." holding `message`, nothing on standard output, status 1.
inline void expectFailure(const ProgramResult& result, const std::string& message) {
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_THAT(result.err, ::testing::StartsWith("Error: "));
  EXPECT_THAT(result.err, ::testing::HasSubstr(message));
  EXPECT_THAT(result.err, ::testing::EndsWith("\n"));
  EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
}

// `text` is `start` and then the system's text for an error of kind `kind`, on one line.
inline void expectSystemError(const std::string& text, const std::string& start, std::errc kind) {
  ASSERT_THAT(text, ::testing::StartsWith(start));
  ASSERT_THAT(text, ::testing::EndsWith("\n"));
  const std::string reason = text.substr(start.size(), text.size() - start.size() - 1);
  EXPECT_TRUE(isSystemText(reason, kind))
      << "'" << reason << "' is not what the system says for " << std::make_error_code(kind);
}

// The message ends with the system's text for an error of kind `kind`, after its last ": ".
inline void expectSystemReason(const std::string& text, std::errc kind) {
  const std::string line = text.substr(0, text.find_last_not_of('\n') + 1);
  const std::string::size_type colon = line.rfind(": ");
  ASSERT_NE(colon, std::string::npos) << text;
  const std::string reason = line.substr(colon + 2);
  EXPECT_TRUE(isSystemText(reason, kind))
      << "'" << reason << "' is not what the system says for " << std::make_error_code(kind);
}

// Remembers a file's bytes and modification time, to check that nothing changed them.
class Unchanged {
 public:
  explicit Unchanged(std::string path)
      : path_(std::move(path)),
        bytes_(readFile(path_)),
        time_(std::filesystem::last_write_time(nativePath(path_))) {}
  void check() const {
    EXPECT_EQ(readFile(path_), bytes_) << path_;
    EXPECT_TRUE(std::filesystem::last_write_time(nativePath(path_)) == time_) << path_;
  }

 private:
  std::string path_;
  std::string bytes_;
  std::filesystem::file_time_type time_;
};

}  // namespace wqnprep::testing
