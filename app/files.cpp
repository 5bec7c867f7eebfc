// POSIX file access. Everything that depends on the operating system's file interface is here.
#include "app/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <system_error>

namespace wqnprep {
namespace {

[[noreturn]] void raise(int error, const std::string& what, const std::string& path) {
  throw std::system_error(error, std::generic_category(), what + " '" + path + "'");
}

struct stat statOf(int fd, const std::string& what, const std::string& path) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) raise(errno, what, path);
  return info;
}

}  // namespace

InputFile::InputFile(const std::string& path) : path_(path) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) raise(errno, "cannot open input", path);
  // A directory opens fine and fails only on the first read; refuse it before the output is
  // touched.
  if (S_ISDIR(statOf(fd_, "cannot open input", path).st_mode)) {
    ::close(fd_);
    fd_ = -1;
    raise(EISDIR, "cannot read input", path);
  }
}

InputFile::~InputFile() {
  if (fd_ >= 0) ::close(fd_);
}

std::size_t InputFile::read(char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(fd_, buffer, size);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) raise(errno, "cannot read input", path_);
  }
}

OutputFile::OutputFile(const std::string& path, const InputFile& input) : path_(path) {
  // Opened without truncation: the file is emptied only once it is known not to be the input.
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd_ < 0) raise(errno, "cannot open output", path);
  const struct stat out = statOf(fd_, "cannot open output", path);
  const struct stat in = statOf(input.descriptor(), "cannot open input", input.path());
  if (out.st_dev == in.st_dev && out.st_ino == in.st_ino) {
    ::close(fd_);
    fd_ = -1;
    throw std::runtime_error("output '" + path + "' is the input file '" + input.path() +
                             "'; refusing to overwrite it");
  }
  if (S_ISREG(out.st_mode) && ::ftruncate(fd_, 0) != 0) {
    const int error = errno;
    ::close(fd_);
    fd_ = -1;
    raise(error, "cannot empty output", path);
  }
}

OutputFile::~OutputFile() {
  if (fd_ >= 0) ::close(fd_);
}

void OutputFile::write(const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t put = ::write(fd_, data, size);
    if (put < 0) {
      if (errno == EINTR) continue;
      raise(errno, "cannot write output", path_);
    }
    data += put;
    size -= static_cast<std::size_t>(put);
  }
}

void OutputFile::close() {
  const int fd = fd_;
  fd_ = -1;
  if (fd >= 0 && ::close(fd) != 0 && errno != EINTR) raise(errno, "cannot write output", path_);
}

}  // namespace wqnprep
