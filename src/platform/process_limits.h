// The limit on open files of the process: raised as far as it goes at start,
// and the share of it that the content comparison may hold open at once; and
// how the memory allocator is set for the reading threads.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vrx {

// Raises the soft limit on open files to the hard limit. Both programs call
// it once at start, before any thread runs.
void RaiseOpenFileLimit();

// Sets the allocator so that the many reading threads hold no memory they no
// longer use: large blocks always come from and go back to the system, and
// the threads share two heaps instead of one each. Both programs call it once
// at start, before any thread runs.
void TuneMemoryAllocator();

// The soft limit on open files now; UINT64_MAX when there is none.
uint64_t OpenFileLimit();

// How many files the content comparison may hold open at once: the soft
// limit less a reserve for the program's other descriptors (standard
// streams, the result file, the windows' connections), at most `ceiling`
// and at least 2.
size_t OpenFileBudget(size_t ceiling);

}  // namespace vrx
