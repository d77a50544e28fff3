#include "actions/action_scope.h"

#include <algorithm>

#include "actions/entry_index.h"
#include "actions/paths.h"
#include "engine/vrx_app.h"
#include "params/form_reading.h"
#include "platform/attributes.h"
#include "platform/normal_path.h"

namespace vrx {

std::vector<std::string> TypedSources(const std::string& sourceInclText,
                                      const std::string& homeDir) {
  std::vector<std::string> paths;
  for (SourceEntry& entry : ReadLocationList(sourceInclText, homeDir)) {
    paths.push_back(std::move(entry.path));
  }
  return paths;
}

bool FormedByIdenticalContent(const SearchParams& params) {
  return params.contentCompare && params.contentDiff == 0 && !params.contentCompareIgnoreCase;
}

ActionScope::ActionScope(const CvrxApp& app, const ScopeSettings& settings)
    : workingFolder_(settings.workingFolder),
      identicalContent_(FormedByIdenticalContent(app.params)) {
  for (const SourceEntry& source : app.params.sourcesIncl) {
    sourceFolders_.push_back(AbsolutePath(source.path, workingFolder_));
  }
  for (const std::string& folder : settings.protectedFolders) {
    protectedFolders_.push_back(AbsolutePath(folder, workingFolder_));
  }
  const size_t members = CountMembers(app.classes);
  files_.reserve(members);
  classes_.reserve(app.classes.size());
  EntryIndex index(members);
  CollectFiles(app, &index);
  RankSources(app, index, settings.typedSources);
  JudgeFiles();
}

void ActionScope::CollectFiles(const CvrxApp& app, EntryIndex* index) {
  for (const SimilarityClass& members : app.classes) {
    std::vector<uint32_t>& indices = classes_.emplace_back();
    indices.reserve(members.size());
    for (const FileEntry* entry : members) {
      const auto [number, added] = index->TryEmplace(entry, static_cast<uint32_t>(files_.size()));
      if (added) {
        ScopeFile& file = files_.emplace_back();
        file.entry = entry;
        if (!IsCleanAbsolutePath(entry->path)) {
          file.cleanPath = AbsolutePath(entry->path, workingFolder_);
        }
      }
      indices.push_back(number);
    }
  }
}

// The candidate list holds each source's records in one run that begins at
// sourceFirstEntry[k - 1] for the sorted source k; the typed list says which
// source came first.
void ActionScope::RankSources(const CvrxApp& app, const EntryIndex& index,
                              const std::vector<std::string>& typedSources) {
  const std::vector<SourceEntry>& sorted = app.params.sourcesIncl;
  std::vector<uint32_t> rankOfSorted(sorted.size());
  for (size_t k = 0; k < sorted.size(); ++k) {
    const auto typed = std::find(typedSources.begin(), typedSources.end(), sorted[k].path);
    rankOfSorted[k] = static_cast<uint32_t>(
        typed != typedSources.end() ? typed - typedSources.begin() : typedSources.size() + k);
  }
  if (rankOfSorted.size() == 1) {  // one source: every file has its rank
    for (ScopeFile& file : files_) {
      file.sourceRank = rankOfSorted[0];
    }
    return;
  }
  const std::vector<uint32_t>& firsts = app.sourceFirstEntry;
  uint32_t candidate = 0;
  for (const FileEntry& entry : app.candidates) {
    const uint32_t file = index.Find(&entry);
    if (file != EntryIndex::kMissing && !rankOfSorted.empty()) {
      const size_t k = static_cast<size_t>(
          std::upper_bound(firsts.begin(), firsts.end(), candidate) - firsts.begin());
      files_[file].sourceRank = rankOfSorted[std::min(k, rankOfSorted.size() - 1)];
    }
    ++candidate;
  }
}

void ActionScope::JudgeFiles() {
  for (ScopeFile& file : files_) {
    const auto in = [&file](const std::string& folder) {
      return IsInFolder(file.absolutePath(), folder);
    };
    if ((file.entry->attributes & kAttrDirectory) != 0) {
      file.standing = FileStanding::kFolder;
    } else if ((file.entry->attributes & kAttrSystem) != 0) {
      file.standing = FileStanding::kSpecial;
    } else if (std::none_of(sourceFolders_.begin(), sourceFolders_.end(), in)) {
      file.standing = FileStanding::kOutside;
    } else if (std::any_of(protectedFolders_.begin(), protectedFolders_.end(), in)) {
      file.standing = FileStanding::kProtected;
    } else {
      file.standing = FileStanding::kActionable;
    }
  }
}

}  // namespace vrx
