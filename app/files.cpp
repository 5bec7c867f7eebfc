// POSIX file access. Everything that depends on the operating system's file interface is here.
#include "app/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <stdexcept>
#include <system_error>

namespace wqnprep {
namespace {

constexpr const char* kStandardStream = "-";

[[noreturn]] void raise(int error, const std::string& what, const std::string& name) {
  throw std::system_error(error, std::generic_category(), what + " '" + name + "'");
}

struct stat statOf(int fd, const std::string& what, const std::string& name) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) raise(errno, what, name);
  return info;
}

// With a standard stream closed, a file opened now would take its number and pass for it; move
// it out of the way so that "-" still means the stream the caller gave (or none).
int keepOffStandardStreams(int fd) {
  if (fd < 0 || fd > STDERR_FILENO) return fd;
  const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  const int error = errno;
  ::close(fd);
  errno = error;
  return moved;
}

bool sameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Writing a regular file that is also the input would destroy it, or feed the output back in.
void refuseInput(const struct stat& out, const std::string& name, const InputFile& input) {
  const struct stat in = statOf(input.descriptor(), "cannot open input", input.name());
  if (S_ISREG(out.st_mode) && sameFile(out, in)) {
    throw std::runtime_error("output '" + name + "' is the input file '" + input.name() +
                             "'; refusing to overwrite it");
  }
}

}  // namespace

InputFile::InputFile(const std::string& path) {
  if (path == kStandardStream) {
    name_ = "<stdin>";
    fd_ = STDIN_FILENO;
    owned_ = false;
  } else {
    name_ = path;
    fd_ = keepOffStandardStreams(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd_ < 0) raise(errno, "cannot open input", path);
  }
  // A directory opens fine and fails only on the first read; refuse it before the output is
  // touched.
  if (S_ISDIR(statOf(fd_, "cannot open input", name_).st_mode))
    raise(EISDIR, "cannot read input", name_);
}

InputFile::~InputFile() {
  if (owned_ && fd_ >= 0) ::close(fd_);
}

std::size_t InputFile::read(char* buffer, std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(fd_, buffer, size);
    if (got >= 0) return static_cast<std::size_t>(got);
    if (errno != EINTR) raise(errno, "cannot read input", name_);
  }
}

OutputFile::OutputFile(const std::string& path, const InputFile& input, bool replaceWhenDone) {
  if (path == kStandardStream) {
    name_ = "<stdout>";
    fd_ = STDOUT_FILENO;
    owned_ = false;
    const struct stat out = statOf(fd_, "cannot write output", name_);
    refuseInput(out, name_, input);
    return;
  }
  name_ = path;
  struct stat existing {};
  const bool exists = ::stat(path.c_str(), &existing) == 0;
  if (replaceWhenDone && (!exists || S_ISREG(existing.st_mode))) {
    openBeside(path, input);
  } else {
    openInPlace(path, input);
  }
}

void OutputFile::openInPlace(const std::string& path, const InputFile& input) {
  // Opened without truncation: the file is emptied only once it is known not to be the input.
  fd_ = keepOffStandardStreams(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666));
  if (fd_ < 0) raise(errno, "cannot open output", path);
  const struct stat out = statOf(fd_, "cannot open output", path);
  refuseInput(out, path, input);
  if (S_ISREG(out.st_mode) && ::ftruncate(fd_, 0) != 0) raise(errno, "cannot empty output", path);
}

void OutputFile::openBeside(const std::string& path, const InputFile& input) {
  // Through a symbolic link, the file it names is the one replaced.
  target_ = path;
  if (char* resolved = ::realpath(path.c_str(), nullptr)) {
    target_ = resolved;
    std::free(resolved);
  }
  struct stat existing {};
  const bool exists = ::stat(target_.c_str(), &existing) == 0;
  if (exists) refuseInput(existing, path, input);

  const std::string::size_type slash = target_.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "" : target_.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target_ : target_.substr(slash + 1);
  std::string pattern = folder + "." + base + ".wqnprep-XXXXXX";
  fd_ = keepOffStandardStreams(::mkostemp(pattern.data(), O_CLOEXEC));
  if (fd_ < 0) raise(errno, "cannot open output", path);
  temporary_ = pattern;
  // The file gets the mode it would have had if written in place.
  mode_t mode = 0666;
  if (exists) {
    mode = existing.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }
  if (::fchmod(fd_, mode) != 0) raise(errno, "cannot open output", path);
}

OutputFile::~OutputFile() {
  if (owned_ && fd_ >= 0) ::close(fd_);
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

void OutputFile::write(const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t put = ::write(fd_, data, size);
    if (put < 0) {
      if (errno == EINTR) continue;
      raise(errno, "cannot write output", name_);
    }
    data += put;
    size -= static_cast<std::size_t>(put);
  }
}

void OutputFile::commit() {
  const int fd = fd_;
  fd_ = -1;
  if (owned_ && fd >= 0 && ::close(fd) != 0 && errno != EINTR) {
    raise(errno, "cannot write output", name_);
  }
  if (!temporary_.empty()) {
    if (::rename(temporary_.c_str(), target_.c_str()) != 0)
      raise(errno, "cannot replace output", name_);
    temporary_.clear();
  }
}

}  // namespace wqnprep
