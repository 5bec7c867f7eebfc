// The operating system's files, behind an interface that names no system's own types, so that
// everything above it is written once. os/posix_*.cpp implement it for POSIX systems,
// os/windows_*.cpp for Windows.
//
// Every operation returns the system's error code, empty on success; the callers turn it into a
// message that names the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace wqnprep::os {

// The largest block a copy moves at once: system calls cost little next to copying this much, and
// it stays within the processor's caches.
inline constexpr std::size_t kBlockSize = std::size_t{128} * 1024;

// What the system tells about an open file.
struct FileInfo {
  bool directory = false;
  bool regular = false;
  std::uint64_t size = 0;  // of a regular file, in bytes
  // Together they name the file on this machine, whatever name it was opened by.
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
};

inline bool sameFile(const FileInfo& a, const FileInfo& b) {
  return a.volume == b.volume && a.index == b.index;
}

// An open file. A standard stream is borrowed and never closed; any other file is closed when
// its File goes.
class File {
 public:
  using Handle = std::intptr_t;  // a descriptor or a handle, whatever the system uses

  File() = default;
  File(Handle handle, bool owned) : handle_(handle), owned_(owned) {}
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool isOpen() const { return handle_ != kNone; }
  Handle handle() const { return handle_; }

  std::error_code inspect(FileInfo& info) const;
  // Reads up to `size` bytes; `got` is 0 only at the end of the file.
  std::error_code read(char* buffer, std::size_t size, std::size_t& got);
  // Reads up to `size` bytes from `offset` of a regular file; `got` is 0 only at or past its end.
  // Threads may call it at once. Where read() goes on from after it, the system decides.
  std::error_code readAt(char* buffer, std::size_t size, std::uint64_t offset, std::size_t& got);
  // Writes all `size` bytes.
  std::error_code write(const char* data, std::size_t size);
  // Empties the file.
  std::error_code truncate();
  // Goes back to the start, to read what was written.
  std::error_code rewind();
  // Closes the file, reporting written data that the system lost. A borrowed stream is only
  // let go.
  std::error_code close();

 private:
  static constexpr Handle kNone = -1;
  Handle handle_ = kNone;
  bool owned_ = false;
};

File standardInput();
File standardOutput();

// Opens an existing file for reading.
std::error_code openForReading(const std::string& path, File& file);
// Opens a file for writing, creating it if it is missing. An existing file keeps its content.
std::error_code openForWriting(const std::string& path, File& file);
// Opens an existing file for writing, keeping its content; a missing one is an error.
std::error_code openExistingForWriting(const std::string& path, File& file);
// Creates a new, empty regular file for writing; std::errc::file_exists when `path` names
// anything already, a symbolic link included.
std::error_code createForWriting(const std::string& path, File& file);
// Whether openForWriting could create a file at `path`, which is missing: the system's error
// if its folder is missing or not writable, or the name is too long. Creates nothing.
std::error_code checkCreatable(const std::string& path);

// An unnamed temporary file, for holding data back: it has no name anyone else can open, and
// vanishes with the process however that ends. It goes in temporaryFolder().
std::error_code openSpool(File& file);
// $TMPDIR, or /tmp when that is not set; on Windows, the folder GetTempPathW names. Whether
// it can be used, openSpool tells.
std::string temporaryFolder();

// How many files the process may have open at once; SIZE_MAX where the system sets no limit.
std::size_t openFileLimit();

// What the system tells about the file `path` names (through symbolic links), without opening it
// for reading or writing: cheaper than opening it when only its identity matters.
std::error_code inspectPath(const std::string& path, FileInfo& info);

// Whether the file `path` names could be opened for reading, or for writing, asked without
// opening it: opening a FIFO or a device has effects on whoever is at its other end. The
// system's error if not.
std::error_code checkReadable(const std::string& path);
std::error_code checkWritable(const std::string& path);
// Whether `path` is a symbolic link to nothing, through which a write would create a file
// elsewhere.
bool isDanglingLink(const std::string& path);
// inspectPath and isDanglingLink at once, in one look where `path` is no symbolic link.
std::error_code inspectPathAndLink(const std::string& path, FileInfo& info, bool& dangling);
// Whether the names of files in `folder` that differ only in the case of their letters name
// one file there, as on Windows, on macOS by default and in case-folding Linux folders.
bool foldsCase(const std::string& folder);

// Whether `path` names an existing folder: the system's error if it is missing or cannot be
// looked at, std::errc::not_a_directory if it is something else. Opens nothing.
std::error_code checkFolder(const std::string& path);

// What an entry of a folder is, as the entry itself says: a symbolic link is not followed. On
// Windows every reparse point (a junction too) counts as a link.
enum class EntryKind { kFolder, kRegularFile, kLink, kOther };

struct FolderEntry {
  std::string name;
  EntryKind kind = EntryKind::kOther;
};

// The entries of `folder`, "." and ".." left out, in the order the system gives them.
std::error_code listFolder(const std::string& folder, std::vector<FolderEntry>& entries);
// Creates the folder `path`; std::errc::file_exists when `path` names anything already.
std::error_code createFolder(const std::string& path);

// The last component of `path`, the name a file or folder in another folder gets: "b.sql" for
// "a/b.sql", "a" for "a/". Empty when the path names nothing of its own (".", "..", "a/.", a
// root).
std::string fileNameOf(const std::string& path);
// The path of the file called `name` in `folder`.
std::string pathIn(const std::string& folder, const std::string& name);
// `path` as the path of a URI, with '/' between its components: "sub/a.sql" for "sub\a.sql" on
// Windows. An absolute path begins with one '/' ("/tmp/a.sql"; "/C:/a.sql" for "C:\a.sql"), or
// with two when it names a share on another host ("//host/share/a.sql" for
// "\\host\share\a.sql").
std::string uriPathOf(const std::string& path);

// Copies `from`, from its current position to its end, to `to` at its current position.
std::error_code copyRest(File& from, File& to);

enum class StandardStream { output, error };

// Writes UTF-8 text that people read (help, messages, findings) to standard output or error: on
// a console as the characters it spells, elsewhere as its bytes, unchanged. Allocates nothing,
// so that it can report even with memory exhausted.
std::error_code writeText(StandardStream stream, std::string_view text) noexcept;

// Writes to standard error, for when nothing else can report: before main, or with memory
// exhausted. A failure is ignored, as nothing is left to report it to.
void writeToStandardError(const char* text, std::size_t size) noexcept;

}  // namespace wqnprep::os
