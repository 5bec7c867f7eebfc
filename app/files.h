// The two files of a run, opened the way a preprocessing step needs them: the input is checked
// before the output is touched, and the output is never the input under another name. The path
// "-" stands for standard input or standard output.
#pragma once

#include <cstddef>
#include <string>

#include "app/byte_stream.h"
#include "os/file.h"

namespace wqnprep {

// A readable input. Errors are std::system_error naming the input and the system's reason.
class InputFile : public ByteSource {
 public:
  explicit InputFile(const std::string& path);

  std::size_t read(char* buffer, std::size_t size) override;

  // The path as given, or "<stdin>".
  const std::string& name() const { return name_; }
  const os::FileInfo& info() const { return info_; }

 private:
  std::string name_;
  os::File file_;
  os::FileInfo info_;
};

// An output, written in place (created or emptied as it is opened), or, when `replaceWhenDone`
// is set and the output is a regular file or a new one, written to a temporary file beside it
// that replaces it only at commit(): a run that fails leaves the output as it was.
class OutputFile : public ByteSink {
 public:
  OutputFile(const std::string& path, const InputFile& input, bool replaceWhenDone = false);
  ~OutputFile() override;  // discards an uncommitted temporary file
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void write(const char* data, std::size_t size) override;
  // Closes the output (and puts the temporary file in its place), raising if the system reports
  // that written data were lost.
  void commit();

  // The path as given, or "<stdout>".
  const std::string& name() const { return name_; }

 private:
  void openInPlace(const std::string& path, const InputFile& input);
  void openBeside(const std::string& path, const InputFile& input);

  std::string name_;
  std::string temporary_;  // the file that replaces `target_` at commit, if any
  std::string target_;
  os::File file_;
};

}  // namespace wqnprep
