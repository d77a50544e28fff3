#include "collect/record_file.h"

#include <chrono>
#include <string>
#include <thread>

#include "platform/attributes.h"

namespace vrx {
namespace {

constexpr int kDescriptorWaits = 50;
constexpr auto kDescriptorWait = std::chrono::milliseconds(20);

}  // namespace

OpenResult OpenRecord(const FileEntry& entry, FileReader* reader) {
  if ((entry.attributes & (kAttrDirectory | kAttrSystem)) != 0) {
    reader->Close();
    return OpenResult::kFailed;
  }
  // The path is built in a buffer of the thread, which keeps its room from
  // one opening to the next.
  thread_local std::string path;
  path.clear();
  entry.AppendPath(&path);
  return reader->Open(path, {entry.device, entry.inode});
}

OpenResult OpenRecordWaiting(const FileEntry& entry, FileReader* reader) {
  OpenResult result = OpenRecord(entry, reader);
  for (int wait = 0; wait < kDescriptorWaits && result == OpenResult::kNoDescriptor; ++wait) {
    std::this_thread::sleep_for(kDescriptorWait);
    result = OpenRecord(entry, reader);
  }
  return result;
}

FileTrouble TroubleOf(OpenResult result) {
  switch (result) {
    case OpenResult::kReplaced:
      return FileTrouble::kReplaced;
    case OpenResult::kNoDescriptor:
      return FileTrouble::kNoDescriptor;
    default:
      return FileTrouble::kOpen;
  }
}

std::string TroubleLine(FileTrouble trouble, const std::string& path) {
  switch (trouble) {
    case FileTrouble::kRead:
      return "Cannot read file " + path + "\n";
    case FileTrouble::kReplaced:
      return "File replaced since it was listed: " + path + "\n";
    case FileTrouble::kChanged:
      return "File changed while it was read: " + path + "\n";
    case FileTrouble::kNoDescriptor:
      return "Too many open files to open " + path + "\n";
    case FileTrouble::kOpen:
      break;
  }
  return "Cannot open file " + path + "\n";
}

}  // namespace vrx
