#include "actions/file_actions.h"

#include <cerrno>

#include "actions/paths.h"

namespace vrx {
namespace {

constexpr int kNameTries = 16;

// Opens both files and compares them byte for byte.
Verdict OpenEqualPair(const CheckedFile& kept, const CheckedFile& file, UniqueFd* keptFd,
                      UniqueFd* fileFd) {
  if (Verdict v = OpenChecked(kept, keptFd); !v.ok()) {
    return Verdict::Refused("behaltene Datei " + kept.RealPath() + ": " + v.reason);
  }
  if (Verdict v = OpenChecked(file, fileFd); !v.ok()) {
    return v;
  }
  return SameContents(kept, keptFd->get(), file, fileFd->get());
}

// Puts the temporary file over the checked one, unless that changed at the
// last moment; the temporary file never stays behind.
Verdict ReplaceWith(const CheckedFile& file, const FileEntry& entry, const std::string& temp) {
  Verdict still = StillUnchanged(file, entry);
  const int error =
      still.ok() ? RenameReplace(file.folder.get(), temp, file.folder.get(), file.name) : 0;
  if (!still.ok() || error != 0) {
    (void)RemoveFile(file.folder.get(), temp);
  }
  if (!still.ok()) {
    return still;
  }
  return error == 0 ? Verdict::Fine() : Verdict::Failed("nicht ersetzt", error);
}

}  // namespace

Verdict TrashOne(const CheckedFile& file, const FileEntry& entry, Trash& trash,
                 std::string* target) {
  return trash.Put(file, entry, target);
}

Verdict MoveOne(const CheckedFile& file, const FileEntry& entry, int baseFd,
                const std::string& relative) {
  UniqueFd folder;
  if (const int error = OpenFolderChain(baseFd, ParentOf(relative), &folder)) {
    return Verdict::Failed("Zielordner nicht anlegbar", error);
  }
  if (Verdict still = StillUnchanged(file, entry); !still.ok()) {
    return still;
  }
  const int error = RenameNoReplace(file.folder.get(), file.name, folder.get(), NameOf(relative));
  if (error == EEXIST) {
    return Verdict::Refused("das Ziel gibt es schon");
  }
  if (error == EXDEV) {
    return Verdict::Refused("der Zielordner liegt auf einem anderen Dateisystem");
  }
  return error == 0 ? Verdict::Fine() : Verdict::Failed("nicht verschoben", error);
}

Verdict DeleteOne(const CheckedFile& file, const FileEntry& entry) {
  if (Verdict still = StillUnchanged(file, entry); !still.ok()) {
    return still;
  }
  const int error = RemoveFile(file.folder.get(), file.name);
  return error == 0 ? Verdict::Fine() : Verdict::Failed("nicht gelöscht", error);
}

Verdict LinkOne(const CheckedFile& kept, const CheckedFile& file, const FileEntry& entry) {
  UniqueFd keptFd;
  UniqueFd fileFd;
  if (Verdict v = OpenEqualPair(kept, file, &keptFd, &fileFd); !v.ok()) {
    return v;
  }
  std::string temp;
  int error = EEXIST;
  for (int i = 0; i < kNameTries && error == EEXIST; ++i) {
    temp = TemporaryName();
    error = LinkFile(kept.folder.get(), kept.name, file.folder.get(), temp);
  }
  if (error != 0) {
    return Verdict::Failed("keine harte Verknüpfung möglich", error);
  }
  // The link must name the very file that was compared.
  FileIdentity linked;
  if (StatNoFollow(file.folder.get(), temp, &linked) != 0 || linked.inode != kept.identity.inode ||
      linked.device != kept.identity.device) {
    (void)RemoveFile(file.folder.get(), temp);
    return Verdict::Refused("behaltene Datei während der Aktion ersetzt");
  }
  return ReplaceWith(file, entry, temp);
}

Verdict CloneOne(const CheckedFile& kept, const CheckedFile& file, const FileEntry& entry) {
  UniqueFd keptFd;
  UniqueFd fileFd;
  if (Verdict v = OpenEqualPair(kept, file, &keptFd, &fileFd); !v.ok()) {
    return v;
  }
  std::string temp;
  UniqueFd clone;
  int error = EEXIST;
  for (int i = 0; i < kNameTries && error == EEXIST; ++i) {
    temp = TemporaryName();
    error = CreateExclusive(file.folder.get(), temp, 0600, &clone);
  }
  if (error != 0) {
    return Verdict::Failed("kein Klon anlegbar", error);
  }
  error = CloneContents(keptFd.get(), clone.get());
  const bool unsupported =
      error == EOPNOTSUPP || error == EINVAL || error == EXDEV || error == ENOTTY;
  if (error == 0) {
    error = CopyAttributes(clone.get(), file.identity);
  }
  if (error == 0) {
    error = SyncData(clone.get());
  }
  clone.Reset();
  if (error != 0) {
    (void)RemoveFile(file.folder.get(), temp);
    return unsupported ? Verdict::Refused("das Dateisystem kann keine Reflinks anlegen")
                       : Verdict::Failed("kein Klon anlegbar", error);
  }
  return ReplaceWith(file, entry, temp);
}

}  // namespace vrx
