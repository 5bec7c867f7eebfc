// The operating-system layer's spool file: written, read back from its start, copied out to
// every kind of output, whichever of the system's copy paths that takes.
#include "os/file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <thread>

#include "run_program.h"

namespace wqnprep::testing {
namespace {

std::string pattern(std::size_t size) {
  std::string text(size, '\0');
  for (std::size_t i = 0; i < size; ++i) text[i] = static_cast<char>("abc\n\x80"[i % 5]);
  return text;
}

os::File spoolHolding(const std::string& text) {
  os::File spool;
  EXPECT_FALSE(os::openSpool(spool));
  EXPECT_FALSE(spool.write(text.data(), text.size()));
  EXPECT_FALSE(spool.rewind());
  return spool;
}

TEST(Spool, ReadsBackWhatWasWrittenFromItsStart) {
  for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{300000}}) {
    const std::string text = pattern(size);
    os::File spool = spoolHolding(text);
    std::string back(size + 1, '\0');
    std::size_t total = 0;
    for (std::size_t got = 1; got != 0; total += got) {
      ASSERT_FALSE(spool.read(back.data() + total, back.size() - total, got));
    }
    EXPECT_EQ(back.substr(0, total), text) << size;
  }
}

TEST(Spool, LeavesNoNameInTheTemporaryFolder) {
  ScratchDir dir;
  ::setenv("TMPDIR", dir.path().c_str(), 1);
  os::File spool = spoolHolding("text");
  ::unsetenv("TMPDIR");
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  os::FileInfo info;
  ASSERT_FALSE(spool.inspect(info));
  EXPECT_TRUE(info.regular);
}

TEST(Spool, AMissingTemporaryFolderIsAnError) {
  ::setenv("TMPDIR", "/nonexistent/wqnprep", 1);
  os::File spool;
  const std::error_code error = os::openSpool(spool);
  ::unsetenv("TMPDIR");
  EXPECT_EQ(error, std::errc::no_such_file_or_directory);
}

// Each output takes a different path through copyRest: between files, into a pipe, onto a file
// that only appends (which the kernel's calls refuse), onto a device.
struct CopyTarget {
  const char* label;
  int flags;  // for a file in the scratch folder; 0 for a pipe
};

class CopyRest : public ::testing::TestWithParam<CopyTarget> {};

TEST_P(CopyRest, CopiesEveryByteFromThePosition) {
  for (const std::size_t size : {std::size_t{0}, std::size_t{5}, std::size_t{(1 << 20) + 3}}) {
    const std::string text = pattern(size);
    os::File spool = spoolHolding(text);
    std::size_t skipped = 0;
    char first[2];
    if (size > 0) {
      ASSERT_FALSE(spool.read(first, 2, skipped));  // starts where reading left off
    }
    const std::string expected = text.substr(skipped);
    ScratchDir dir;
    std::string copied;
    if (GetParam().flags == 0) {
      int ends[2];
      ASSERT_EQ(::pipe(ends), 0);
      std::thread reader([&] {
        char buffer[4096];
        for (ssize_t got; (got = ::read(ends[0], buffer, sizeof buffer)) > 0;)
          copied.append(buffer, static_cast<std::size_t>(got));
      });
      os::File out(ends[1], true);
      EXPECT_FALSE(os::copyRest(spool, out));
      EXPECT_FALSE(out.close());
      reader.join();
      ::close(ends[0]);
    } else {
      const std::string path = dir.file("out");
      os::File out(::open(path.c_str(), GetParam().flags, 0600), true);
      ASSERT_TRUE(out.isOpen());
      EXPECT_FALSE(os::copyRest(spool, out));
      EXPECT_FALSE(out.close());
      copied = readFile(path);
    }
    EXPECT_TRUE(copied == expected) << size << " bytes: " << copied.size() << " copied";
  }
}

INSTANTIATE_TEST_SUITE_P(Targets, CopyRest,
                         ::testing::Values(CopyTarget{"File", O_WRONLY | O_CREAT},
                                           CopyTarget{"AppendingFile",
                                                      O_WRONLY | O_CREAT | O_APPEND},
                                           CopyTarget{"Pipe", 0}),
                         [](const auto& info) { return info.param.label; });

TEST(CopyRest, AFullDeviceIsAnError) {
  os::File spool = spoolHolding(pattern(1000));
  os::File full(::open("/dev/full", O_WRONLY), true);
  ASSERT_TRUE(full.isOpen());
  EXPECT_EQ(os::copyRest(spool, full), std::errc::no_space_on_device);
}

}  // namespace
}  // namespace wqnprep::testing
