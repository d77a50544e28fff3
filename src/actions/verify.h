// The checks right before a step touches a file: the file is still the one
// the search recorded (device, inode, size and modification time, read
// without following a link), it is a regular file, and its real location is
// inside the search's sources and in no protected folder. For links and
// clones, the marked file must hold the same bytes as the kept one at that
// moment, on the same file system.
//
// A check that fails gives a German reason; the step is then skipped.
#pragma once

#include <string>
#include <vector>

#include "collect/file_entry.h"
#include "platform/file_ops.h"

namespace vrx {

class ActionScope;

// The outcome of a check or of a step: empty reason means it went well.
struct [[nodiscard]] Verdict {
  std::string reason;
  bool ok() const { return reason.empty(); }
  static Verdict Fine() { return {}; }
  static Verdict Refused(std::string why) { return {std::move(why)}; }
  static Verdict Failed(const std::string& what, int error);
};

// The sources and protected folders with their links resolved, so that a
// file reached through a link is judged by where it really is.
class LocationGuard {
 public:
  explicit LocationGuard(const ActionScope& scope);
  // A file to change must be in no protected folder; a kept file that is
  // only read from (`readOnly`) may be.
  Verdict Admits(const std::string& realPath, bool readOnly) const;

 private:
  std::vector<std::string> sources_;
  std::vector<std::string> protected_;
};

// A marked file, checked and held by its open folder.
struct CheckedFile {
  UniqueFd folder;
  std::string folderPath;  // the folder's real path
  std::string name;
  FileIdentity identity;
  std::string RealPath() const;
};

// Opens the folder of `entry` and checks the file in it; `readOnly` as for
// LocationGuard::Admits.
Verdict CheckUnchanged(const FileEntry& entry, const LocationGuard& guard, bool readOnly,
                       CheckedFile* out);
// Checks the file once more, at the last moment before it is replaced.
Verdict StillUnchanged(const CheckedFile& file, const FileEntry& entry);
// Opens the checked file for reading and makes sure it is the same file.
Verdict OpenChecked(const CheckedFile& file, UniqueFd* out);
// For links and clones: both on one file system and byte for byte equal.
Verdict SameContents(const CheckedFile& kept, int keptFd, const CheckedFile& marked, int markedFd);

// True when the identity is the one the search recorded.
bool MatchesRecord(const FileIdentity& identity, const FileEntry& entry);

}  // namespace vrx
