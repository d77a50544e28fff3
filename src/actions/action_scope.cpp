#include "actions/action_scope.h"

#include <algorithm>

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
    : positions_(app.candidates),
      workingFolder_(settings.workingFolder),
      identicalContent_(FormedByIdenticalContent(app.params)) {
  for (const SourceEntry& source : app.params.sourcesIncl) {
    sourceFolders_.push_back(AbsolutePath(source.path, workingFolder_));
  }
  for (const std::string& folder : settings.protectedFolders) {
    protectedFolders_.push_back(AbsolutePath(folder, workingFolder_));
  }
  files_.reserve(std::min(CountMembers(app.classes), app.candidates.GetSize()));
  classes_.reserve(app.classes.size());
  fileAt_.assign(app.candidates.GetSize(), kNoScopeFile);
  CollectFiles(app);
  RankSources(app, settings.typedSources);
  JudgeFiles();
}

uint32_t ActionScope::FileOf(const FileEntry* entry) const {
  const size_t position = positions_.PositionOf(entry);
  if (position != EntryPositions::kNone) {
    return fileAt_[position];
  }
  const auto stray = strays_.find(entry);
  return stray != strays_.end() ? stray->second : kNoScopeFile;
}

// Each record becomes a file once, numbered in the order of first sight; a
// record's number is kept by its position in the candidate list.
void ActionScope::CollectFiles(const CvrxApp& app) {
  std::string path;  // reused from record to record
  for (const SimilarityClass& members : app.classes) {
    std::vector<uint32_t>& indices = classes_.emplace_back();
    indices.reserve(members.size());
    for (const FileEntry* entry : members) {
      const size_t position = positions_.PositionOf(entry);
      uint32_t& number = position != EntryPositions::kNone
                             ? fileAt_[position]
                             : strays_.try_emplace(entry, kNoScopeFile).first->second;
      if (number == kNoScopeFile) {
        number = static_cast<uint32_t>(files_.size());
        ScopeFile& file = files_.emplace_back();
        file.entry = entry;
        path.clear();
        entry->AppendPath(&path);
        if (!IsCleanAbsolutePath(path)) {
          file.cleanPath = AbsolutePath(path, workingFolder_);
        }
      }
      indices.push_back(number);
    }
  }
}

// The candidate list holds each source's records in one run that begins at
// sourceFirstEntry[k - 1] for the sorted source k; the typed list says which
// source came first.
void ActionScope::RankSources(const CvrxApp& app, const std::vector<std::string>& typedSources) {
  const std::vector<SourceEntry>& sorted = app.params.sourcesIncl;
  std::vector<uint32_t> rankOfSorted(sorted.size());
  for (size_t k = 0; k < sorted.size(); ++k) {
    const auto typed = std::find(typedSources.begin(), typedSources.end(), sorted[k].path);
    rankOfSorted[k] = static_cast<uint32_t>(
        typed != typedSources.end() ? typed - typedSources.begin() : typedSources.size() + k);
  }
  const std::vector<uint32_t>& firsts = app.sourceFirstEntry;
  for (size_t candidate = 0; candidate < fileAt_.size(); ++candidate) {
    const uint32_t file = fileAt_[candidate];
    if (file != kNoScopeFile && !rankOfSorted.empty()) {
      const size_t k = static_cast<size_t>(
          std::upper_bound(firsts.begin(), firsts.end(), candidate) - firsts.begin());
      files_[file].sourceRank = rankOfSorted[std::min(k, rankOfSorted.size() - 1)];
    }
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
