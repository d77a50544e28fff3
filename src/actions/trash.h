// The desktop trash, laid out as freedesktop.org desktops lay it out, so that
// their file managers show these files and can restore them.
//
// A file on the file system of the home trash ($XDG_DATA_HOME/Trash) goes
// there; a file on another file system goes to the trash in the top folder of
// its mount: ".Trash/$UID" where ".Trash" is a real folder with the sticky
// bit, else ".Trash-$UID". A trash is the pair files/ and info/. For every
// file an info file NAME.trashinfo is created first (exclusively, so two
// programs never take one name), then the file is renamed
// to files/NAME without replacing anything; a taken name gets a number. A file
// is never copied across file systems: where no trash on its own file system
// can be had, it stays where it is and the reason is given.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "actions/verify.h"

namespace vrx {

struct TrashSettings {
  std::string homeTrash;  // $XDG_DATA_HOME/Trash
  uint32_t uid = 0;
};

// The home trash of the user running the program.
TrashSettings DefaultTrashSettings();

class Trash {
 public:
  explicit Trash(TrashSettings settings) : settings_(std::move(settings)) {}

  // Moves the checked file into the trash of its file system; `*trashedPath`
  // is then its path below files/.
  Verdict Put(const CheckedFile& file, const FileEntry& entry, std::string* trashedPath);

 private:
  // One trash folder, opened.
  struct Can {
    std::string folder;
    std::string top;  // info paths are relative to it; empty: absolute paths
    UniqueFd files;
    UniqueFd info;
  };
  Verdict CanFor(const CheckedFile& file, Can** can);
  Verdict OpenHomeCan(Can* can) const;
  Verdict OpenTopCan(const std::string& folderPath, Can* can) const;
  static Verdict Enter(Can* can, const CheckedFile& file, const FileEntry& entry,
                       std::string* trashedPath);

  TrashSettings settings_;
  bool homeKnown_ = false;
  std::map<uint64_t, Can> cans_;             // by mount
  std::map<uint64_t, std::string> refused_;  // mounts without a usable trash
};

// Puts a trashed file (a path below a trash's files/) back where its info
// file says it came from, which must be `originalPath`; refuses when that
// path is taken. Missing parent folders are made again.
Verdict RestoreFromTrash(const std::string& trashedPath, const std::string& originalPath);

// The Path value of an info file: every byte but letters, digits, "-._~" and
// "/" as %XX. Decoding fails on a broken escape.
std::string EncodeTrashPath(std::string_view path);
bool DecodeTrashPath(std::string_view text, std::string* path);
// The whole info file for a path (encoded already) deleted at a local time.
std::string TrashInfoText(std::string_view encodedPath, int64_t unixSeconds);
// The n-th name tried for a file in the trash: the name itself, then
// "bild.2.jpg", "bild.3.jpg", ... (the number before the extension).
std::string NumberedName(std::string_view name, unsigned n);

}  // namespace vrx
