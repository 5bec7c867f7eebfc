// The POSIX implementation of open files: file descriptors.
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/vfs.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <utility>

#include "os/file.h"
#include "os/posix_descriptors.h"

namespace wqnprep::os {
namespace {

using posix::keepOffStandardStreams;
using posix::lastError;

#if defined(__linux__)
// Volumes whose names ignore case everywhere, and the attribute of a folder that folds case.
constexpr decltype(statfs::f_type) kFatMagic = 0x4d44;
constexpr decltype(statfs::f_type) kExfatMagic = 0x2011BAB0;
constexpr int kCaseFoldFlag = 0x40000000;  // FS_CASEFOLD_FL, missing from older headers
#endif

int fdOf(const File& file) {
  return static_cast<int>(file.handle());
}

std::error_code openWith(const std::string& path, int flags, File& file) {
  const int fd = keepOffStandardStreams(::open(path.c_str(), flags | O_CLOEXEC, 0666));
  if (fd < 0) return lastError();
  file = File(fd, true);
  return {};
}

}  // namespace

namespace {

FileInfo infoFrom(const struct stat& status) {
  FileInfo info;
  info.directory = S_ISDIR(status.st_mode);
  info.regular = S_ISREG(status.st_mode);
  if (info.regular) info.size = static_cast<std::uint64_t>(status.st_size);
  info.volume = static_cast<std::uint64_t>(status.st_dev);
  info.index = static_cast<std::uint64_t>(status.st_ino);
  return info;
}

}  // namespace

std::error_code File::inspect(FileInfo& info) const {
  struct stat status {};
  if (::fstat(fdOf(*this), &status) != 0) return lastError();
  info = infoFrom(status);
  return {};
}

std::size_t openFileLimit() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
      limit.rlim_cur >= SIZE_MAX)
    return SIZE_MAX;
  return static_cast<std::size_t>(limit.rlim_cur);
}

std::error_code inspectPath(const std::string& path, FileInfo& info) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return lastError();
  info = infoFrom(status);
  return {};
}

std::error_code File::read(char* buffer, std::size_t size, std::size_t& got) {
  for (;;) {
    const ssize_t count = ::read(fdOf(*this), buffer, size);
    if (count >= 0) {
      got = static_cast<std::size_t>(count);
      return {};
    }
    if (errno != EINTR) return lastError();
  }
}

std::error_code File::readAt(char* buffer, std::size_t size, std::uint64_t offset,
                             std::size_t& got) {
  for (;;) {
    const ssize_t count = ::pread(fdOf(*this), buffer, size, static_cast<off_t>(offset));
    if (count >= 0) {
      got = static_cast<std::size_t>(count);
      return {};
    }
    if (errno != EINTR) return lastError();
  }
}

std::error_code File::write(const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t put = ::write(fdOf(*this), data, size);
    if (put < 0) {
      if (errno == EINTR) continue;
      return lastError();
    }
    data += put;
    size -= static_cast<std::size_t>(put);
  }
  return {};
}

std::error_code File::truncate() {
  if (::ftruncate(fdOf(*this), 0) != 0) return lastError();
  return {};
}

std::error_code File::rewind() {
  if (::lseek(fdOf(*this), 0, SEEK_SET) != 0) return lastError();
  return {};
}

std::error_code File::close() {
  const int fd = static_cast<int>(std::exchange(handle_, kNone));
  // After an interrupted close the descriptor is gone all the same, and nothing was lost.
  if (owned_ && fd >= 0 && ::close(fd) != 0 && errno != EINTR) return lastError();
  return {};
}

File standardInput() {
  return {STDIN_FILENO, false};
}

File standardOutput() {
  return {STDOUT_FILENO, false};
}

std::error_code openForReading(const std::string& path, File& file) {
  return openWith(path, O_RDONLY, file);
}

std::error_code openForWriting(const std::string& path, File& file) {
  return openWith(path, O_WRONLY | O_CREAT, file);
}

std::error_code openExistingForWriting(const std::string& path, File& file) {
  return openWith(path, O_WRONLY, file);
}

std::error_code createForWriting(const std::string& path, File& file) {
  return openWith(path, O_WRONLY | O_CREAT | O_EXCL, file);
}

std::error_code checkCreatable(const std::string& path) {
  if (path.empty()) return std::make_error_code(std::errc::no_such_file_or_directory);
  if (path.back() == '/') return std::make_error_code(std::errc::is_a_directory);
  const std::string::size_type slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "."
                             : slash == 0               ? "/"
                                                        : path.substr(0, slash);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  // The effective user, as open() judges it; "/." fails for a missing folder and for a file
  // that is no folder, with the errors open() would give.
  if (::faccessat(AT_FDCWD, (folder + "/.").c_str(), W_OK | X_OK, AT_EACCESS) != 0)
    return lastError();
  // Names this short fit every file system in use (eCryptfs, the tightest, takes 143 bytes);
  // only a longer one costs asking the folder's.
  constexpr std::size_t kNameEverywhere = 143;
  if (name.size() <= kNameEverywhere) return {};
  const long longest = ::pathconf(folder.c_str(), _PC_NAME_MAX);
  if (longest > 0 && name.size() > static_cast<std::size_t>(longest))
    return std::make_error_code(std::errc::filename_too_long);
  return {};
}

std::error_code checkReadable(const std::string& path) {
  if (::faccessat(AT_FDCWD, path.c_str(), R_OK, AT_EACCESS) != 0) return lastError();
  return {};
}

std::error_code checkWritable(const std::string& path) {
  if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) return lastError();
  return {};
}

bool isDanglingLink(const std::string& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode) &&
         ::stat(path.c_str(), &status) != 0 && errno == ENOENT;
}

std::error_code inspectPathAndLink(const std::string& path, FileInfo& info, bool& dangling) {
  dangling = false;
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0) return lastError();
  if (S_ISLNK(status.st_mode) && ::stat(path.c_str(), &status) != 0) {
    dangling = errno == ENOENT;
    return lastError();
  }
  info = infoFrom(status);
  return {};
}

bool foldsCase(const std::string& folder) {
#if defined(__APPLE__)
  return ::pathconf(folder.c_str(), _PC_CASE_SENSITIVE) == 0;
#elif defined(__linux__)
  struct statfs volume {};
  if (::statfs(folder.c_str(), &volume) != 0) return false;
  if (volume.f_type == kFatMagic || volume.f_type == kExfatMagic) return true;
  // ext4 and f2fs fold case in the folders that carry the attribute.
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  int flags = 0;
  const bool folds = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & kCaseFoldFlag) != 0;
  ::close(fd);
  return folds;
#else
  (void)folder;
  return false;
#endif
}

std::error_code checkFolder(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return lastError();
  if (!S_ISDIR(status.st_mode)) return std::make_error_code(std::errc::not_a_directory);
  return {};
}

namespace {

// What `entry` of the folder open as `folder` is; asked of the file system where the folder does
// not say.
EntryKind kindOf(int folder, const dirent& entry) {
  unsigned char type = entry.d_type;
  if (type == DT_UNKNOWN) {
    struct stat status {};
    // One that has gone meanwhile is no file to take.
    if (::fstatat(folder, entry.d_name, &status, AT_SYMLINK_NOFOLLOW) != 0)
      return EntryKind::kOther;
    type = IFTODT(status.st_mode);
  }
  switch (type) {
    case DT_DIR:
      return EntryKind::kFolder;
    case DT_REG:
      return EntryKind::kRegularFile;
    case DT_LNK:
      return EntryKind::kLink;
    default:
      return EntryKind::kOther;
  }
}

}  // namespace

std::error_code listFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
  entries.clear();
  const int fd = keepOffStandardStreams(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd < 0) return lastError();
  DIR* const stream = ::fdopendir(fd);
  if (stream == nullptr) {
    const std::error_code error = lastError();
    ::close(fd);
    return error;
  }
  std::error_code error;
  for (;;) {
    errno = 0;
    const dirent* const entry = ::readdir(stream);
    if (entry == nullptr) {
      if (errno != 0) error = lastError();
      break;
    }
    const std::string name = entry->d_name;
    if (name != "." && name != "..") entries.push_back({name, kindOf(fd, *entry)});
  }
  ::closedir(stream);
  return error;
}

std::error_code createFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) != 0) return lastError();
  return {};
}

std::string fileNameOf(const std::string& path) {
  // npos + 1 is 0: a path of slashes alone is a root.
  const std::string trimmed = path.substr(0, path.find_last_not_of('/') + 1);
  const std::string name = trimmed.substr(trimmed.find_last_of('/') + 1);
  return name == "." || name == ".." ? std::string() : name;
}

std::string pathIn(const std::string& folder, const std::string& name) {
  return folder.empty() || folder.back() == '/' ? folder + name : folder + '/' + name;
}

// POSIX leaves it to the system what a path beginning with exactly two slashes names; Linux, like
// most, reads it as one.
std::string uriPathOf(const std::string& path) {
  if (!path.starts_with('/')) return path;
  return path.substr(std::min(path.find_first_not_of('/'), path.size()) - 1);
}

std::error_code writeText(StandardStream stream, std::string_view text) noexcept {
  File borrowed(stream == StandardStream::output ? STDOUT_FILENO : STDERR_FILENO, false);
  return borrowed.write(text.data(), text.size());
}

}  // namespace wqnprep::os
