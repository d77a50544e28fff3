// Writing a whole file so that a failed write never destroys what stood at
// the path before. A regular file (or a new one) is written to a temporary
// file beside it, which replaces the path only once everything was written;
// other targets (a device such as /dev/full, a pipe, a symbolic link) are
// written directly, as they cannot be replaced.
#pragma once

#include <cstdio>
#include <string>

namespace vrx {

class FileOutput {
 public:
  FileOutput() = default;
  ~FileOutput();  // an output that was not committed is abandoned
  FileOutput(const FileOutput&) = delete;
  FileOutput& operator=(const FileOutput&) = delete;

  // Opens the output for `path`. False with an errno value when it cannot be
  // created.
  [[nodiscard]] bool Open(const std::string& path, int* error);
  std::FILE* stream() const { return stream_; }

  // Closes the stream and puts the file in place. False with an errno value
  // when closing or replacing failed; the path then holds what it held
  // before (or, when written directly, no partial regular file).
  [[nodiscard]] bool Commit(int* error);
  // Closes the stream and removes what was written.
  void Abandon();

 private:
  std::string path_;
  std::string tempPath_;  // empty when written directly
  std::FILE* stream_ = nullptr;
};

}  // namespace vrx
