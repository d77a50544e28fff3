// Similarity classes: ordered arrays of non-owning references to records of
// the candidate list. Classes may overlap; every class made by a partition has
// at least two members. The class list owns its classes, and its order is the
// order of the results.
#pragma once

#include <list>
#include <vector>

#include "collect/file_entry.h"

namespace vrx {

using SimilarityClass = std::vector<const FileEntry*>;
using ClassList = std::list<SimilarityClass>;

// Total number of members over all classes.
size_t CountMembers(const ClassList& classes);

// The bytes that all members but the last of every class occupy: what
// removing the copies of identical files would free.
uint64_t RedundantBytes(const ClassList& classes);

}  // namespace vrx
