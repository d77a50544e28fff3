// Path texts for the actions, without touching a disk: absolute paths,
// "is this path in that folder", the parts of a path, and the place a file
// moved into a folder gets.
#pragma once

#include <string>
#include <string_view>

namespace vrx {

// `path` made absolute against `workingFolder` and cleaned: doubled slashes
// and "." components removed, ".." taking away the component before it. The
// root is "/".
std::string AbsolutePath(std::string_view path, std::string_view workingFolder);

// True when `path` is `folder` or lies below it (both absolute and clean;
// the folder "/" holds everything).
bool IsInFolder(std::string_view path, std::string_view folder);

// The folder part and the last component of a path ("/a/b" gives "/a" and
// "b"; "b" gives "." and "b"; "/b" gives "/" and "b").
std::string ParentOf(std::string_view path);
std::string NameOf(std::string_view path);

// Where a file of the absolute path `path` goes when moved into `folder`:
// the whole path rebuilt below the folder ("/srv/alt" and "/home/u/a.txt"
// give "/srv/alt/home/u/a.txt").
std::string MovedPath(std::string_view folder, std::string_view path);

}  // namespace vrx
