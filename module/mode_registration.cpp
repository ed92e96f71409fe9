#include "module/mode_registration.h"

#include <new>

#include "mfd/gyrelle_mfd.h"

intptr_t gyrelleMsgProc(uint32_t msg, uint32_t /*mode*/, uint32_t packedSize, intptr_t vessel) {
  if (msg != MFD_MSG_OPENED) return 0;
  const uint32_t width = packedSize & 0xffffu;
  const uint32_t height = packedSize >> 16;
  // The host owns the instance from here and destroys it through the virtual
  // destructor; an allocation failure answers 0 and changes no slot.
  // No exception crosses into the host: a construction that fails part way
  // (out of memory) has put the slots back and answers 0 like a failed allocation.
  try {
    auto* instance =
        new (std::nothrow) GyrelleMFD(width, height, reinterpret_cast<VESSEL*>(vessel));
    return reinterpret_cast<intptr_t>(instance);
  } catch (...) {
    return 0;
  }
}
