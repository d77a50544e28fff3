// The single steps of the actions, one function each. Every step works on a
// file checked right before (verify.h), held by its open folder, and leaves
// it either untouched or fully done: a move or a trash is one rename; a link
// or a clone is made under a temporary name in the file's own folder and
// then renamed over it, so a crash leaves the old file or the new one, never
// neither. A failed step says why and leaves nothing of its own behind.
#pragma once

#include <string>

#include "actions/trash.h"
#include "actions/verify.h"

namespace vrx {

// Into the trash of the file's file system; `*target` is its path there.
Verdict TrashOne(const CheckedFile& file, const FileEntry& entry, Trash& trash,
                 std::string* target);

// Into the open folder `baseFd` at `relative` below it (folders on the way
// made, none of them a link), never replacing anything and never across
// file systems.
Verdict MoveOne(const CheckedFile& file, const FileEntry& entry, int baseFd,
                const std::string& relative);

// Removed for good.
Verdict DeleteOne(const CheckedFile& file, const FileEntry& entry);

// Replaced by a hard link of the kept file, once both hold the same bytes.
Verdict LinkOne(const CheckedFile& kept, const CheckedFile& file, const FileEntry& entry);

// Replaced by a copy-on-write clone of the kept file, once both hold the
// same bytes; the file keeps its owner, permissions and times. Where the file
// system cannot clone, the file stays as it is.
Verdict CloneOne(const CheckedFile& kept, const CheckedFile& file, const FileEntry& entry);

}  // namespace vrx
