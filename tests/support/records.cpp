#include "support/records.h"

namespace vrx::test {

FileEntry RecordOf(std::string_view path, const FileEntry& values) {
  static FileEntryArray list;
  return list.GetAt(list.Add(path, values));
}

}  // namespace vrx::test
