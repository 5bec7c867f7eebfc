#include "app/files.h"

#include <stdexcept>
#include <system_error>
#include <utility>

#include "app/output_refusals.h"
#include "text/quoted_name.h"

namespace wqnprep {
namespace {

constexpr const char* kStandardStream = "-";

[[noreturn]] void raise(std::error_code error, const std::string& what, const std::string& name) {
  throw std::system_error(error, what + " " + quotedName(name));
}

void check(std::error_code error, const std::string& what, const std::string& name) {
  if (error) raise(error, what, name);
}

os::FileInfo infoOf(const os::File& file, const std::string& what, const std::string& name) {
  os::FileInfo info;
  check(file.inspect(info), what, name);
  return info;
}

}  // namespace

InputFile::InputFile(const std::string& path, const std::string& standardInputName) {
  if (path == kStandardStream) {
    name_ = standardInputName;
    standardInput_ = true;
    file_ = os::standardInput();
  } else {
    name_ = path;
    check(os::openForReading(path, file_), "cannot open input", path);
  }
  info_ = infoOf(file_, "cannot open input", name_);
  // A directory opens fine and fails only on the first read; refuse it before the output is
  // touched.
  if (info_.directory) {
    raise(std::make_error_code(std::errc::is_a_directory), "cannot read input", name_);
  }
}

std::size_t InputFile::read(char* buffer, std::size_t size) {
  std::size_t got = 0;
  check(file_.read(buffer, size, got), "cannot read input", name_);
  return got;
}

std::size_t InputFile::readAt(char* buffer, std::size_t size, std::uint64_t offset) {
  std::size_t got = 0;
  check(file_.readAt(buffer, size, offset, got), "cannot read input", name_);
  return got;
}

bool InputFile::rewind() {
  if (!info_.regular) return false;
  check(file_.rewind(), "cannot read input", name_);
  return true;
}

OutputFile::OutputFile(const std::string& path, const InputFile& input,
                       std::vector<std::string> folders, bool foundMissing)
    : OutputFile(path, input.name(), input.info(), std::move(folders), foundMissing) {}

OutputFile::OutputFile(const std::string& path, std::string inputName, const os::FileInfo& input,
                       std::vector<std::string> folders, bool foundMissing)
    : path_(path), inputName_(std::move(inputName)), input_(input), folders_(std::move(folders)) {
  if (path == kStandardStream) {
    name_ = "<stdout>";
    standard_ = true;
    file_ = os::standardOutput();
    info_ = infoOf(file_, "cannot write output", name_);
    refuseInput();
    return;
  }
  name_ = path;
  missingFolder_ = firstMissingFolder(folders_);
  if (missingFolder_ < folders_.size()) return;  // a new file, made with its folders
  // Opened without truncation: nothing changes until there is something to write.
  const std::error_code error = foundMissing
                                    ? std::make_error_code(std::errc::no_such_file_or_directory)
                                    : os::openExistingForWriting(path, file_);
  if (error == std::errc::no_such_file_or_directory) {
    check(os::checkCreatable(path), "cannot open output", path);
    return;
  }
  check(error, "cannot open output", path);
  info_ = infoOf(file_, "cannot open output", path);
  refuseInput();
}

// Writing a regular file that is also the input would destroy it, or feed the output back in.
void OutputFile::refuseInput() const {
  if (info_.regular && os::sameFile(info_, input_)) {
    throw outputIsInput(name_, inputName_);
  }
}

std::optional<os::FileInfo> OutputFile::existingRegularFile() const {
  if (standard_ || !file_.isOpen() || !info_.regular) return std::nullopt;
  return info_;
}

void OutputFile::prepare() {
  if (prepared_) return;
  // Once it has failed (the output found to be the input, one that could not be emptied), the
  // file may be open: it is never written after all.
  if (preparing_) throw std::logic_error("an output that could not be prepared was written to");
  preparing_ = true;
  if (!file_.isOpen()) {
    // Missing when checked: a file made now is new and empty, so it is neither the input nor
    // anything to empty. One that appeared meanwhile is opened as any existing output, in
    // folders that may have appeared too.
    for (std::size_t i = missingFolder_; i < folders_.size(); ++i) {
      const std::error_code made = os::createFolder(folders_[i]);
      if (made != std::errc::file_exists) check(made, "cannot create folder", folders_[i]);
    }
    const std::error_code created = os::createForWriting(path_, file_);
    if (!created) {
      prepared_ = true;
      return;
    }
    if (created != std::errc::file_exists) check(created, "cannot open output", path_);
    check(os::openForWriting(path_, file_), "cannot open output", path_);
    info_ = infoOf(file_, "cannot open output", path_);
    refuseInput();
  }
  // Standard output is written where the caller's redirection put it.
  if (!standard_ && info_.regular) check(file_.truncate(), "cannot empty output", path_);
  prepared_ = true;
}

void OutputFile::write(const char* data, std::size_t size) {
  prepare();
  check(file_.write(data, size), "cannot write output", name_);
}

void OutputFile::copyFrom(os::File& spool) {
  prepare();
  check(os::copyRest(spool, file_), "cannot write output", name_);
}

void OutputFile::commit() {
  prepare();
  check(file_.close(), "cannot write output", name_);
}

SpoolFile::SpoolFile() : folder_(os::temporaryFolder()) {
  check(os::openSpool(file_), "cannot create a temporary file in", folder_);
}

void SpoolFile::write(const char* data, std::size_t size) {
  if (const std::error_code error = file_.write(data, size)) {
    throw std::system_error(
        error,
        "cannot write a temporary file in " + quotedName(folder_) +
            (holding_.empty() ? std::string() : " for the result of " + quotedName(holding_)));
  }
  size_ += size;
}

std::size_t SpoolFile::read(char* buffer, std::size_t size) {
  std::size_t got = 0;
  check(file_.read(buffer, size, got), "cannot read back a temporary file in", folder_);
  return got;
}

void SpoolFile::rewind() {
  check(file_.rewind(), "cannot read back a temporary file in", folder_);
}

os::File& SpoolFile::rewound() {
  rewind();
  return file_;
}

}  // namespace wqnprep
