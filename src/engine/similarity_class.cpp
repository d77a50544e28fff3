#include "engine/similarity_class.h"

namespace vrx {

size_t CountMembers(const ClassList& classes) {
  size_t total = 0;
  for (const SimilarityClass& cls : classes) {
    total += cls.size();
  }
  return total;
}

}  // namespace vrx
