#include "engine/similarity_class.h"

namespace vrx {

size_t CountMembers(const ClassList& classes) {
  size_t total = 0;
  for (const SimilarityClass& cls : classes) {
    total += cls.size();
  }
  return total;
}

uint64_t RedundantBytes(const ClassList& classes) {
  uint64_t sum = 0;
  for (const SimilarityClass& cls : classes) {
    for (size_t i = 0; i + 1 < cls.size(); ++i) {
      sum += cls[i]->size;
    }
  }
  return sum;
}

}  // namespace vrx
