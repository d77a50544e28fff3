// Enumeration of the maximal cliques of a similarity graph given as a
// symmetric n x n byte matrix (1 = connected, every vertex connected to
// itself), by the algorithm of Bron and Kerbosch (1973), version 2: each step
// picks the fixed point with the fewest non-neighbours among the candidates,
// so that the cliques come out in a reproducible order. The enumeration keeps
// its own stack instead of recursing, so a clique of tens of thousands of
// vertices cannot overflow the call stack.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace vrx {

using CliqueReport = std::function<void(const std::vector<uint32_t>& clique)>;
// Asked now and then during a long enumeration; false stops it.
using KeepGoing = std::function<bool()>;

// About 10 to 50 ms of enumeration work.
inline constexpr uint64_t kCliqueWorkPerCheck = uint64_t{1} << 24;

// Calls `report` for every maximal clique of at least two vertices, in the
// order of the enumeration, with the vertices in the order they were added.
// `keepGoing` is asked after every `checkEvery` units of work (a unit is about
// one matrix cell looked at). Throws std::bad_alloc when the buffers cannot be
// had.
void FindMaximalCliques(const std::vector<unsigned char>& matrix, size_t n,
                        const CliqueReport& report, const KeepGoing& keepGoing = nullptr,
                        uint64_t checkEvery = kCliqueWorkPerCheck);

}  // namespace vrx
