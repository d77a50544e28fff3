// A chain of directories deeper than paths can be written, for walks that
// must stop at PATH_MAX, go deeper than the stack would allow, or hold a
// bounded number of descriptors. Made and removed relative to directory
// descriptors, at most two open at a time, since paths that long cannot be
// used whole (nor removed by remove_all).
#pragma once

#include <string>

namespace vrx::test {

class DeepChain {
 public:
  // Levels of 200-byte names: the path passes 4096 bytes at about level 20.
  static constexpr int kLevels = 24;
  static constexpr const char* kSide = "~side";

  // Each directory of the chain holds an empty "file" and the next level
  // (named Name(level)); with `sideEvery` > 0 every level divisible by it
  // also holds an empty directory kSide, which sorts after the next level.
  explicit DeepChain(const std::string& base, int levels = kLevels, size_t nameLength = 200,
                     int sideEvery = 0);
  ~DeepChain();
  DeepChain(const DeepChain&) = delete;
  DeepChain& operator=(const DeepChain&) = delete;

  std::string Name(int level) const;
  // Levels made (`levels` unless the file system refused one).
  int made() const { return made_; }
  // Removes the levels and their entries, deepest first; `base` stays.
  void Remove();

 private:
  std::string base_;
  size_t nameLength_;
  int sideEvery_;
  int made_ = 0;
};

}  // namespace vrx::test
