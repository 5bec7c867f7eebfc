// The POSIX spool file and copying a file's rest, with the kernel's copy calls where it has them.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/sendfile.h>
#endif

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#include "os/file.h"
#include "os/posix_descriptors.h"

namespace wqnprep::os {
namespace {

using posix::keepOffStandardStreams;
using posix::lastError;

constexpr std::size_t kChunk = std::size_t{1} << 30;  // per call, well below any size limit

// Kernel calls that cannot copy between these two files say so with one of these, before they
// copy anything; the next way is tried then.
bool unsupported(int error) {
  return error == EINVAL || error == ENOSYS || error == EXDEV || error == EOPNOTSUPP ||
         error == EBADF || error == ETXTBSY;
}

enum class Copied { all, unsupported, failed };

#ifdef __linux__
// Within or between file systems that share data (reflinks, server-side copies).
Copied copyFileRange(int in, off_t& offset, int out) {
  for (;;) {
    const ssize_t count = ::copy_file_range(in, &offset, out, nullptr, kChunk, 0);
    if (count == 0) return Copied::all;
    if (count > 0) continue;
    if (errno == EINTR) continue;
    return unsupported(errno) ? Copied::unsupported : Copied::failed;
  }
}

// From a file to anything, pipes and devices included, without a copy through this process.
Copied sendFile(int in, off_t& offset, int out) {
  for (;;) {
    const ssize_t count = ::sendfile(out, in, &offset, kChunk);
    if (count == 0) return Copied::all;
    if (count > 0) continue;
    if (errno == EINTR) continue;
    return errno == EINVAL || errno == ENOSYS ? Copied::unsupported : Copied::failed;
  }
}
#endif

Copied copyThroughBuffer(int in, off_t& offset, int out) {
  std::vector<char> buffer(kBlockSize);
  for (;;) {
    const ssize_t count = ::pread(in, buffer.data(), buffer.size(), offset);
    if (count < 0) {
      if (errno == EINTR) continue;
      return Copied::failed;
    }
    if (count == 0) return Copied::all;
    for (const char* data = buffer.data(); data < buffer.data() + count;) {
      const ssize_t put =
          ::write(out, data, static_cast<std::size_t>(buffer.data() + count - data));
      if (put < 0) {
        if (errno == EINTR) continue;
        return Copied::failed;
      }
      data += put;
    }
    offset += count;
  }
}

}  // namespace

std::string temporaryFolder() {
  const char* folder = std::getenv("TMPDIR");
  return folder != nullptr && *folder != '\0' ? folder : "/tmp";
}

std::error_code openSpool(File& file) {
  const std::string folder = temporaryFolder();
  int fd = -1;
#ifdef O_TMPFILE
  fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  // Only a file system without unnamed files goes on to the portable way.
  if (fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return lastError();
#endif
  // Where O_TMPFILE exists, this is the fallback; cppcheck sees only the other system.
  // cppcheck-suppress knownConditionTrueFalse
  if (fd < 0) {
    std::string pattern = folder + "/.wqnprep-XXXXXX";
    fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) return lastError();
    // Unnamed at once: from here on it goes with the process.
    if (::unlink(pattern.c_str()) != 0) {
      const std::error_code error = lastError();
      ::close(fd);
      return error;
    }
  }
  fd = keepOffStandardStreams(fd);
  if (fd < 0) return lastError();
  file = File(fd, true);
  return {};
}

std::error_code copyRest(File& from, File& to) {
  const int in = static_cast<int>(from.handle());
  const int out = static_cast<int>(to.handle());
  off_t offset = ::lseek(in, 0, SEEK_CUR);
  if (offset < 0) return lastError();
  Copied copied = Copied::unsupported;
#ifdef __linux__
  copied = copyFileRange(in, offset, out);
  if (copied == Copied::unsupported) copied = sendFile(in, offset, out);
#endif
  // On Linux the kernel's copies come first; cppcheck sees only the other systems.
  // cppcheck-suppress knownConditionTrueFalse
  if (copied == Copied::unsupported) copied = copyThroughBuffer(in, offset, out);
  if (copied == Copied::failed) return lastError();
  // Leave `from` where a read would have left it.
  if (::lseek(in, offset, SEEK_SET) < 0) return lastError();
  return {};
}

}  // namespace wqnprep::os
