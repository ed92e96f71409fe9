#include "host/object_permutation.h"

#include <utility>

namespace halcyra {
namespace {
std::vector<size_t>& objectPermutation() {
  static std::vector<size_t> permutation;
  return permutation;
}
}  // namespace

void setObjectPermutation(std::vector<size_t> permutation) {
  objectPermutation() = std::move(permutation);
}

size_t permutedObjectIndex(size_t index) {
  const std::vector<size_t>& permutation = objectPermutation();
  return index < permutation.size() ? permutation[index] : index;
}

}  // namespace halcyra
