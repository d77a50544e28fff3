// ContentGatherer: the side-by-side comparison of a bucket whose files are
// all open at once - the head, the tail, then the middle chunk by chunk, each
// group split wherever its members' bytes differ.
#include <algorithm>
#include <cstring>
#include <utility>

#include "engine/content_gatherer.h"
#include "engine/open_files.h"
#include "platform/text.h"

namespace vrx {
namespace {

// One distinct piece of a group: the bytes read (in a buffer of its own),
// their hash when the group compares by hash first, and the positions of the
// members that read these bytes.
struct Piece {
  const unsigned char* data;
  uint64_t hash;
  Bucket positions;
};

// Adds the member at `pos` to the piece it equals, or as a new piece. When
// case does not count, a piece is compared exactly first and case-blind only
// when that fails, so identical files are never folded.
void AddToPieces(std::vector<Piece>& pieces, const unsigned char* data, uint64_t hash, uint32_t pos,
                 size_t length, bool ignoreCase) {
  auto same = std::find_if(pieces.begin(), pieces.end(), [&](const Piece& piece) {
    return piece.hash == hash && (std::memcmp(piece.data, data, length) == 0 ||
                                  (ignoreCase && EqualAsciiNoCase(piece.data, data, length)));
  });
  if (same != pieces.end()) {
    same->positions.push_back(pos);
  } else {
    pieces.push_back(Piece{data, hash, Bucket{pos}});
  }
}

std::vector<Bucket> PartsOf(std::vector<Piece>& pieces) {
  std::vector<Bucket> parts;
  parts.reserve(pieces.size());
  for (Piece& piece : pieces) {
    parts.push_back(std::move(piece.positions));
  }
  return parts;
}

}  // namespace

// Opens every member of the bucket and reads them side by side: first the
// head, then the tail, then the middle chunk by chunk, skipping what is a
// hole in every member still compared. After each piece every group is split
// by the bytes read; a member left alone is closed and its file is not read
// further. Returns the final groups (singletons included) in no particular
// order; dropped and moved members are in none. Returns nothing when
// descriptors ran out and the bound was lowered.
std::optional<std::vector<Bucket>> ContentGatherer::CompareTogether(const Bucket& bucket) {
  OpenFiles files(bucket, holes_);
  std::optional<Bucket> group = OpenAll(files);
  if (!group) {
    return std::nullopt;
  }
  if (Stopped()) {
    return std::vector<Bucket>{};
  }
  Comparing comparing;
  if (group->size() >= 2) {
    comparing.groups.push_back(std::move(*group));
  } else if (group->size() == 1) {
    comparing.done.push_back(std::move(*group));
  }
  ReadAll(files, comparing);
  if (Stopped()) {
    return std::vector<Bucket>{};
  }
  return FinishComparing(files, comparing);
}

// Opens the bucket's files, until the step stops; the positions of those
// opened. Nothing when descriptors ran out: the bound is lowered.
std::optional<Bucket> ContentGatherer::OpenAll(OpenFiles& files) {
  const Bucket& bucket = files.members();
  Bucket group;
  for (uint32_t pos = 0; pos < bucket.size(); ++pos) {
    const Opened opened = Open(bucket[pos], files.reader(pos), group.size() < kMinOpenFiles);
    if (opened == Opened::kNoDescriptor) {
      OpenFewer(group.size());
      return std::nullopt;
    }
    if (opened == Opened::kYes) {
      group.push_back(pos);
      if (size_ >= kSequentialBytes) {
        files.reader(pos).AdviseSequential();
      }
    }
    if (Stopped()) {
      break;
    }
  }
  return group;
}

// The head, the tail, then the middle in chunks from one data range to the
// next, while groups are left. A file of at most kMinChunk bytes is read in
// one piece: the samples and the middle would take two or three reads, and
// where members differ early the one read copies at most a few KiB more.
void ContentGatherer::ReadAll(OpenFiles& files, Comparing& comparing) {
  const std::vector<Bucket>& groups = comparing.groups;
  const uint64_t headEnd = size_ <= kMinChunk ? size_ : kHeadBytes;
  const uint64_t tailStart = std::max(headEnd, size_ > kTailBytes ? size_ - kTailBytes : 0);
  const size_t chunk =
      std::clamp(chunkBudget_ / (files.members().size() + 1), kMinChunk, kMaxChunk);
  if (!groups.empty()) {
    StepGroups(files, comparing, 0, headEnd);
  }
  if (!groups.empty() && !Stopped() && tailStart < size_) {
    StepGroups(files, comparing, tailStart, size_ - tailStart);
  }
  for (uint64_t offset = files.NextData(groups, headEnd);
       offset < tailStart && !groups.empty() && !Stopped();) {
    const auto length = static_cast<size_t>(std::min<uint64_t>(chunk, tailStart - offset));
    StepGroups(files, comparing, offset, length);
    offset = files.NextData(groups, offset + length);
  }
}

// Splits every group by the piece at `offset`; a member left alone is closed
// and settled.
void ContentGatherer::StepGroups(OpenFiles& files, Comparing& comparing, uint64_t offset,
                                 size_t length) {
  std::vector<Bucket> next;
  for (const Bucket& g : comparing.groups) {
    // A range that is a hole in every member reads as zeros in all of them.
    if (std::all_of(g.begin(), g.end(),
                    [&](uint32_t pos) { return files.DataFrom(pos, offset) - offset >= length; })) {
      next.push_back(g);
      continue;
    }
    for (Bucket& part : SplitGroup(g, files, offset, length)) {
      if (part.size() >= 2) {
        next.push_back(std::move(part));
      } else {
        Finish(files.members()[part.front()], files.reader(part.front()));
        comparing.done.push_back(std::move(part));
      }
    }
    if (Stopped()) {
      return;
    }
  }
  comparing.groups = std::move(next);
}

// Closes every file and turns the groups into parts of members; members that
// moved are left out.
std::vector<Bucket> ContentGatherer::FinishComparing(OpenFiles& files, Comparing& comparing) {
  const Bucket& bucket = files.members();
  std::vector<Bucket> done = std::move(comparing.done);
  for (Bucket& g : comparing.groups) {
    done.push_back(std::move(g));
  }
  for (uint32_t pos = 0; pos < bucket.size(); ++pos) {
    Finish(bucket[pos], files.reader(pos));
  }
  for (Bucket& part : done) {
    for (uint32_t& pos : part) {
      pos = bucket[pos];
    }
    std::erase_if(part, [this](uint32_t m) { return marks_.moved(m); });
  }
  std::erase_if(done, [](const Bucket& part) { return part.empty(); });
  return done;
}

// Reads the piece of every member of the group and splits the group by its
// bytes. Each distinct piece is kept in its own buffer; members compare
// against those (by hash first in larger groups, always by every byte). In
// groups of big files the side thread fetches every second member's piece
// while this one fetches the others; the comparison then goes through them
// in order.
std::vector<Bucket> ContentGatherer::SplitGroup(const Bucket& group, OpenFiles& files,
                                                uint64_t offset, size_t length) {
  const bool hashed = group.size() > kHashedGroup;
  const bool sideBySide = size_ >= sideBySideFrom_;
  std::vector<unsigned char*> fetched;
  std::vector<char> fetchedOk;
  if (sideBySide) {
    FetchSideBySide(group, files, offset, length, fetched, fetchedOk);
  }
  std::vector<Piece> pieces;
  for (size_t k = 0; k < group.size(); ++k) {
    const uint32_t pos = group[k];
    unsigned char* data = sideBySide ? fetched[k] : BufferAt(pieces.size(), length);
    const bool ok = sideBySide ? fetchedOk[k] != 0 : files.Fetch(pos, offset, length, data);
    if (!ok) {
      Drop(files.members()[pos], FileTrouble::kRead);
      files.reader(pos).Close();
      if (Stopped()) {
        break;
      }
      continue;
    }
    NoteRead(length);
    const uint64_t hash = hashed ? HashOf(data, length, 0) : 0;
    AddToPieces(pieces, data, hash, pos, length, ignoreCase_);
  }
  return PartsOf(pieces);
}

// Fetches the piece of every member of the group into a buffer of its own,
// every second one on the side thread.
void ContentGatherer::FetchSideBySide(const Bucket& group, OpenFiles& files, uint64_t offset,
                                      size_t length, std::vector<unsigned char*>& fetched,
                                      std::vector<char>& fetchedOk) {
  fetched.resize(group.size());
  fetchedOk.assign(group.size(), 0);
  for (size_t k = 0; k < group.size(); ++k) {
    fetched[k] = BufferAt(k, length);
  }
  auto fetchEvery2nd = [&](size_t first) {
    for (size_t k = first; k < group.size(); k += 2) {
      fetchedOk[k] = files.Fetch(group[k], offset, length, fetched[k]) ? 1 : 0;
    }
  };
  side_.Start([&fetchEvery2nd] { fetchEvery2nd(1); });
  fetchEvery2nd(0);
  side_.Wait();
}

}  // namespace vrx
