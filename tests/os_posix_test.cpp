// What os/file.h does on POSIX systems beyond its contract (os_contract_test.cpp): the spool has
// no name at all, files keep off the standard streams' numbers, the temporary folder is /tmp
// without $TMPDIR, and a full device is a full device.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "os/file.h"
#include "os_test_support.h"
#include "test_files.h"

namespace wqnprep::testing {
namespace {

TEST(Spool, LeavesNoNameInTheTemporaryFolder) {
  ScratchDir dir;
  const TemporaryFolderSetTo temporary(dir.path());
  os::File spool = spoolHolding("text");
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(Spool, TheTemporaryFolderIsTmpWithoutTmpdir) {
  const TemporaryFolderSetTo temporary("");
  EXPECT_EQ(os::temporaryFolder(), "/tmp");
  ::unsetenv("TMPDIR");
  EXPECT_EQ(os::temporaryFolder(), "/tmp");
}

TEST(CopyRest, AFullDeviceIsAnError) {
  os::File spool = spoolHolding(std::string(1000, 'x'));
  os::File full(::open("/dev/full", O_WRONLY), true);
  ASSERT_TRUE(full.isOpen());
  EXPECT_EQ(os::copyRest(spool, full), std::errc::no_space_on_device);
}

// With standard input closed, a file opened now would take its number and pass for it.
TEST(Descriptors, FilesKeepOffTheStandardStreams) {
  ScratchDir dir;
  writeFile(dir.file("in.sql"), "x");
  const std::function<std::error_code(os::File&)> opens[] = {
      [&](os::File& file) { return os::openForReading(dir.file("in.sql"), file); },
      [&](os::File& file) { return os::openForWriting(dir.file("out.sql"), file); },
      [&](os::File& file) { return os::createForWriting(dir.file("new.sql"), file); },
      [](os::File& file) { return os::openSpool(file); }};
  const int savedInput = ::dup(STDIN_FILENO);
  ASSERT_GE(savedInput, 0);
  ::close(STDIN_FILENO);
  for (const auto& open : opens) {
    os::File file;
    EXPECT_FALSE(open(file));
    EXPECT_GT(file.handle(), STDERR_FILENO);
  }
  ASSERT_EQ(::dup2(savedInput, STDIN_FILENO), STDIN_FILENO);
  ::close(savedInput);
}

}  // namespace
}  // namespace wqnprep::testing
