// The walk of the filter pass: every include source in list order, each with
// its own walk state and the exclusions below it; the directories entered are
// remembered over all of them, so that no file is recorded twice.
#pragma once

#include "collect/walk_context.h"

namespace vrx {

// Appends the candidates of every source to walk.candidates and fills
// walk.sourceFirstEntry (sized by the caller: one border per source after the
// first). A source that contributes nothing gets the index the next record
// would get. Stops when walk.cancelled is set. Throws std::bad_alloc when
// memory runs out; the caller lets the list go.
void CollectSources(const WalkContext& walk);

}  // namespace vrx
