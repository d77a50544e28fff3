// File operations for acting on results: owned descriptors, queries that never
// follow a symbolic link, and the single steps the actions are built from
// (exclusive creation, linking, renaming without replacing, cloning, removing,
// making folders, syncing, comparing two open files byte for byte).
//
// Names are taken relative to an open folder wherever the caller has one, so
// that a step works on the folder it checked and not on whatever a path names
// a moment later. Every operation returns 0 or the errno value of its failure
// (os_error.h turns it into a message); nothing here throws or prints.
#pragma once

#include <fcntl.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/file_time.h"

namespace vrx {

// A descriptor owned by the object: closed when it goes away.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { Reset(); }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  void Reset(int fd = -1);
  int Release();

 private:
  int fd_ = -1;
};

// What identifies one file and tells whether it changed.
struct FileIdentity {
  uint64_t device = 0;  // st_dev, as the listing records it
  uint64_t inode = 0;
  uint64_t mountId = 0;  // the mount the file was reached through (0 when unknown)
  uint64_t size = 0;
  uint64_t links = 0;
  FileTime modified = 0;
  FileTime accessed = 0;
  uint32_t mode = 0;  // type and permission bits
  uint32_t uid = 0;
  uint32_t gid = 0;

  bool IsRegular() const;
  bool IsDirectory() const;
  bool IsSymlink() const;
  bool IsSticky() const;
};

// statx of `name` relative to `dirFd` (AT_FDCWD for a path), never following a
// final symbolic link.
int StatNoFollow(int dirFd, const std::string& name, FileIdentity* out);
// statx of an open descriptor.
int StatOpen(int fd, FileIdentity* out);

// Opens a folder for the *at calls. With noFollow a final symbolic link is
// refused (ELOOP); links earlier in the path are followed.
int OpenFolder(int dirFd, const std::string& path, bool noFollow, UniqueFd* out);
// Opens a regular file for reading without following a final symbolic link
// and without blocking; anything but a regular file is refused (EINVAL).
int OpenRegularNoFollow(int dirFd, const std::string& name, UniqueFd* out);
// Creates a new file for writing; fails with EEXIST when the name exists in
// any form (a dangling link too).
int CreateExclusive(int dirFd, const std::string& name, unsigned mode, UniqueFd* out);
// Opens a file for appending, creating it with `mode` when missing.
int OpenAppend(const std::string& path, unsigned mode, UniqueFd* out);

int WriteAll(int fd, std::string_view data);
int SyncData(int fd);
int MakeFolder(int dirFd, const std::string& name, unsigned mode);
// Makes `path` and its missing parents (mode 0777 less the umask), like
// mkdir -p. An existing folder is fine; a file in the way is ENOTDIR.
int MakeFolders(const std::string& path);
// Opens the folder `relative` below the open folder `baseFd`, making missing
// components (mode 0777 less the umask). No component may be a symbolic
// link (ELOOP), so nothing below the base leads elsewhere.
int OpenFolderChain(int baseFd, const std::string& relative, UniqueFd* out);
// A new name for the file `fromName` (hard link; a final link is not followed).
int LinkFile(int fromDir, const std::string& fromName, int toDir, const std::string& toName);
// Renames; fails with EEXIST when the new name exists.
int RenameNoReplace(int fromDir, const std::string& fromName, int toDir, const std::string& toName);
// Renames, replacing the new name atomically when it exists.
int RenameReplace(int fromDir, const std::string& fromName, int toDir, const std::string& toName);
int RemoveFile(int dirFd, const std::string& name);
// Shares the data of `sourceFd` with the empty file `destFd` (copy on write).
// EOPNOTSUPP, EINVAL or EXDEV where the file system cannot.
int CloneContents(int sourceFd, int destFd);
// Gives the file the owner, permission bits and times of `like`.
int CopyAttributes(int fd, const FileIdentity& like);

// Reads both files from their start to their end; `*same` tells whether they
// hold the same bytes.
int CompareContents(int fdA, int fdB, bool* same);
// Reads a file of at most `limit` bytes whole (E2BIG when larger).
int ReadSmallFile(int dirFd, const std::string& name, size_t limit, std::string* out);

// The path of an open folder as the kernel knows it (symbolic links resolved).
int PathOfOpenFolder(int fd, std::string* out);
// The absolute path with every symbolic link resolved (realpath).
int ResolvePath(const std::string& path, std::string* out);
// The top directory of the mount that holds the folder `realPath` (absolute,
// resolved): the highest folder on the way to "/" on the same mount.
int FindMountTop(const std::string& realPath, std::string* top);

// A name for a temporary file that no listing of this program takes for a
// user's file: ".parlind-" plus random letters plus ".tmp".
std::string TemporaryName();

}  // namespace vrx
