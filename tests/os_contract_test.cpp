// The promises of os/file.h, tested through the interface alone and compiled for every port: a
// new port passes these before anything above it can rely on it. Where a system's rules differ
// (separators, letter case, links), the tables hold rows for each system. What one system
// promises beyond them is in os_posix_test.cpp and windows/os_windows_test.cpp.
#include "os/file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "os_test_support.h"
#include "test_files.h"

namespace wqnprep::testing {
namespace {

namespace fs = std::filesystem;

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
  EXPECT_FALSE(os::openForReading(path, file)) << path;
  return readAll(file);
}

// What `folder` holds, at any depth, by paths relative to it in name order.
std::vector<std::string> entriesOf(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(nativePath(folder)))
    names.push_back(utf8Path(entry.path().lexically_relative(nativePath(folder))));
  std::sort(names.begin(), names.end());
  return names;
}

// --- Bytes --------------------------------------------------------------------------------------

TEST(Bytes, EveryValuePassesUnchanged) {
  ScratchDir dir;
  writeAll(dir.file("bytes"), allBytes());
  EXPECT_EQ(readAll(dir.file("bytes")), allBytes());
  EXPECT_EQ(fs::file_size(nativePath(dir.file("bytes"))), allBytes().size());
}

// Two threads read a file by offsets at once, each getting the bytes where it asks, and nothing
// at or past the end; the file tells its size.
TEST(Bytes, ReadsAtAnOffsetGiveTheBytesThere) {
  ScratchDir dir;
  std::string content;
  for (int copy = 0; copy < 512; ++copy) content += allBytes();
  writeAll(dir.file("bytes"), content);
  os::File file;
  ASSERT_FALSE(os::openForReading(dir.file("bytes"), file));
  os::FileInfo info;
  ASSERT_FALSE(file.inspect(info));
  EXPECT_EQ(info.size, content.size());
  const auto readFrom = [&file](std::uint64_t offset, std::size_t size) {
    std::string bytes(size, '\0');
    std::size_t got = 0;
    EXPECT_FALSE(file.readAt(bytes.data(), size, offset, got));
    bytes.resize(got);
    return bytes;
  };
  // Pieces of a size that does not divide the file, as the halves of --check are.
  const auto readRange = [&readFrom](std::size_t from, std::size_t to) {
    std::string bytes;
    for (std::size_t at = from; at < to; at += 4096)
      bytes += readFrom(at, std::min<std::size_t>(4096, to - at));
    return bytes;
  };
  const std::size_t half = content.size() / 2 + 7;
  std::string firstHalf;
  std::thread other([&] { firstHalf = readRange(0, half); });
  const std::string secondHalf = readRange(half, content.size());
  other.join();
  EXPECT_TRUE(firstHalf + secondHalf == content);  // not printed whole when it fails
  EXPECT_EQ(readFrom(content.size() - 3, 10), content.substr(content.size() - 3));
  EXPECT_EQ(readFrom(content.size(), 10), "");
  EXPECT_EQ(readFrom(content.size() + 100, 10), "");
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
  EXPECT_TRUE(fs::exists(nativePath(dir.path()) / u8"gr\u00fc\u00dfe \u2713.sql"));
}

// --- Opening ------------------------------------------------------------------------------------

// Closing the File of a standard stream lets it go and leaves the stream open: what the system
// tells about it stays as it was, whatever the tests were started with.
TEST(Open, StandardStreamsAreBorrowed) {
  for (os::File (*stream)() : {os::standardInput, os::standardOutput}) {
    os::FileInfo info;
    const std::error_code before = stream().inspect(info);
    os::File file = stream();
    EXPECT_FALSE(file.close());
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(stream().inspect(info), before);
  }
}

TEST(Open, AMissingFileIsReportedAsSuch) {
  ScratchDir dir;
  os::File file;
  EXPECT_EQ(os::openForReading(dir.file("missing.sql"), file),
            std::errc::no_such_file_or_directory);
  EXPECT_EQ(os::openForWriting(dir.file("no/such/out.sql"), file),
            std::errc::no_such_file_or_directory);
  EXPECT_FALSE(file.isOpen());
}

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
  EXPECT_FALSE(fileExists(dir.file("missing.sql")));
}

// The folder each test runs in holds file.sql ("x") and sub/.
void prepareFolder(const ScratchDir& dir) {
  writeAll(dir.file("file.sql"), "x");
  makeFolder(dir.file("sub"));
}

struct Creation {
  const char* label;
  const char* name;                   // in the prepared folder
  std::optional<std::errc> expected;  // none when a new, empty file is created
  void (*prepare)(const ScratchDir& dir);
};

void PrintTo(const Creation& c, std::ostream* out) {
  *out << c.label;
}

class CreateForWriting : public ::testing::TestWithParam<Creation> {};

TEST_P(CreateForWriting, CreatesOnlyWhatIsNotThere) {
  ScratchDir dir;
  prepareFolder(dir);
  GetParam().prepare(dir);
  const std::vector<std::string> before = entriesOf(dir.path());
  os::File file;
  const std::error_code error = os::createForWriting(dir.file(GetParam().name), file);
  if (GetParam().expected) {
    EXPECT_EQ(error, *GetParam().expected) << error.message();
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(entriesOf(dir.path()), before);
    EXPECT_EQ(readAll(dir.file("file.sql")), "x");
  } else {
    ASSERT_FALSE(error) << error.message();
    ASSERT_FALSE(file.write("new", 3));
    ASSERT_FALSE(file.close());
    EXPECT_EQ(readAll(dir.file(GetParam().name)), "new");
  }
}

void nothing(const ScratchDir& /*dir*/) {}

std::string creationName(const ::testing::TestParamInfo<Creation>& info) {
  return info.param.label;
}

INSTANTIATE_TEST_SUITE_P(
    Names, CreateForWriting,
    ::testing::Values(Creation{"New", "new.sql", {}, nothing},
                      Creation{"AFile", "file.sql", std::errc::file_exists, nothing},
                      Creation{"AFolder", "sub", std::errc::file_exists, nothing},
                      Creation{"InAMissingFolder", "no/new.sql",
                               std::errc::no_such_file_or_directory, nothing}),
    creationName);

#ifndef _WIN32  // Wine makes no symbolic links
INSTANTIATE_TEST_SUITE_P(Links, CreateForWriting,
                         ::testing::Values(Creation{
                             "DanglingLink", "link.sql", std::errc::file_exists,
                             [](const ScratchDir& dir) {
                               fs::create_symlink("made.sql", dir.file("link.sql"));
                             }}),
                         creationName);
#endif

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

// Opened for writing or only looked at, a file is known by its volume and index, whatever it
// was named by.
TEST_P(Identity, TellsTheSameFileByVolumeAndIndex) {
  ScratchDir dir;
  writeAll(dir.file("script.sql"), "text\n");
  makeFolder(dir.file("sub"));
  makeHardLink(dir.file("script.sql"), dir.file("hardlink.sql"));
  writeAll(dir.file("copy.sql"), "text\n");
#ifndef _WIN32
  fs::create_symlink("script.sql", dir.file("symlink.sql"));
#endif

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
  os::FileInfo byPath;
  ASSERT_FALSE(os::inspectPath(path, byPath)) << path;
  EXPECT_TRUE(byPath.regular);
  EXPECT_EQ(os::sameFile(originalInfo, byPath), GetParam().same) << path;
}

std::string spellingName(const ::testing::TestParamInfo<Spelling>& info) {
  return info.param.label;
}

INSTANTIATE_TEST_SUITE_P(
    Spellings, Identity,
    ::testing::Values(
        Spelling{"AsGiven", [](const ScratchDir& d) { return d.file("script.sql"); }, true},
        Spelling{"DotDot", [](const ScratchDir& d) { return d.file("sub/../script.sql"); }, true},
        Spelling{"HardLink", [](const ScratchDir& d) { return d.file("hardlink.sql"); }, true},
        Spelling{"Copy", [](const ScratchDir& d) { return d.file("copy.sql"); }, false}),
    spellingName);

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(
    WindowsSpellings, Identity,
    ::testing::Values(
        Spelling{"Backslashes", [](const ScratchDir& d) { return d.path() + "\\script.sql"; },
                 true},
        Spelling{"DotDotBackslashes",
                 [](const ScratchDir& d) { return d.path() + "\\sub\\..\\script.sql"; }, true},
        Spelling{"OtherCase", [](const ScratchDir& d) { return d.file("SCRIPT.SQL"); }, true}),
    spellingName);
#else
INSTANTIATE_TEST_SUITE_P(PosixSpellings, Identity,
                         ::testing::Values(Spelling{
                             "SymbolicLink",
                             [](const ScratchDir& d) { return d.file("symlink.sql"); }, true}),
                         spellingName);
#endif

TEST(Identity, AFolderOpensForReadingAndSaysSo) {
  ScratchDir dir;
  os::File folder;
  ASSERT_FALSE(os::openForReading(dir.path(), folder));
  os::FileInfo info;
  ASSERT_FALSE(folder.inspect(info));
  EXPECT_TRUE(info.directory);
  EXPECT_FALSE(info.regular);
}

TEST(Identity, AFolderIsNoOutput) {
  ScratchDir dir;
  os::File folder;
  EXPECT_EQ(os::openForWriting(dir.path(), folder), std::errc::is_a_directory);
  EXPECT_EQ(os::openExistingForWriting(dir.path(), folder), std::errc::is_a_directory);
}

// Names that differ only in letter case name one file exactly where foldsCase says so.
TEST(Identity, OtherLetterCaseNamesTheFileWhereTheFolderFoldsCase) {
  ScratchDir dir;
  writeAll(dir.file("script.sql"), "text\n");
  os::FileInfo lower;
  ASSERT_FALSE(os::inspectPath(dir.file("script.sql"), lower));
  os::FileInfo upper;
  const std::error_code error = os::inspectPath(dir.file("SCRIPT.SQL"), upper);
  if (os::foldsCase(dir.path())) {
    ASSERT_FALSE(error) << error.message();
    EXPECT_TRUE(os::sameFile(lower, upper));
  } else {
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
  }
}

// --- Checks that open nothing -------------------------------------------------------------------

struct Creatable {
  const char* label;
  std::string name;                   // in the prepared folder; empty for the empty path
  std::optional<std::errc> expected;  // none when a file could be created there
};

void PrintTo(const Creatable& c, std::ostream* out) {
  *out << c.label;
}

class CheckCreatable : public ::testing::TestWithParam<Creatable> {};

TEST_P(CheckCreatable, TellsWhetherTheFileCouldBeCreatedAndCreatesNothing) {
  ScratchDir dir;
  prepareFolder(dir);
  const std::string path = GetParam().name.empty() ? "" : dir.file(GetParam().name);
  const std::error_code error = os::checkCreatable(path);
  if (GetParam().expected) {
    EXPECT_EQ(error, *GetParam().expected) << path << ": " << error.message();
  } else {
    EXPECT_FALSE(error) << path << ": " << error.message();
  }
  EXPECT_EQ(entriesOf(dir.path()), (std::vector<std::string>{"file.sql", "sub"})) << path;
}

std::string creatableName(const ::testing::TestParamInfo<Creatable>& info) {
  return info.param.label;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, CheckCreatable,
    ::testing::Values(
        Creatable{"InAFolder", "new.sql", {}}, Creatable{"InASubfolder", "sub/new.sql", {}},
        Creatable{"BeyondAscii",
                  "sub/gr\xc3\xbc\xc3\x9f"
                  "e.sql",
                  {}},
        Creatable{"FolderMissing", "no/such/new.sql", std::errc::no_such_file_or_directory},
        Creatable{"FolderIsAFile", "file.sql/new.sql", std::errc::not_a_directory},
        Creatable{"EndsInASeparator", "new/", std::errc::is_a_directory},
        Creatable{"NameTooLong", std::string(300, 'n') + ".sql", std::errc::filename_too_long},
        Creatable{"Empty", "", std::errc::no_such_file_or_directory}),
    creatableName);

// A backslash separates folders on Windows and is one more byte of a name elsewhere.
#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(
    WindowsPaths, CheckCreatable,
    ::testing::Values(Creatable{"InASubfolderBackslash", "sub\\new.sql", {}},
                      Creatable{"FolderMissingBackslashes", "no\\such\\new.sql",
                                std::errc::no_such_file_or_directory},
                      Creatable{"FolderIsAFileBackslash", "file.sql\\new.sql",
                                std::errc::not_a_directory},
                      Creatable{"EndsInABackslash", "new\\", std::errc::is_a_directory}),
    creatableName);
#else
INSTANTIATE_TEST_SUITE_P(PosixPaths, CheckCreatable,
                         ::testing::Values(Creatable{"BackslashInAName", "sub\\new.sql", {}},
                                           Creatable{"EndsInABackslash", "new\\", {}}),
                         creatableName);
#endif

TEST(CheckCreatable, ARelativeNameIsCheckedInTheWorkingFolder) {
  ScratchDir dir;
  const fs::path previous = fs::current_path();
  fs::current_path(nativePath(dir.path()));
  writeAll("file.sql", "x");
  const std::error_code plain = os::checkCreatable("new.sql");
  const std::error_code underAFile = os::checkCreatable("file.sql/new.sql");
  fs::current_path(previous);
  EXPECT_FALSE(plain) << plain.message();
  EXPECT_EQ(underAFile, std::errc::not_a_directory);
}

struct Access {
  const char* label;
  const char* name;  // in the prepared folder
  std::optional<std::errc> readable;
  std::optional<std::errc> writable;
};

void PrintTo(const Access& c, std::ostream* out) {
  *out << c.label;
}

class CheckAccess : public ::testing::TestWithParam<Access> {};

TEST_P(CheckAccess, TellsWhatOpeningWouldAndOpensNothing) {
  ScratchDir dir;
  prepareFolder(dir);
  const std::string path = dir.file(GetParam().name);
  const std::error_code readable = os::checkReadable(path);
  const std::error_code writable = os::checkWritable(path);
  if (GetParam().readable) {
    EXPECT_EQ(readable, *GetParam().readable) << readable.message();
  } else {
    EXPECT_FALSE(readable) << readable.message();
  }
  if (GetParam().writable) {
    EXPECT_EQ(writable, *GetParam().writable) << writable.message();
  } else {
    EXPECT_FALSE(writable) << writable.message();
  }
  EXPECT_EQ(readAll(dir.file("file.sql")), "x");
  EXPECT_EQ(entriesOf(dir.path()), (std::vector<std::string>{"file.sql", "sub"}));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, CheckAccess,
    ::testing::Values(Access{"AFile", "file.sql", {}, {}},
                      Access{"Missing", "missing.sql", std::errc::no_such_file_or_directory,
                             std::errc::no_such_file_or_directory},
                      Access{"InAMissingFolder", "no/such.sql",
                             std::errc::no_such_file_or_directory,
                             std::errc::no_such_file_or_directory}),
    [](const ::testing::TestParamInfo<Access>& info) { return info.param.label; });

struct FolderCase {
  const char* label;
  const char* name;  // in the prepared folder
  std::optional<std::errc> expected;
};

void PrintTo(const FolderCase& c, std::ostream* out) {
  *out << c.label;
}

class CheckFolder : public ::testing::TestWithParam<FolderCase> {};

TEST_P(CheckFolder, TellsAFolderFromAnythingElse) {
  ScratchDir dir;
  prepareFolder(dir);
  const std::error_code error = os::checkFolder(dir.file(GetParam().name));
  if (GetParam().expected) {
    EXPECT_EQ(error, *GetParam().expected) << error.message();
  } else {
    EXPECT_FALSE(error) << error.message();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, CheckFolder,
    ::testing::Values(FolderCase{"AFolder", "sub", {}},
                      FolderCase{"WithASeparatorAfter", "sub/", {}}, FolderCase{"Dot", ".", {}},
                      FolderCase{"AFile", "file.sql", std::errc::not_a_directory},
                      FolderCase{"Missing", "missing", std::errc::no_such_file_or_directory}),
    [](const ::testing::TestParamInfo<FolderCase>& info) { return info.param.label; });

// Only a symbolic link whose target is missing is dangling; no file here is one.
TEST(IsDanglingLink, NothingButALinkIs) {
  ScratchDir dir;
  prepareFolder(dir);
  for (const char* name : {"file.sql", "sub", "missing.sql"})
    EXPECT_FALSE(os::isDanglingLink(dir.file(name))) << name;
#ifndef _WIN32  // Wine makes no symbolic links
  fs::create_symlink("file.sql", dir.file("link.sql"));
  fs::create_symlink("made.sql", dir.file("dangling.sql"));
  EXPECT_FALSE(os::isDanglingLink(dir.file("link.sql")));
  EXPECT_TRUE(os::isDanglingLink(dir.file("dangling.sql")));
#endif
}

// --- Folders ------------------------------------------------------------------------------------

struct Listing {
  const char* label;
  const char* folder;  // in the prepared folder
  void (*prepare)(const ScratchDir& dir);
  std::vector<std::string> entries;                // "NAME KIND", in name order
  bool fails = false;                              // the folder cannot be listed ...
  std::optional<std::errc> reason = std::nullopt;  // ... for this reason, if every system agrees
};

void PrintTo(const Listing& c, std::ostream* out) {
  *out << c.label;
}

class ListFolder : public ::testing::TestWithParam<Listing> {};

TEST_P(ListFolder, GivesEachEntryOnceWithItsOwnKind) {
  ScratchDir dir;
  prepareFolder(dir);
  GetParam().prepare(dir);
  // Left from an earlier listing: a listing holds the folder's entries alone.
  std::vector<os::FolderEntry> entries{{"stale", os::EntryKind::kOther}};
  const std::error_code error = os::listFolder(dir.file(GetParam().folder), entries);
  if (GetParam().fails) {
    EXPECT_TRUE(error);
    if (GetParam().reason) {
      EXPECT_EQ(error, *GetParam().reason) << error.message();
    }
    return;
  }
  ASSERT_FALSE(error) << error.message();
  static const char* const kKinds[] = {"folder", "file", "link", "other"};
  std::vector<std::string> listed;
  for (const os::FolderEntry& entry : entries)
    listed.push_back(entry.name + " " + kKinds[static_cast<int>(entry.kind)]);
  std::sort(listed.begin(), listed.end());  // the system's order is no promise
  EXPECT_EQ(listed, GetParam().entries);
}

std::string listingName(const ::testing::TestParamInfo<Listing>& info) {
  return info.param.label;
}

INSTANTIATE_TEST_SUITE_P(
    Folders, ListFolder,
    ::testing::Values(
        Listing{"FilesAndFolders", ".", nothing, {"file.sql file", "sub folder"}},
        Listing{"Empty", "sub", nothing, {}},
        Listing{"NamesBeyondAscii",
                "sub/",
                [](const ScratchDir& dir) {
                  writeAll(dir.file("sub/gr\xc3\xbc\xc3\x9f"
                                    "e.sql"),
                           "x");
                  makeFolder(dir.file("sub/\xe6\x97\xa5\xe6\x9c\xac"));
                },
                {"gr\xc3\xbc\xc3\x9f"
                 "e.sql file",
                 "\xe6\x97\xa5\xe6\x9c\xac folder"}},
        Listing{"Missing", "missing", nothing, {}, true, std::errc::no_such_file_or_directory},
        // Not a folder on POSIX systems, an invalid name under Wine.
        Listing{"AFile", "file.sql", nothing, {}, true}),
    listingName);

#ifndef _WIN32  // Wine makes no symbolic links
// A link is not followed, whatever it leads to.
INSTANTIATE_TEST_SUITE_P(Links, ListFolder,
                         ::testing::Values(Listing{
                             "Links",
                             "sub",
                             [](const ScratchDir& dir) {
                               fs::create_symlink("../file.sql", dir.file("sub/file"));
                               fs::create_symlink("..", dir.file("sub/up"));
                               fs::create_symlink("made.sql", dir.file("sub/dangling"));
                             },
                             {"dangling link", "file link", "up link"}}),
                         listingName);
#endif

class CreateFolder : public ::testing::TestWithParam<Creation> {};

TEST_P(CreateFolder, CreatesOnlyWhatIsNotThere) {
  ScratchDir dir;
  prepareFolder(dir);
  GetParam().prepare(dir);
  const std::vector<std::string> before = entriesOf(dir.path());
  const std::string path = dir.file(GetParam().name);
  const std::error_code error = os::createFolder(path);
  if (GetParam().expected) {
    EXPECT_EQ(error, *GetParam().expected) << error.message();
    EXPECT_EQ(entriesOf(dir.path()), before);
    EXPECT_EQ(readAll(dir.file("file.sql")), "x");
  } else {
    ASSERT_FALSE(error) << error.message();
    EXPECT_FALSE(os::checkFolder(path));
    EXPECT_TRUE(entriesOf(path).empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, CreateFolder,
    ::testing::Values(
        Creation{"New", "new", {}, nothing},
        Creation{"BeyondAsciiInASubfolder", "sub/\xe6\x97\xa5\xe6\x9c\xac", {}, nothing},
        Creation{"AFile", "file.sql", std::errc::file_exists, nothing},
        // What the folder holds stays.
        Creation{"AFolder", "sub", std::errc::file_exists,
                 [](const ScratchDir& dir) { writeAll(dir.file("sub/kept.sql"), "y"); }},
        Creation{"InAMissingFolder", "no/new", std::errc::no_such_file_or_directory, nothing}),
    creationName);

#ifndef _WIN32  // Wine makes no symbolic links
INSTANTIATE_TEST_SUITE_P(Links, CreateFolder,
                         ::testing::Values(Creation{"DanglingLink", "link", std::errc::file_exists,
                                                    [](const ScratchDir& dir) {
                                                      fs::create_symlink("made", dir.file("link"));
                                                    }}),
                         creationName);
#endif

// --- Names --------------------------------------------------------------------------------------

struct NameCase {
  std::string path;
  std::string name;  // fileNameOf(path)
};

void PrintTo(const NameCase& c, std::ostream* out) {
  *out << "'" << c.path << "'";
}

class FileNameOf : public ::testing::TestWithParam<NameCase> {};

TEST_P(FileNameOf, IsTheLastComponentOrNone) {
  EXPECT_EQ(os::fileNameOf(GetParam().path), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Paths, FileNameOf,
                         ::testing::Values(NameCase{"b.sql", "b.sql"}, NameCase{"a/b.sql", "b.sql"},
                                           NameCase{"/b.sql", "b.sql"}, NameCase{"a/", "a"},
                                           NameCase{".", ""}, NameCase{"..", ""},
                                           NameCase{"a/..", ""}, NameCase{"a/.", ""},
                                           NameCase{"", ""}));

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(WindowsPaths, FileNameOf,
                         ::testing::Values(NameCase{"a\\b.sql", "b.sql"}, NameCase{"a\\", "a"},
                                           NameCase{"C:b.sql", "b.sql"}, NameCase{"C:", ""},
                                           NameCase{"C:\\a/..", ""}));
#else
INSTANTIATE_TEST_SUITE_P(PosixPaths, FileNameOf,
                         ::testing::Values(NameCase{"a\\b.sql", "a\\b.sql"},
                                           NameCase{"C:b.sql", "C:b.sql"}));
#endif

struct FolderAndName {
  std::string folder;
  std::string path;  // pathIn(folder, "a.sql")
};

void PrintTo(const FolderAndName& c, std::ostream* out) {
  *out << "'" << c.folder << "'";
}

class PathIn : public ::testing::TestWithParam<FolderAndName> {};

// ... and the file name of that path is the name again.
TEST_P(PathIn, NamesTheFileInTheFolder) {
  const std::string path = os::pathIn(GetParam().folder, "a.sql");
  EXPECT_EQ(path, GetParam().path);
  EXPECT_EQ(os::fileNameOf(path), "a.sql");
}

INSTANTIATE_TEST_SUITE_P(Folders, PathIn,
                         ::testing::Values(FolderAndName{"", "a.sql"},
                                           FolderAndName{"out/", "out/a.sql"},
                                           FolderAndName{"/", "/a.sql"}));

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(WindowsFolders, PathIn,
                         ::testing::Values(FolderAndName{"out", "out\\a.sql"},
                                           FolderAndName{"out\\", "out\\a.sql"},
                                           FolderAndName{"C:", "C:a.sql"},
                                           FolderAndName{"C:\\", "C:\\a.sql"}));
#else
INSTANTIATE_TEST_SUITE_P(PosixFolders, PathIn,
                         ::testing::Values(FolderAndName{"out", "out/a.sql"},
                                           FolderAndName{"out\\", "out\\/a.sql"}));
#endif

// --- Spool --------------------------------------------------------------------------------------

TEST(Spool, ReadsBackWhatWasWrittenFromItsStart) {
  for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{300000}}) {
    os::File spool = spoolHolding(pattern(size));
    EXPECT_TRUE(readAll(spool) == pattern(size)) << size;
  }
}

// Whatever name the system gives it, if any, nobody else opens the spool by it, and it goes when
// its file is closed.
TEST(Spool, NobodyElseOpensItAndItGoesWithItsFile) {
  ScratchDir dir;
  {
    const TemporaryFolderSetTo temporary(dir.path());
    os::File spool = spoolHolding("text");
    for (const std::string& name : entriesOf(dir.path())) {
      os::File other;
      EXPECT_TRUE(os::openForReading(dir.file(name), other)) << name;
    }
    os::FileInfo info;
    ASSERT_FALSE(spool.inspect(info));
    EXPECT_TRUE(info.regular);
  }
  EXPECT_TRUE(entriesOf(dir.path()).empty());
}

TEST(Spool, AMissingTemporaryFolderIsAnError) {
  ScratchDir dir;
  const TemporaryFolderSetTo temporary(dir.file("missing"));
  os::File spool;
  EXPECT_EQ(os::openSpool(spool), std::errc::no_such_file_or_directory);
}

TEST(Spool, TheTemporaryFolderIsTheOneTheSystemIsToldOf) {
  ScratchDir dir;
  const TemporaryFolderSetTo temporary(dir.path());
  EXPECT_TRUE(fs::equivalent(nativePath(os::temporaryFolder()), nativePath(dir.path())))
      << os::temporaryFolder();
}

// --- Copying ------------------------------------------------------------------------------------

// Each output takes its own way through copyRest on some system: another file, a file that only
// appends (which kernel copies refuse), a pipe.
struct CopyTarget {
  const char* label;
  // Opens the output, in `dir`; `received` tells what reached it once it is closed.
  os::File (*open)(const ScratchDir& dir, std::thread& reader, std::string& received);
};

void PrintTo(const CopyTarget& target, std::ostream* out) {
  *out << target.label;
}

class CopyRest : public ::testing::TestWithParam<CopyTarget> {};

TEST_P(CopyRest, CopiesEveryByteFromThePosition) {
  for (const std::size_t size : {std::size_t{0}, std::size_t{5}, std::size_t{(1 << 20) + 3}}) {
    ScratchDir dir;
    os::File spool = spoolHolding(pattern(size));
    std::size_t skipped = 0;
    char first[2];
    if (size > 0) {
      ASSERT_FALSE(spool.read(first, 2, skipped));  // starts where reading left off
    }
    std::thread reader;
    std::string received;
    os::File out = GetParam().open(dir, reader, received);
    EXPECT_FALSE(os::copyRest(spool, out));
    EXPECT_FALSE(out.close());
    if (reader.joinable()) {
      reader.join();
    } else {
      received = readAll(dir.file("out"));
    }
    EXPECT_TRUE(received == pattern(size).substr(skipped))
        << size << " bytes: " << received.size() << " copied";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Targets, CopyRest,
    ::testing::Values(CopyTarget{"File",
                                 [](const ScratchDir& dir, std::thread&, std::string&) {
                                   os::File out;
                                   EXPECT_FALSE(os::openForWriting(dir.file("out"), out));
                                   return out;
                                 }},
                      CopyTarget{"AppendingFile",
                                 [](const ScratchDir& dir, std::thread&, std::string&) {
                                   return openForAppending(dir.file("out"));
                                 }},
                      CopyTarget{"Pipe",
                                 [](const ScratchDir&, std::thread& reader, std::string& received) {
                                   os::File in;
                                   os::File out;
                                   makePipe(in, out);
                                   // The end of the pipe is its end.
                                   reader = std::thread([&received, in = std::move(in)]() mutable {
                                     received = readAll(in);
                                   });
                                   return out;
                                 }}),
    [](const ::testing::TestParamInfo<CopyTarget>& info) { return info.param.label; });

}  // namespace
}  // namespace wqnprep::testing
