// The POSIX way to replace a file by a new one: written beside it, renamed over it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "os/file.h"
#include "os/posix_descriptors.h"

namespace wqnprep::os {

std::string finalPath(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return path;
  std::string result = resolved;
  std::free(resolved);
  return result;
}

std::error_code inspectPath(const std::string& path, FileInfo& info) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return posix::lastError();
  info.directory = S_ISDIR(status.st_mode);
  info.regular = S_ISREG(status.st_mode);
  info.volume = static_cast<std::uint64_t>(status.st_dev);
  info.index = static_cast<std::uint64_t>(status.st_ino);
  info.permissions = static_cast<std::uint32_t>(status.st_mode & 07777);
  return {};
}

std::error_code createBeside(const std::string& target, const FileInfo* like, File& file,
                             std::string& created) {
  const std::string::size_type slash = target.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  std::string pattern = folder + "." + base + ".wqnprep-XXXXXX";
  const int fd = posix::keepOffStandardStreams(::mkostemp(pattern.data(), O_CLOEXEC));
  if (fd < 0) return posix::lastError();
  file = File(fd, true);
  created = pattern;
  // The file gets the mode it would have had if written in place.
  mode_t mode = 0666;
  if (like != nullptr) {
    mode = static_cast<mode_t>(like->permissions);
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }
  if (::fchmod(fd, mode) != 0) return posix::lastError();
  return {};
}

std::error_code replaceFile(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) return posix::lastError();
  return {};
}

void removeFile(const std::string& path) noexcept {
  (void)::unlink(path.c_str());
}

}  // namespace wqnprep::os
