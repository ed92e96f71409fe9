#include "targets/host_objects.h"

#include <algorithm>
#include <functional>

#include "geometry/vector_math.h"

double objectDistance(const VESSEL* focus, OBJHANDLE object) {
  if (focus == nullptr) return 0.0;
  VECTOR3 relPos{};  // [m]
  focus->GetRelativePos(object, relPos);
  return vectorLength(relPos);
}

std::vector<OBJHANDLE> sortedHostObjects() {
  std::vector<OBJHANDLE> objects;
  const uint32_t count = hapiGetObjectCount();
  objects.reserve(count);
  for (uint32_t i = 0; i < count; ++i) objects.push_back(hapiGetObjectByIndex(static_cast<int>(i)));
  std::sort(objects.begin(), objects.end(), std::less<OBJHANDLE>());
  return objects;
}

bool containsObject(const std::vector<OBJHANDLE>& sortedObjects, OBJHANDLE object) {
  return object != nullptr && std::binary_search(sortedObjects.begin(), sortedObjects.end(), object,
                                                 std::less<OBJHANDLE>());
}
