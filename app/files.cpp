#include "app/files.h"

#include <stdexcept>
#include <system_error>

namespace wqnprep {
namespace {

constexpr const char* kStandardStream = "-";

[[noreturn]] void raise(std::error_code error, const std::string& what, const std::string& name) {
  throw std::system_error(error, what + " '" + name + "'");
}

void check(std::error_code error, const std::string& what, const std::string& name) {
  if (error) raise(error, what, name);
}

os::FileInfo infoOf(const os::File& file, const std::string& what, const std::string& name) {
  os::FileInfo info;
  check(file.inspect(info), what, name);
  return info;
}

// Writing a regular file that is also the input would destroy it, or feed the output back in.
void refuseInput(const os::FileInfo& out, const std::string& name, const InputFile& input) {
  if (out.regular && os::sameFile(out, input.info())) {
    throw std::runtime_error("output '" + name + "' is the input file '" + input.name() +
                             "'; refusing to overwrite it");
  }
}

}  // namespace

InputFile::InputFile(const std::string& path) {
  if (path == kStandardStream) {
    name_ = "<stdin>";
    file_ = os::standardInput();
  } else {
    name_ = path;
    check(os::openForReading(path, file_), "cannot open input", path);
  }
  info_ = infoOf(file_, "cannot open input", name_);
  // A directory opens fine and fails only on the first read; refuse it before the output is
  // touched.
  if (info_.directory)
    raise(std::make_error_code(std::errc::is_a_directory), "cannot read input", name_);
}

std::size_t InputFile::read(char* buffer, std::size_t size) {
  std::size_t got = 0;
  check(file_.read(buffer, size, got), "cannot read input", name_);
  return got;
}

OutputFile::OutputFile(const std::string& path, const InputFile& input, bool replaceWhenDone) {
  if (path == kStandardStream) {
    name_ = "<stdout>";
    file_ = os::standardOutput();
    refuseInput(infoOf(file_, "cannot write output", name_), name_, input);
    return;
  }
  name_ = path;
  os::FileInfo existing;
  const bool exists = !os::inspectPath(path, existing);
  if (replaceWhenDone && (!exists || existing.regular)) {
    openBeside(path, input);
  } else {
    openInPlace(path, input);
  }
}

void OutputFile::openInPlace(const std::string& path, const InputFile& input) {
  // Opened without truncation: the file is emptied only once it is known not to be the input.
  check(os::openForWriting(path, file_), "cannot open output", path);
  const os::FileInfo out = infoOf(file_, "cannot open output", path);
  refuseInput(out, path, input);
  if (out.regular) check(file_.truncate(), "cannot empty output", path);
}

void OutputFile::openBeside(const std::string& path, const InputFile& input) {
  // Through a symbolic link, the file it names is the one replaced.
  target_ = os::finalPath(path);
  os::FileInfo existing;
  const bool exists = !os::inspectPath(target_, existing);
  if (exists) refuseInput(existing, path, input);
  const std::error_code error =
      os::createBeside(target_, exists ? &existing : nullptr, file_, temporary_);
  check(error, "cannot open output", path);
}

OutputFile::~OutputFile() {
  (void)file_.close();
  if (!temporary_.empty()) os::removeFile(temporary_);
}

void OutputFile::write(const char* data, std::size_t size) {
  check(file_.write(data, size), "cannot write output", name_);
}

void OutputFile::commit() {
  check(file_.close(), "cannot write output", name_);
  if (!temporary_.empty()) {
    check(os::replaceFile(temporary_, target_), "cannot replace output", name_);
    temporary_.clear();
  }
}

}  // namespace wqnprep
