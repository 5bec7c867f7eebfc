// The operating-system layer on Windows: bytes through untouched, files known by identity
// whatever their spelling, opening and checking outputs, the spool, and the system's error texts.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "os/file.h"
#include "os/windows_support.h"

namespace wqnprep::testing {
namespace {

namespace fs = std::filesystem;

// A folder of its own for each test, removed with everything in it.
class ScratchDir {
 public:
  ScratchDir() {
    static std::atomic<int> counter{0};
    path_ = fs::temp_directory_path() / ("wqnprep-test-" + std::to_string(::GetCurrentProcessId()) +
                                         "-" + std::to_string(counter++));
    fs::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const fs::path& path() const { return path_; }
  // A path inside, as UTF-8 text, the form the layer takes.
  std::string file(const std::string& name) const { return utf8(path_) + "\\" + name; }
  static std::string utf8(const fs::path& path) { return os::windows::toUtf8(path.wstring()); }

 private:
  fs::path path_;
};

// A path from the UTF-8 text the layer takes.
fs::path native(const std::string& path) {
  std::wstring wide;
  EXPECT_FALSE(os::windows::toWide(path, wide));
  return wide;
}

std::string allBytes() {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  return bytes + "\r\n\n\r\x1a";
}

std::string pattern(std::size_t size) {
  std::string text(size, '\0');
  for (std::size_t i = 0; i < size; ++i) text[i] = "ab\r\n\x1a\x80"[i % 6];
  return text;
}

void writeAll(const std::string& path, const std::string& content) {
  os::File file;
  ASSERT_FALSE(os::openForWriting(path, file));
  ASSERT_FALSE(file.truncate());
  ASSERT_FALSE(file.write(content.data(), content.size()));
  ASSERT_FALSE(file.close());
}

std::string readAll(os::File& file) {
  std::string content;
  char buffer[4096];
  for (std::size_t got = 1; got != 0;) {
    EXPECT_FALSE(file.read(buffer, sizeof buffer, got));
    content.append(buffer, got);
  }
  return content;
}

std::string readAll(const std::string& path) {
  os::File file;
  EXPECT_FALSE(os::openForReading(path, file));
  return readAll(file);
}

// --- Bytes --------------------------------------------------------------------------------------

TEST(Bytes, EveryValuePassesUnchanged) {
  ScratchDir dir;
  writeAll(dir.file("bytes"), allBytes());
  EXPECT_EQ(readAll(dir.file("bytes")), allBytes());
  EXPECT_EQ(fs::file_size(dir.path() / "bytes"), allBytes().size());
}

TEST(Bytes, TruncateEmptiesAFileOpenedForWriting) {
  ScratchDir dir;
  writeAll(dir.file("out"), "a longer previous content");
  os::File file;
  ASSERT_FALSE(os::openForWriting(dir.file("out"), file));
  EXPECT_EQ(readAll(dir.file("out")), "a longer previous content");  // opening keeps it
  ASSERT_FALSE(file.truncate());
  ASSERT_FALSE(file.write("new", 3));
  ASSERT_FALSE(file.close());
  EXPECT_EQ(readAll(dir.file("out")), "new");
}

TEST(Bytes, NamesBeyondAsciiAreUtf8) {
  ScratchDir dir;
  writeAll(dir.file("gr\xc3\xbc\xc3\x9f"
                    "e \xe2\x9c\x93.sql"),
           "x");
  EXPECT_TRUE(fs::exists(dir.path() / L"gr\u00fc\u00dfe \u2713.sql"));
  os::File file;
  EXPECT_EQ(os::openForReading(dir.file("bad-\xff.sql"), file), std::errc::invalid_argument);
}

// --- Identity -----------------------------------------------------------------------------------

struct Spelling {
  const char* label;
  std::string (*path)(const ScratchDir& dir);
  bool same;
};

void PrintTo(const Spelling& spelling, std::ostream* out) {
  *out << spelling.label;
}

class Identity : public ::testing::TestWithParam<Spelling> {};

TEST_P(Identity, TellsTheSameFileByVolumeAndIndex) {
  ScratchDir dir;
  writeAll(dir.file("script.sql"), "text\n");
  fs::create_directory(dir.path() / "sub");
  ASSERT_TRUE(::CreateHardLinkW((dir.path() / "hardlink.sql").c_str(),
                                (dir.path() / "script.sql").c_str(), nullptr));
  fs::copy_file(dir.path() / "script.sql", dir.path() / "copy.sql");

  os::File original;
  ASSERT_FALSE(os::openForReading(dir.file("script.sql"), original));
  os::FileInfo originalInfo;
  ASSERT_FALSE(original.inspect(originalInfo));
  EXPECT_TRUE(originalInfo.regular);
  EXPECT_FALSE(originalInfo.directory);

  const std::string path = GetParam().path(dir);
  for (const auto openOutput : {os::openForWriting, os::openExistingForWriting}) {
    os::File opened;
    ASSERT_FALSE(openOutput(path, opened)) << path;
    os::FileInfo byHandle;
    ASSERT_FALSE(opened.inspect(byHandle));
    EXPECT_EQ(os::sameFile(originalInfo, byHandle), GetParam().same) << path;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Spellings, Identity,
    ::testing::Values(
        Spelling{"AsGiven", [](const ScratchDir& d) { return d.file("script.sql"); }, true},
        Spelling{"ForwardSlashes",
                 [](const ScratchDir& d) { return ScratchDir::utf8(d.path()) + "/script.sql"; },
                 true},
        Spelling{"DotDot", [](const ScratchDir& d) { return d.file("sub\\..\\script.sql"); }, true},
        Spelling{"OtherCase", [](const ScratchDir& d) { return d.file("SCRIPT.SQL"); }, true},
        Spelling{"HardLink", [](const ScratchDir& d) { return d.file("hardlink.sql"); }, true},
        Spelling{"Copy", [](const ScratchDir& d) { return d.file("copy.sql"); }, false}),
    [](const ::testing::TestParamInfo<Spelling>& info) { return info.param.label; });

TEST(Identity, AFolderOpensForReadingAndSaysSo) {
  ScratchDir dir;
  os::File folder;
  ASSERT_FALSE(os::openForReading(ScratchDir::utf8(dir.path()), folder));
  os::FileInfo info;
  ASSERT_FALSE(folder.inspect(info));
  EXPECT_TRUE(info.directory);
  EXPECT_FALSE(info.regular);
}

TEST(Identity, AFolderIsNoOutput) {
  ScratchDir dir;
  os::File folder;
  EXPECT_EQ(os::openForWriting(ScratchDir::utf8(dir.path()), folder), std::errc::is_a_directory);
  EXPECT_EQ(os::openExistingForWriting(ScratchDir::utf8(dir.path()), folder),
            std::errc::is_a_directory);
}

// --- Outputs ------------------------------------------------------------------------------------

TEST(Output, OpeningAnExistingOneKeepsItsContentAndAMissingOneIsNotCreated) {
  ScratchDir dir;
  writeAll(dir.file("out.sql"), "previous");
  {
    os::File file;
    ASSERT_FALSE(os::openExistingForWriting(dir.file("out.sql"), file));
    ASSERT_FALSE(file.write("new", 3));
  }
  EXPECT_EQ(readAll(dir.file("out.sql")), "newvious");
  os::File file;
  EXPECT_EQ(os::openExistingForWriting(dir.file("missing.sql"), file),
            std::errc::no_such_file_or_directory);
  EXPECT_FALSE(file.isOpen());
  EXPECT_FALSE(fs::exists(dir.path() / "missing.sql"));
}

struct Creatable {
  const char* label;
  std::string (*path)(const ScratchDir& dir);
  std::error_condition expected;  // none when a file could be created there
};

void PrintTo(const Creatable& c, std::ostream* out) {
  *out << c.label;
}

class CheckCreatable : public ::testing::TestWithParam<Creatable> {};

TEST_P(CheckCreatable, TellsWhetherTheFileCouldBeCreatedAndCreatesNothing) {
  ScratchDir dir;
  writeAll(dir.file("file.sql"), "x");
  fs::create_directory(dir.path() / "sub");
  const std::string path = GetParam().path(dir);
  const std::error_code error = os::checkCreatable(path);
  if (GetParam().expected) {
    EXPECT_EQ(error, GetParam().expected) << path << ": " << error.message();
  } else {
    EXPECT_FALSE(error) << path << ": " << error.message();
  }
  std::vector<fs::path> names;
  for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
    names.push_back(entry.path().filename());
  EXPECT_EQ(names.size(), 2u) << path;  // file.sql and sub, nothing new
}

INSTANTIATE_TEST_SUITE_P(
    Paths, CheckCreatable,
    ::testing::Values(
        Creatable{"InAFolder", [](const ScratchDir& d) { return d.file("new.sql"); }, {}},
        Creatable{"ForwardSlashes",
                  [](const ScratchDir& d) { return ScratchDir::utf8(d.path()) + "/sub/new.sql"; },
                  {}},
        Creatable{"BeyondAscii",
                  [](const ScratchDir& d) {
                    return d.file(
                        "sub\\gr\xc3\xbc\xc3\x9f"
                        "e.sql");
                  },
                  {}},
        Creatable{"FolderMissing", [](const ScratchDir& d) { return d.file("no\\such\\new.sql"); },
                  std::errc::no_such_file_or_directory},
        Creatable{"FolderIsAFile", [](const ScratchDir& d) { return d.file("file.sql\\new.sql"); },
                  std::errc::not_a_directory},
        Creatable{"EndsInASeparator", [](const ScratchDir& d) { return d.file("new\\"); },
                  std::errc::is_a_directory},
        Creatable{"NameTooLong",
                  [](const ScratchDir& d) { return d.file(std::string(300, 'n') + ".sql"); },
                  std::errc::filename_too_long},
        Creatable{"Empty", [](const ScratchDir&) { return std::string(); },
                  std::errc::no_such_file_or_directory}),
    [](const ::testing::TestParamInfo<Creatable>& info) { return info.param.label; });

TEST(Output, ARelativeNameIsCheckedInTheWorkingFolder) {
  ScratchDir dir;
  const fs::path previous = fs::current_path();
  fs::current_path(dir.path());
  writeAll("file.sql", "x");
  const std::error_code plain = os::checkCreatable("new.sql");
  const std::error_code underAFile = os::checkCreatable("file.sql\\new.sql");
  fs::current_path(previous);
  EXPECT_FALSE(plain) << plain.message();
  EXPECT_EQ(underAFile, std::errc::not_a_directory);
}

// --- Errors -------------------------------------------------------------------------------------

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

TEST(ErrorText, AMissingFileIsReportedAsSuch) {
  ScratchDir dir;
  os::File file;
  EXPECT_EQ(os::openForReading(dir.file("missing.sql"), file),
            std::errc::no_such_file_or_directory);
  EXPECT_EQ(os::openForWriting(dir.file("no\\such\\out.sql"), file),
            std::errc::no_such_file_or_directory);
}

// --- Spool --------------------------------------------------------------------------------------

// The temporary folder is %TMP% for the duration.
class TemporaryFolder {
 public:
  explicit TemporaryFolder(const fs::path& folder) {
    wchar_t previous[32767];
    const DWORD length = ::GetEnvironmentVariableW(L"TMP", previous, 32767);
    if (length > 0 && length < 32767) previous_ = std::wstring(previous, length);
    had_ = length > 0;
    ::SetEnvironmentVariableW(L"TMP", folder.c_str());
  }
  ~TemporaryFolder() { ::SetEnvironmentVariableW(L"TMP", had_ ? previous_.c_str() : nullptr); }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

 private:
  std::wstring previous_;
  bool had_ = false;
};

os::File spoolHolding(const std::string& text) {
  os::File spool;
  EXPECT_FALSE(os::openSpool(spool));
  EXPECT_FALSE(spool.write(text.data(), text.size()));
  EXPECT_FALSE(spool.rewind());
  return spool;
}

TEST(Spool, ReadsBackWhatWasWrittenFromItsStart) {
  for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{300000}}) {
    os::File spool = spoolHolding(pattern(size));
    EXPECT_TRUE(readAll(spool) == pattern(size)) << size;
  }
}

TEST(Spool, NobodyElseOpensItAndItGoesWithItsHandle) {
  ScratchDir dir;
  {
    TemporaryFolder temporary(dir.path());
    os::File spool = spoolHolding("text");
    std::vector<fs::path> names;
    for (const auto& entry : fs::directory_iterator(dir.path())) names.push_back(entry.path());
    ASSERT_EQ(names.size(), 1u);
    const HANDLE other = ::CreateFileW(names[0].c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(other, INVALID_HANDLE_VALUE);
    if (other != INVALID_HANDLE_VALUE) ::CloseHandle(other);
    os::FileInfo info;
    ASSERT_FALSE(spool.inspect(info));
    EXPECT_TRUE(info.regular);
  }
  EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(Spool, AMissingTemporaryFolderIsAnError) {
  ScratchDir dir;
  TemporaryFolder temporary(dir.path() / "missing");
  os::File spool;
  EXPECT_EQ(os::openSpool(spool), std::errc::no_such_file_or_directory);
}

// The folder messages name is the one the spool goes in, without a last backslash.
TEST(Spool, TheTemporaryFolderIsTheSystemsAndNamedWithoutItsLastSeparator) {
  ScratchDir dir;
  for (const fs::path& folder : {dir.path(), dir.path() / ""}) {
    TemporaryFolder temporary(folder);
    EXPECT_EQ(native(os::temporaryFolder()), dir.path()) << os::temporaryFolder();
  }
}

TEST(CopyRest, CopiesEveryByteFromThePositionToAFile) {
  for (const std::size_t size : {std::size_t{0}, std::size_t{5}, std::size_t{(1 << 20) + 3}}) {
    ScratchDir dir;
    os::File spool = spoolHolding(pattern(size));
    std::size_t skipped = 0;
    char first[2];
    if (size > 0) {
      ASSERT_FALSE(spool.read(first, 2, skipped));  // starts where reading left off
    }
    os::File out;
    ASSERT_FALSE(os::openForWriting(dir.file("out"), out));
    EXPECT_FALSE(os::copyRest(spool, out));
    EXPECT_FALSE(out.close());
    EXPECT_TRUE(readAll(dir.file("out")) == pattern(size).substr(skipped)) << size;
  }
}

TEST(CopyRest, CopiesIntoAPipe) {
  const std::string text = pattern((1 << 20) + 3);
  os::File spool = spoolHolding(text);
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  ASSERT_TRUE(::CreatePipe(&readEnd, &writeEnd, nullptr, 0));
  os::File in(os::windows::toHandle(readEnd), true);
  std::string copied;
  std::thread reader([&] { copied = readAll(in); });  // the end of the pipe is its end
  {
    os::File out(os::windows::toHandle(writeEnd), true);
    EXPECT_FALSE(os::copyRest(spool, out));
  }
  reader.join();
  EXPECT_TRUE(copied == text) << copied.size() << " bytes copied";
}

}  // namespace
}  // namespace wqnprep::testing
