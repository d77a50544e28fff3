// How much the partitions may take, and the messages with which a step that
// would take more is refused (RunCode::kTooLarge). A refusal comes before the
// memory is allocated; memory that still cannot be had ends the step with the
// same code instead of ending the process, and so does a lack of descriptors.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/run_status.h"

namespace vrx {

// The clique partition holds an n x n byte matrix, the enumeration a copy of
// it as bits, and index buffers of up to n^2 / 2 four-byte entries when one
// clique takes nearly all members. 32,768 members give a 1 GiB matrix, 128 MiB
// of bits and at most 2 GiB of buffers (46,341 members would already need
// 2 GiB for the matrix alone).
inline constexpr size_t kMaxCliqueMembers = 32'768;

// The inverted location comparison makes the product of the area sizes in
// classes (two areas of 100,000 records give 10^10). It may make at most
// 10,000,000 classes holding at most 100,000,000 member references (some
// 2 GB with the list nodes).
inline constexpr uint64_t kMaxCombinedClasses = 10'000'000;
inline constexpr uint64_t kMaxCombinedMembers = 100'000'000;

// What one partition step may make. Its classes count as the combinations do.
// The clique rule may make at most 64 classes per member of the class it
// splits: overlapping similarities can make up to 3^(n/3) maximal cliques of
// n members (36 files give 531,441 classes), a result nobody can read and one
// that grows threefold with every three files more.
struct ClassLimits {
  uint64_t classes = kMaxCombinedClasses;
  uint64_t members = kMaxCombinedMembers;  // member references over all classes made
  uint64_t cliquesPerMember = 64;
};

RunStatus CliqueTooLarge(size_t members);
// The clique rule would make more classes of a class of `members` members
// than the limits allow.
RunStatus TooManyCliques(size_t members, const ClassLimits& limits);
// A partition step would make more classes or member references.
RunStatus TooManyClasses(const ClassLimits& limits);
// `overflow`: the count does not fit in 64 bits.
RunStatus CombinationsTooLarge(uint64_t classes, bool overflow, size_t areas);
// Built without failing when memory is short: then with an empty message,
// which the programs show as a failed search. Let go of what the step made
// before calling it.
RunStatus OutOfMemory(size_t members);
// The filter pass ran out of memory after `records` records; built as
// OutOfMemory is.
RunStatus CollectionOutOfMemory(size_t records);
// Not even two files could be opened at once; `limit` is the process's limit
// on open files.
RunStatus TooFewDescriptors(uint64_t limit);

}  // namespace vrx
