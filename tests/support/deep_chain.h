// A chain of directories whose path outgrows PATH_MAX, for walks that must
// stop at the limit. Made and removed relative to directory descriptors,
// since paths that long cannot be used whole (nor removed by remove_all).
#pragma once

#include <string>

namespace vrx::test {

class DeepChain {
 public:
  // Levels of 200-byte names, each holding an empty "file" and the next
  // level: the path passes 4096 bytes at about level 20.
  static constexpr int kLevels = 24;

  explicit DeepChain(const std::string& base);
  ~DeepChain();
  DeepChain(const DeepChain&) = delete;
  DeepChain& operator=(const DeepChain&) = delete;

  static std::string Name(int level);
  // Levels made (kLevels unless the file system refused one).
  int made() const { return made_; }
  // Removes the levels and their files, deepest first; `base` stays.
  void Remove();

 private:
  std::string base_;
  int made_ = 0;
};

}  // namespace vrx::test
