// What os/file.h does on Windows beyond its contract (os_contract_test.cpp): names that are not
// UTF-8 are refused, drive-relative names are checked in their drive's working folder, the
// temporary folder is named without its last backslash, a missing folder has one reason whoever
// finds it missing, and the system's error texts are one line each and compare with the portable
// conditions.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "os/file.h"
#include "os/windows_support.h"
#include "os_test_support.h"
#include "test_files.h"

namespace wqnprep::testing {
namespace {

namespace fs = std::filesystem;

// Replaced, they would name another file.
TEST(Bytes, NamesThatAreNotUtf8AreRefused) {
  ScratchDir dir;
  os::File file;
  EXPECT_EQ(os::openForReading(dir.file("bad-\xff.sql"), file), std::errc::invalid_argument);
}

// C:name is in the working folder of drive C:, which for the working drive is the working folder.
TEST(CheckCreatable, ADriveRelativeNameIsCheckedInThatDrivesWorkingFolder) {
  ScratchDir dir;
  writeFile(dir.file("file.sql"), "x");
  const fs::path previous = fs::current_path();
  fs::current_path(nativePath(dir.path()));
  const std::string drive = utf8Path(fs::current_path().root_name());
  const std::error_code plain = os::checkCreatable(drive + "new.sql");
  const std::error_code underAFile = os::checkCreatable(drive + "file.sql\\new.sql");
  const std::error_code relativeUnderAFile = os::checkCreatable("file.sql\\new.sql");
  fs::current_path(previous);
  EXPECT_FALSE(plain) << plain.message();
  EXPECT_EQ(underAFile, std::errc::not_a_directory);
  EXPECT_EQ(relativeUnderAFile, std::errc::not_a_directory);
}

// The folder messages name is the one the spool goes in, without a last backslash.
TEST(Spool, TheTemporaryFolderIsNamedWithoutItsLastSeparator) {
  ScratchDir dir;
  const TemporaryFolderSetTo temporary(dir.path() + "\\");
  EXPECT_EQ(nativePath(os::temporaryFolder()), nativePath(dir.path())) << os::temporaryFolder();
}

// The system says "file not found" for a missing folder named last, and "path not found" for
// one on the way to a file; the messages of a run give the one reason for both.
TEST(MissingFolder, HasTheReasonOfAFolderOnTheWayToAFile) {
  ScratchDir dir;
  const std::string missing = dir.file("missing");
  os::File file;
  const std::string onTheWay = os::openForReading(missing + "/in.sql", file).message();
  struct Check {
    const char* call;
    std::error_code error;
  };
  for (const Check& check : {Check{"checkFolder", os::checkFolder(missing)},
                             Check{"checkCreatable", os::checkCreatable(missing + "/out.sql")}}) {
    EXPECT_EQ(check.error.message(), onTheWay) << check.call;
  }
}

struct Win32Error {
  DWORD code;
  std::errc condition;
};

class ErrorText : public ::testing::TestWithParam<Win32Error> {};

TEST_P(ErrorText, IsTheSystemsOneLineAndComparesPortably) {
  const std::error_code error = os::windows::errorFrom(GetParam().code);
  const std::string text = error.message();
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
  EXPECT_NE(text.back(), ' ');
  EXPECT_EQ(error, GetParam().condition);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ErrorText,
    ::testing::Values(Win32Error{ERROR_FILE_NOT_FOUND, std::errc::no_such_file_or_directory},
                      Win32Error{ERROR_PATH_NOT_FOUND, std::errc::no_such_file_or_directory},
                      Win32Error{ERROR_ACCESS_DENIED, std::errc::permission_denied},
                      Win32Error{ERROR_DISK_FULL, std::errc::no_space_on_device},
                      Win32Error{ERROR_SHARING_VIOLATION, std::errc::device_or_resource_busy}));

}  // namespace
}  // namespace wqnprep::testing
