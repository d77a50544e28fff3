#include "actions/verify.h"

#include <algorithm>

#include "actions/action_scope.h"
#include "actions/paths.h"
#include "platform/os_error.h"

namespace vrx {
namespace {

std::vector<std::string> Resolved(const std::vector<std::string>& folders) {
  std::vector<std::string> resolved;
  for (const std::string& folder : folders) {
    std::string real;
    resolved.push_back(ResolvePath(folder, &real) == 0 ? real : folder);
  }
  return resolved;
}

}  // namespace

Verdict Verdict::Failed(const std::string& what, int error) {
  return Refused(what + ": " + ErrorText(error));
}

LocationGuard::LocationGuard(const ActionScope& scope)
    : sources_(Resolved(scope.sourceFolders())), protected_(Resolved(scope.protectedFolders())) {
  // A protected folder counts by the path given too, should its resolved
  // path differ.
  protected_.insert(protected_.end(), scope.protectedFolders().begin(),
                    scope.protectedFolders().end());
}

Verdict LocationGuard::Admits(const std::string& realPath, bool readOnly) const {
  const auto in = [&realPath](const std::string& folder) { return IsInFolder(realPath, folder); };
  if (std::none_of(sources_.begin(), sources_.end(), in)) {
    return Verdict::Refused("liegt außerhalb der Quellen der Suche");
  }
  if (!readOnly && std::any_of(protected_.begin(), protected_.end(), in)) {
    return Verdict::Refused("liegt in einem Schutzordner");
  }
  return Verdict::Fine();
}

std::string CheckedFile::RealPath() const {
  return folderPath == "/" ? "/" + name : folderPath + "/" + name;
}

bool MatchesRecord(const FileIdentity& identity, const FileEntry& entry) {
  return identity.device == entry.device && identity.inode == entry.inode &&
         identity.size == entry.size && identity.modified == entry.modified;
}

Verdict CheckUnchanged(const FileEntry& entry, const LocationGuard& guard, bool readOnly,
                       CheckedFile* out) {
  const std::string path = entry.Path();
  out->name = NameOf(path);
  const std::string parent = ParentOf(path);
  if (const int error = OpenFolder(AT_FDCWD, parent, false, &out->folder)) {
    return Verdict::Failed("Ordner nicht zugänglich", error);
  }
  if (PathOfOpenFolder(out->folder.get(), &out->folderPath) != 0 &&
      ResolvePath(parent, &out->folderPath) != 0) {
    return Verdict::Refused("Ort nicht feststellbar");
  }
  if (Verdict where = guard.Admits(out->RealPath(), readOnly); !where.ok()) {
    return where;
  }
  if (const int error = StatNoFollow(out->folder.get(), out->name, &out->identity)) {
    return error == ENOENT ? Verdict::Refused("seit der Suche entfernt")
                           : Verdict::Failed("nicht abfragbar", error);
  }
  if (!out->identity.IsRegular()) {
    return Verdict::Refused("keine gewöhnliche Datei mehr");
  }
  if (!MatchesRecord(out->identity, entry)) {
    return Verdict::Refused("seit der Suche verändert");
  }
  return Verdict::Fine();
}

Verdict StillUnchanged(const CheckedFile& file, const FileEntry& entry) {
  FileIdentity now;
  if (StatNoFollow(file.folder.get(), file.name, &now) != 0 || !now.IsRegular() ||
      !MatchesRecord(now, entry)) {
    return Verdict::Refused("während der Aktion verändert");
  }
  return Verdict::Fine();
}

Verdict OpenChecked(const CheckedFile& file, UniqueFd* out) {
  if (const int error = OpenRegularNoFollow(file.folder.get(), file.name, out)) {
    return Verdict::Failed("nicht lesbar", error);
  }
  FileIdentity opened;
  if (StatOpen(out->get(), &opened) != 0 || opened.inode != file.identity.inode ||
      opened.device != file.identity.device) {
    return Verdict::Refused("seit der Prüfung ersetzt");
  }
  return Verdict::Fine();
}

Verdict SameContents(const CheckedFile& kept, int keptFd, const CheckedFile& marked, int markedFd) {
  if (kept.identity.device != marked.identity.device) {
    return Verdict::Refused("auf einem anderen Dateisystem als " + kept.RealPath());
  }
  if (kept.identity.size != marked.identity.size) {
    return Verdict::Refused("nicht byteweise gleich mit " + kept.RealPath());
  }
  bool same = false;
  if (const int error = CompareContents(keptFd, markedFd, &same)) {
    return Verdict::Failed("Vergleich gescheitert", error);
  }
  if (!same) {
    return Verdict::Refused("nicht byteweise gleich mit " + kept.RealPath());
  }
  return Verdict::Fine();
}

}  // namespace vrx
