// The two files of a run, opened the way a preprocessing step needs them: the input is checked
// before the output is touched, and the output is never the input under another name. The path
// "-" stands for standard input or standard output.
#pragma once

#include <cstddef>
#include <string>

namespace wqnprep {

// A readable input. Errors are std::system_error naming the input and the system's reason.
class InputFile {
 public:
  explicit InputFile(const std::string& path);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Reads up to `size` bytes; returns 0 only at end of input. A failed read raises, so that it
  // is never taken for end of input.
  std::size_t read(char* buffer, std::size_t size);

  // The path as given, or "<stdin>".
  const std::string& name() const { return name_; }
  int descriptor() const { return fd_; }

 private:
  std::string name_;
  int fd_ = -1;
  bool owned_ = true;
};

// An output, written in place (created or emptied as it is opened), or, when `replaceWhenDone`
// is set and the output is a regular file or a new one, written to a temporary file beside it
// that replaces it only at commit(): a run that fails leaves the output as it was.
class OutputFile {
 public:
  OutputFile(const std::string& path, const InputFile& input, bool replaceWhenDone = false);
  ~OutputFile();  // discards an uncommitted temporary file
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Writes all `size` bytes or raises.
  void write(const char* data, std::size_t size);
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
  int fd_ = -1;
  bool owned_ = true;
};

}  // namespace wqnprep
