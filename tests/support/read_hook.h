// The file reader's test seam for the life of an object: the hook runs after
// every read, so a test can change a file between two reads of it.
#pragma once

#include <utility>

#include "platform/file_reader.h"

namespace vrx::test {

class ScopedReadHook {
 public:
  explicit ScopedReadHook(ReadHook hook) { SetReadHookForTesting(std::move(hook)); }
  ~ScopedReadHook() { SetReadHookForTesting(nullptr); }
  ScopedReadHook(const ScopedReadHook&) = delete;
  ScopedReadHook& operator=(const ScopedReadHook&) = delete;
};

}  // namespace vrx::test
