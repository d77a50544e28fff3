// The content step for identical files: every class of equal-size records is
// replaced by its classes of identical content, in linear time.
//
// The result is the one of the gather partition with the pairwise content
// comparison: classes ordered by their first member's position in the class,
// members in their order within it, no class of one member. Instead of
// comparing pairs, the members of a class are split by a small sample of the
// head and the tail, then the remaining members of a bucket are read together
// chunk by chunk and split wherever their chunks differ. Every byte of a class
// made is compared, so equality never rests on a hash; hashes only split very
// large buckets so that at most a few hundred files are open at once. Holes
// that every member of a group has are equal without being read, and big
// files are read by two threads at once.
//
// A file that cannot be opened or read, whose size is no longer the one
// recorded, or that was replaced since the walk, is reported once to the
// diagnostics sink and joins no class. A file written to while it was read
// makes its run of equal-size members be compared once more; when it moves
// again it is reported and joins no class.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/run_status.h"

namespace vrx {

class CvrxApp;

struct GatherOptions {
  // Files open at once over all threads (at least 2 per thread); 0 takes 128
  // per thread, or fewer when the process's limit on open files leaves less. Should
  // descriptors run out all the same, a thread opens fewer at once; when not
  // even two can be had, the step stops (kTooLarge).
  size_t maxOpenFiles = 0;
  // Threads reading at once, the calling one included; 0 takes two per core
  // when a few of the files are found in the page cache, else eight per
  // core, at most sixteen. The classes are the same for every number.
  size_t workers = 0;
  // Files of at least this many bytes have their holes looked up where the
  // file system reports them; ranges that are holes in every member of a
  // group are equal without being read. 0 takes 1 MiB.
  uint64_t holesFrom = 0;
  // Groups of files of at least this many bytes are read by two threads at
  // once, half the members each. 0 takes 8 MiB. Small values for both
  // exercise these paths on small files; the classes are the same for every
  // value.
  uint64_t sideBySideFrom = 0;
  // Members of the classes all threads work on at once (a class is taken
  // alone when it has more); 0 takes 32,768 or two of the largest class.
  size_t membersInWork = 0;
};

// Replaces every class of app.classes (members of equal size) by its classes
// of identical content, case-blind for ASCII letters when
// params.contentCompareIgnoreCase is set. Runs under a "Vergleichen" progress
// object with one step per member; on cancellation the first class not
// finished is replaced by the classes finished of it so far, and later
// classes stay as they were.
//
// Classes are independent, so several threads work on them at once, each
// taking the next class; the results, and the messages of unreadable files,
// are put in place in class order. Only the calling thread touches the
// progress object. Small bounds on the open files exercise the paths of very
// large buckets.
RunStatus GatherEqualContent(CvrxApp& app, GatherOptions options = {});

}  // namespace vrx
