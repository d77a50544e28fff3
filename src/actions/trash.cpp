#include "actions/trash.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "actions/paths.h"
#include "platform/file_time.h"
#include "platform/user_dirs.h"

namespace vrx {
namespace {

constexpr unsigned kMaxNumber = 100000;
constexpr char kInfoSuffix[] = ".trashinfo";

uint64_t MountKey(const FileIdentity& id) {
  return id.mountId != 0 ? id.mountId : id.device;
}

bool IsUnreserved(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~' || c == '/';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

// A folder of a trash: made when missing (mode 0700), opened without following
// a link, and only taken when it belongs to the user.
Verdict OpenOwnFolder(int at, const std::string& name, uint32_t uid, UniqueFd* out) {
  const int made = MakeFolder(at, name, 0700);
  if (made != 0 && made != EEXIST) {
    return Verdict::Failed("Papierkorb nicht anlegbar", made);
  }
  if (const int error = OpenFolder(at, name, true, out)) {
    return Verdict::Failed("Papierkorb nicht zugänglich", error);
  }
  FileIdentity id;
  if (StatOpen(out->get(), &id) != 0 || id.uid != uid) {
    return Verdict::Refused("Papierkorb gehört einem anderen Benutzer");
  }
  return Verdict::Fine();
}

Verdict OpenFilesAndInfo(int trashFd, uint32_t uid, UniqueFd* files, UniqueFd* info) {
  if (Verdict v = OpenOwnFolder(trashFd, "files", uid, files); !v.ok()) {
    return v;
  }
  return OpenOwnFolder(trashFd, "info", uid, info);
}

std::string TopRelative(const std::string& path, const std::string& top) {
  if (top == "/") {
    return path.substr(1);
  }
  return path.substr(top.size() + 1);
}

}  // namespace

TrashSettings DefaultTrashSettings() {
  return {DataHomeFolder() + "/Trash", CurrentUserId()};
}

std::string EncodeTrashPath(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (const char ch : path) {
    const auto c = static_cast<unsigned char>(ch);
    if (IsUnreserved(c)) {
      encoded += ch;
    } else {
      encoded += '%';
      encoded += kHex[c >> 4];
      encoded += kHex[c & 0xF];
    }
  }
  return encoded;
}

bool DecodeTrashPath(std::string_view text, std::string* path) {
  path->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      *path += text[i];
      continue;
    }
    const int high = i + 1 < text.size() ? HexValue(text[i + 1]) : -1;
    const int low = i + 2 < text.size() ? HexValue(text[i + 2]) : -1;
    if (high < 0 || low < 0) {
      return false;
    }
    *path += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return true;
}

std::string TrashInfoText(std::string_view encodedPath, int64_t unixSeconds) {
  CalendarFields t;
  UnixSecondsToLocalFields(unixSeconds, &t);
  char date[32];
  std::snprintf(date, sizeof date, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return "[Trash Info]\nPath=" + std::string(encodedPath) + "\nDeletionDate=" + date + "\n";
}

std::string NumberedName(std::string_view name, unsigned n) {
  if (n <= 1) {
    return std::string(name);
  }
  const size_t dot = name.rfind('.');
  const std::string number = "." + std::to_string(n);
  if (dot == std::string_view::npos || dot == 0) {
    return std::string(name) + number;
  }
  return std::string(name.substr(0, dot)) + number + std::string(name.substr(dot));
}

Verdict Trash::Put(const CheckedFile& file, const FileEntry& entry, std::string* trashedPath) {
  Can* can = nullptr;
  if (Verdict v = CanFor(file, &can); !v.ok()) {
    return v;
  }
  return Enter(can, file, entry, trashedPath);
}

Verdict Trash::CanFor(const CheckedFile& file, Can** can) {
  if (!homeKnown_) {
    Can home;
    Verdict v = OpenHomeCan(&home);
    FileIdentity id;
    if (v.ok() && StatOpen(home.files.get(), &id) == 0) {
      cans_.emplace(MountKey(id), std::move(home));
    } else if (StatNoFollow(AT_FDCWD, ParentOf(settings_.homeTrash), &id) == 0) {
      // Files beside a home trash that cannot be had stay where they are,
      // rather than go to a trash that the desktop does not look into.
      refused_.emplace(MountKey(id), v.ok() ? "Papierkorb nicht zugänglich" : v.reason);
    }
    homeKnown_ = true;
  }
  const uint64_t mount = MountKey(file.identity);
  if (const auto it = cans_.find(mount); it != cans_.end()) {
    *can = &it->second;
    return Verdict::Fine();
  }
  if (const auto it = refused_.find(mount); it != refused_.end()) {
    return Verdict::Refused(it->second);
  }
  Can top;
  if (Verdict v = OpenTopCan(file.folderPath, &top); !v.ok()) {
    refused_.emplace(mount, v.reason);
    return v;
  }
  *can = &cans_.emplace(mount, std::move(top)).first->second;
  return Verdict::Fine();
}

Verdict Trash::OpenHomeCan(Can* can) const {
  const std::string parent = ParentOf(settings_.homeTrash);
  if (const int error = MakeFolders(parent)) {
    return Verdict::Failed("Papierkorb nicht anlegbar", error);
  }
  UniqueFd parentFd;
  if (const int error = OpenFolder(AT_FDCWD, parent, false, &parentFd)) {
    return Verdict::Failed("Papierkorb nicht zugänglich", error);
  }
  UniqueFd trash;
  if (Verdict v = OpenOwnFolder(parentFd.get(), NameOf(settings_.homeTrash), settings_.uid, &trash);
      !v.ok()) {
    return v;
  }
  can->folder = settings_.homeTrash;
  return OpenFilesAndInfo(trash.get(), settings_.uid, &can->files, &can->info);
}

Verdict Trash::OpenTopCan(const std::string& folderPath, Can* can) const {
  if (const int error = FindMountTop(folderPath, &can->top)) {
    return Verdict::Failed("Papierkorb nicht auffindbar", error);
  }
  UniqueFd top;
  if (const int error = OpenFolder(AT_FDCWD, can->top, false, &top)) {
    return Verdict::Failed("Papierkorb nicht zugänglich", error);
  }
  const std::string uid = std::to_string(settings_.uid);
  const std::string topSlash = can->top == "/" ? "/" : can->top + "/";
  // .Trash/$UID only where .Trash is a real folder with the sticky bit: a
  // link or a folder anyone may replace would hand the files to others.
  FileIdentity shared;
  UniqueFd sharedFd;
  if (StatNoFollow(top.get(), ".Trash", &shared) == 0 && shared.IsDirectory() &&
      shared.IsSticky() && OpenFolder(top.get(), ".Trash", true, &sharedFd) == 0) {
    UniqueFd own;
    if (OpenOwnFolder(sharedFd.get(), uid, settings_.uid, &own).ok() &&
        OpenFilesAndInfo(own.get(), settings_.uid, &can->files, &can->info).ok()) {
      can->folder = topSlash + ".Trash/" + uid;
      return Verdict::Fine();
    }
  }
  UniqueFd own;
  if (Verdict v = OpenOwnFolder(top.get(), ".Trash-" + uid, settings_.uid, &own); !v.ok()) {
    return v;
  }
  can->folder = topSlash + ".Trash-" + uid;
  return OpenFilesAndInfo(own.get(), settings_.uid, &can->files, &can->info);
}

Verdict Trash::Enter(Can* can, const CheckedFile& file, const FileEntry& entry,
                     std::string* trashedPath) {
  const std::string original = file.RealPath();
  const std::string infoText =
      TrashInfoText(EncodeTrashPath(can->top.empty() ? original : TopRelative(original, can->top)),
                    CurrentUnixSeconds());
  for (unsigned n = 1; n <= kMaxNumber; ++n) {
    const std::string name = NumberedName(file.name, n);
    const std::string infoName = name + kInfoSuffix;
    UniqueFd info;
    const int created = CreateExclusive(can->info.get(), infoName, 0600, &info);
    if (created == EEXIST) {
      continue;
    }
    if (created != 0) {
      return Verdict::Failed("Infodatei im Papierkorb nicht anlegbar", created);
    }
    // Not synced one by one, as the desktops' own trash code does not: the
    // rename below is ordered after the info file's data on journaling file
    // systems, and at worst a crash leaves a file in files/ whose info is
    // empty, never a file lost.
    const int error = WriteAll(info.get(), infoText);
    info.Reset();
    if (error != 0) {
      (void)RemoveFile(can->info.get(), infoName);
      return Verdict::Failed("Infodatei im Papierkorb nicht schreibbar", error);
    }
    Verdict still = StillUnchanged(file, entry);
    const int moved =
        still.ok() ? RenameNoReplace(file.folder.get(), file.name, can->files.get(), name) : 0;
    if (!still.ok() || moved != 0) {
      (void)RemoveFile(can->info.get(), infoName);
    }
    if (!still.ok()) {
      return still;
    }
    if (moved == EEXIST) {
      continue;  // a file without its info file holds the name
    }
    if (moved != 0) {
      return Verdict::Failed("nicht in den Papierkorb verschoben", moved);
    }
    *trashedPath = can->folder + "/files/" + name;
    return Verdict::Fine();
  }
  return Verdict::Refused("kein freier Name im Papierkorb");
}

Verdict RestoreFromTrash(const std::string& trashedPath, const std::string& originalPath) {
  const std::string filesFolder = ParentOf(trashedPath);
  const std::string trashFolder = ParentOf(filesFolder);
  const std::string name = NameOf(trashedPath);
  if (NameOf(filesFolder) != "files") {
    return Verdict::Refused("liegt in keinem Papierkorb: " + trashedPath);
  }
  UniqueFd files;
  UniqueFd info;
  if (const int error = OpenFolder(AT_FDCWD, filesFolder, true, &files)) {
    return Verdict::Failed("Papierkorb nicht zugänglich", error);
  }
  if (const int error = OpenFolder(AT_FDCWD, trashFolder + "/info", true, &info)) {
    return Verdict::Failed("Papierkorb nicht zugänglich", error);
  }
  std::string text;
  if (const int error = ReadSmallFile(info.get(), name + kInfoSuffix, 65536, &text)) {
    return Verdict::Failed("Infodatei nicht lesbar", error);
  }
  std::string recorded;
  const size_t at = text.find("\nPath=");
  const size_t end = at == std::string::npos ? at : text.find('\n', at + 1);
  if (!text.starts_with("[Trash Info]") || at == std::string::npos ||
      !DecodeTrashPath(text.substr(at + 6, end == std::string::npos ? end : end - at - 6),
                       &recorded)) {
    return Verdict::Refused("Infodatei unbrauchbar");
  }
  if (!recorded.starts_with('/')) {
    // A top-folder trash names paths below its top folder: the parent of
    // ".Trash-$UID", or the parent of ".Trash" for ".Trash/$UID".
    const bool perUser = NameOf(trashFolder).starts_with(".Trash-");
    const std::string top = perUser ? ParentOf(trashFolder) : ParentOf(ParentOf(trashFolder));
    recorded = (top == "/" ? "" : top) + "/" + recorded;
  }
  if (recorded != originalPath) {
    return Verdict::Refused("Infodatei nennt einen anderen Pfad: " + recorded);
  }
  if (const int error = MakeFolders(ParentOf(originalPath))) {
    return Verdict::Failed("Ordner nicht wieder anlegbar", error);
  }
  UniqueFd parent;
  if (const int error = OpenFolder(AT_FDCWD, ParentOf(originalPath), false, &parent)) {
    return Verdict::Failed("Ordner nicht zugänglich", error);
  }
  const int moved = RenameNoReplace(files.get(), name, parent.get(), NameOf(originalPath));
  if (moved == EEXIST) {
    return Verdict::Refused("der ursprüngliche Pfad ist wieder belegt");
  }
  if (moved != 0) {
    return Verdict::Failed("nicht zurückgelegt", moved);
  }
  (void)RemoveFile(info.get(), name + kInfoSuffix);
  return Verdict::Fine();
}

}  // namespace vrx
