// The scheduling of the content step: its classes spread over the calling
// thread and a few helpers, each taking the next class, and the results put
// in place in class order by the calling thread.
#pragma once

#include <cstddef>

#include "engine/content_groups.h"
#include "engine/similarity_class.h"

namespace vrx {

class CvrxApp;
class Progress;

enum class GatherEnd { kDone, kOutOfMemory, kOutOfDescriptors };

// Threads reading at once by default: two per core when the files' content
// is in the page cache, else eight per core; at most sixteen.
size_t DefaultWorkers(bool cached);

// Whether the content of the classes' files looks to be in the page cache:
// a byte of a few of them, spread over the classes, can be read without the
// disk. Files that cannot be opened are passed over.
bool ContentLooksCached(const ClassList& classes);

// The step over every class of app.classes with the options' bounds (none of
// them 0). Whatever it allocated is freed when it returns.
GatherEnd GatherAll(CvrxApp& app, Progress& progress, const GatherOptions& options);

}  // namespace vrx
