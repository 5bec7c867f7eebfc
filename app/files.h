// The files of a run, opened the way a preprocessing step needs them: the input is checked
// before the output is touched, the output is checked before the input is read, and the output
// is never the input under another name. The path "-" stands for standard input or standard
// output.
//
// Errors are std::system_error naming the file and the system's reason.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/byte_stream.h"
#include "os/file.h"

namespace wqnprep {

// A readable input.
class InputFile : public SeekableSource {
 public:
  // "-" is standard input, called `standardInputName` in messages.
  explicit InputFile(const std::string& path, const std::string& standardInputName = "<stdin>");

  std::size_t read(char* buffer, std::size_t size) override;
  // Reads from `offset` of a regular file, as os::File::readAt does.
  std::size_t readAt(char* buffer, std::size_t size, std::uint64_t offset) override;
  std::uint64_t size() const override { return info_.size; }

  // The path as given, or standard input's name.
  const std::string& name() const override { return name_; }
  bool readsNeverWait() const override { return info_.regular; }
  bool rewind() override;
  const os::FileInfo& info() const { return info_; }
  // Whether it is "-", which may have been read from before and be read from after.
  bool isStandardInput() const { return standardInput_; }

 private:
  std::string name_;
  bool standardInput_ = false;
  os::File file_;
  os::FileInfo info_;
};

// An output, checked as it is constructed but left as it is (a missing one is not created yet)
// until the first write, or commit() or copyFrom() without one: only then is it created or
// emptied. So a run that fails before it has anything to write leaves the output untouched.
// `folders` are those the output is in that it may create, outermost first, each inside the one
// before: those missing are made with it. `foundMissing` says the caller has just found no file
// at `path`: it is not opened to see again (one that appears meanwhile is opened when it is
// first written, as any that appears after it was checked).
class OutputFile : public ByteSink {
 public:
  OutputFile(const std::string& path, const InputFile& input, std::vector<std::string> folders = {},
             bool foundMissing = false);
  // The same for an input that was opened before and has been let go: `inputName` and `input`
  // are its name() and info().
  OutputFile(const std::string& path, std::string inputName, const os::FileInfo& input,
             std::vector<std::string> folders = {}, bool foundMissing = false);

  void write(const char* data, std::size_t size) override;
  // Writes the rest of `spool` to the output.
  void copyFrom(os::File& spool);
  // Closes the output, raising if the system reports that written data were lost.
  void commit();

  // The path as given, or "<stdout>".
  const std::string& name() const { return name_; }
  // What the system tells about the output when it is a regular file that existed before this
  // run; nothing for a new one or any other kind of file.
  std::optional<os::FileInfo> existingRegularFile() const;

 private:
  void refuseInput() const;
  void prepare();

  std::string path_;
  std::string name_;
  std::string inputName_;
  os::FileInfo input_;
  std::vector<std::string> folders_;
  std::size_t missingFolder_ = 0;  // the first of folders_ to create
  os::File file_;
  os::FileInfo info_;
  bool standard_ = false;
  bool preparing_ = false;
  bool prepared_ = false;
};

// An unnamed temporary file that holds the output back until it is known to be right; it
// vanishes with the process however that ends. What is written can be read back from its start,
// through rewound() or, after rewind(), through read().
class SpoolFile : public ByteSink {
 public:
  SpoolFile();

  // Names `input` in what a failed write says, as the one whose result is being held back.
  void holdBack(const std::string& input) { holding_ = input; }

  void write(const char* data, std::size_t size) override;
  // Reads up to `size` bytes; returns 0 only at the end.
  std::size_t read(char* buffer, std::size_t size);
  // Bytes written so far.
  std::uint64_t size() const { return size_; }
  void rewind();
  // The file, read from its start.
  os::File& rewound();

 private:
  std::string folder_;
  std::string holding_;
  os::File file_;
  std::uint64_t size_ = 0;
};

}  // namespace wqnprep
