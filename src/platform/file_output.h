// Writing a whole file so that a failed write never damages what stood at the
// path before. A symbolic link is followed to the file it names; that file (or
// a new one) is written to a temporary file with a short name in the same
// folder, which replaces it only once everything was written and synced. The
// replacement keeps the old file's mode and owner. Where that cannot be done
// (the folder takes no new file, the owner cannot be kept), the old file is
// left alone and the output refused: it is never written in place. Targets
// that cannot be replaced (a device such as /dev/full, a pipe) are written
// directly. A file that the user may not write is refused, as the shell's ">"
// refuses it.
#pragma once

#include <cstdio>
#include <string>

namespace vrx {

// Why an output failed, with the errno value of the failing call.
struct OutputError {
  enum class Kind {
    kNone,
    kCreate,       // the file (or its temporary file) could not be created or opened
    kNotWritable,  // an existing file that may not be written (mode, read-only file system)
    kNoTemporary,  // an existing file whose folder takes no temporary file: left alone
    kOwner,        // an existing file whose owner and mode could not be kept: left alone
    kWrite,        // writing, syncing or replacing failed: the old file is unchanged
  };
  Kind kind = Kind::kNone;
  int code = 0;
};

class FileOutput {
 public:
  FileOutput() = default;
  ~FileOutput();  // an output that was not committed is abandoned
  FileOutput(const FileOutput&) = delete;
  FileOutput& operator=(const FileOutput&) = delete;

  // Opens the output for `path`. False with the reason when it cannot be had.
  [[nodiscard]] bool Open(const std::string& path, OutputError* error);
  std::FILE* stream() const { return stream_; }
  // The file actually written: `path` with symbolic links followed.
  const std::string& target() const { return target_; }
  // The folder of target(), where the temporary file is made.
  const std::string& folder() const { return folder_; }

  // Closes the stream and puts the file in place. False with the reason when
  // writing, closing or replacing failed; the path then holds what it held
  // before.
  [[nodiscard]] bool Commit(OutputError* error);
  // Closes the stream and removes what was written.
  void Abandon();

  // Whether Open would succeed now, without leaving anything behind: a
  // regular file's temporary file is made and removed again, a device or pipe
  // is not opened. target() and folder() are set as by Open.
  [[nodiscard]] bool Probe(const std::string& path, OutputError* error);

 private:
  bool Prepare(const std::string& path, OutputError* error);
  bool OpenTemporary(OutputError* error);
  bool KeepOwnerAndMode(int fd, OutputError* error) const;
  bool OpenDirectly(OutputError* error);
  bool AttachStream(int fd, OutputError* error);  // takes over `fd`, closed on failure

  std::string target_;
  std::string folder_;
  std::string name_;      // the target's last component, within dirFd_
  std::string tempName_;  // empty when written directly
  int dirFd_ = -1;
  bool exists_ = false;  // the target existed as a regular file
  bool direct_ = false;  // the target is a device or pipe
  unsigned existingMode_ = 0;
  unsigned existingUid_ = 0;
  unsigned existingGid_ = 0;
  std::FILE* stream_ = nullptr;
};

}  // namespace vrx
