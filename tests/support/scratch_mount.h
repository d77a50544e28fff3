// A second file system for tests that need one: a tmpfs, or an image file
// formatted with XFS (which can clone files) and mounted through a loop
// device. Mounting needs root; where it cannot be had, `why` says so and the
// test skips. The file system is unmounted when the object goes away.
#pragma once

#include <string>

namespace vrx::test {

class ScratchMount {
 public:
  // A tmpfs at `folder` (made when missing) with mount `options` such as
  // "size=64k".
  static ScratchMount Tmpfs(const std::string& folder, const std::string& options);
  // An XFS image of 300 MB (sparse) beside `folder`, mounted at `folder`.
  static ScratchMount Xfs(const std::string& folder);

  ScratchMount(ScratchMount&& other) noexcept;
  ScratchMount& operator=(ScratchMount&&) = delete;
  ScratchMount(const ScratchMount&) = delete;
  ScratchMount& operator=(const ScratchMount&) = delete;
  ~ScratchMount();

  bool mounted() const { return mounted_; }
  const std::string& why() const { return why_; }  // empty when mounted
  // Remounts read-only (or back); false when that fails.
  bool SetReadOnly(bool readOnly, const std::string& options = {});

 private:
  ScratchMount() = default;
  std::string folder_;
  std::string image_;
  std::string why_;
  bool mounted_ = false;
};

}  // namespace vrx::test
