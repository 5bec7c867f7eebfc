// The two files of a run, opened the way a preprocessing step needs them: the input is checked
// before the output is touched, and the output is never the input under another name.
#pragma once

#include <cstddef>
#include <string>

namespace wqnprep {

// A readable input file. Errors are std::system_error naming the path and the system's reason.
class InputFile {
 public:
  explicit InputFile(const std::string& path);
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Reads up to `size` bytes; returns 0 only at end of input. A failed read raises, so that it
  // is never taken for end of input.
  std::size_t read(char* buffer, std::size_t size);

  const std::string& path() const { return path_; }
  int descriptor() const { return fd_; }

 private:
  std::string path_;
  int fd_ = -1;
};

// An output file, created or emptied. It refuses to open the input's own file, by whatever path,
// before emptying anything.
class OutputFile {
 public:
  OutputFile(const std::string& path, const InputFile& input);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Writes all `size` bytes or raises.
  void write(const char* data, std::size_t size);
  // Closes the file, raising if the system reports that earlier writes were lost.
  void close();

  const std::string& path() const { return path_; }

 private:
  std::string path_;
  int fd_ = -1;
};

}  // namespace wqnprep
