// The results of one search as the actions see them: every record once, in
// the order of its first appearance in the class list, with what may be done
// with it, and the classes as lists of indices into those records. The
// marks, the keep rules, the plans and the summaries refer to a record by its
// index here; a record that stands in several classes is one file with one
// mark.
//
// Built from the application object after a search, without touching a disk.
// It points into the candidate list and must not outlive it.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "collect/entry_positions.h"
#include "collect/file_entry.h"

namespace vrx {

class CvrxApp;
struct SearchParams;

enum class FileStanding : uint8_t {
  kActionable,  // a regular file below a source, in no protected folder
  kProtected,   // a regular file in a protected folder: kept, never touched
  kFolder,      // a folder record
  kSpecial,     // a FIFO, socket or device
  kOutside,     // below none of the search's sources
};

inline constexpr uint32_t kNoScopeFile = UINT32_MAX;

struct ScopeFile {
  const FileEntry* entry = nullptr;
  // The record's path made absolute and clean; kept apart only where it
  // differs from the record's own path (a relative source), which saves a
  // copy of every path of a long list.
  std::string cleanPath;
  uint32_t sourceRank = 0;  // its source's position in the typed list (0 first)
  FileStanding standing = FileStanding::kActionable;

  std::string absolutePath() const { return cleanPath.empty() ? entry->Path() : cleanPath; }

  // A regular file that can stay as a class's kept member.
  bool IsKeepable() const {
    return standing == FileStanding::kActionable || standing == FileStanding::kProtected;
  }
};

// What the caller knows beyond the application object.
struct ScopeSettings {
  // The include sources' cleaned paths in the order the user typed them; a
  // source missing here ranks after every listed one.
  std::vector<std::string> typedSources;
  // Folders whose files are never acted on; relative ones are taken
  // against workingFolder.
  std::vector<std::string> protectedFolders;
  std::string workingFolder;
};

// The cleaned source paths of the form's text "Quelle einschließen" in the
// order typed, as ScopeSettings::typedSources wants them.
std::vector<std::string> TypedSources(const std::string& sourceInclText,
                                      const std::string& homeDir = {});

// True when the search formed its classes by identical content: the content
// comparison active with difference 0 and letter case counted.
bool FormedByIdenticalContent(const SearchParams& params);

class ActionScope {
 public:
  ActionScope(const CvrxApp& app, const ScopeSettings& settings);

  size_t FileCount() const { return files_.size(); }
  const ScopeFile& File(size_t index) const { return files_[index]; }
  const std::vector<ScopeFile>& files() const { return files_; }
  // The file of a class member, or kNoScopeFile for a record in no class.
  uint32_t FileOf(const FileEntry* entry) const;
  // The classes in list order, each a list of file indices in member order.
  const std::vector<std::vector<uint32_t>>& classes() const { return classes_; }
  bool identicalContent() const { return identicalContent_; }
  // Absolute, clean paths: the search's include sources and the protected
  // folders; the executor checks each file against them again.
  const std::vector<std::string>& sourceFolders() const { return sourceFolders_; }
  const std::vector<std::string>& protectedFolders() const { return protectedFolders_; }
  const std::string& workingFolder() const { return workingFolder_; }

 private:
  void CollectFiles(const CvrxApp& app);
  void RankSources(const CvrxApp& app, const std::vector<std::string>& typedSources);
  void JudgeFiles();

  EntryPositions positions_;
  std::vector<uint32_t> fileAt_;  // per candidate: its file, or kNoScopeFile
  std::unordered_map<const FileEntry*, uint32_t> strays_;  // members outside the list
  std::vector<ScopeFile> files_;
  std::vector<std::vector<uint32_t>> classes_;
  std::vector<std::string> sourceFolders_;
  std::vector<std::string> protectedFolders_;
  std::string workingFolder_;
  bool identicalContent_ = false;
};

}  // namespace vrx
