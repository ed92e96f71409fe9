// Test-only: the stand-in host can list its objects in another order, as a
// host that reorganises its tables may list the same objects differently
// from one call to the next. hapiGetObjectByIndex(i) then answers the object
// the world itself lists at permutation[i]. Nothing else changes.
#pragma once

#include <cstddef>
#include <vector>

namespace halcyra {

// Indices into the world's own order, one for each of its first
// permutation.size() objects; an index beyond them is answered unchanged.
// Empty (the default): the world's own order.
void setObjectPermutation(std::vector<size_t> permutation);

// The index of the world's own order that hapiGetObjectByIndex(index) answers.
size_t permutedObjectIndex(size_t index);

}  // namespace halcyra
