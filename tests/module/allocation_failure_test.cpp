// An instance whose construction runs out of memory part way: the message
// procedure answers 0, and the instance slots and live instances are as they
// were. Every allocation of the construction is made to fail in turn.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "mfd/gyrelle_mfd.h"
#include "module/mode_registration.h"
#include "state/module_state.h"
#include "support/world_fixture.h"

namespace {
int gAllocationsBeforeFailure = -1;  // -1: never fail
}  // namespace

// The replacement pair below allocates with malloc and frees with free; the
// compiler cannot tell that the operators it sees are that pair.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

// Every (non-aligned) form is replaced, so that whatever allocates with one
// form and frees with another stays within malloc and free.
void* operator new(std::size_t size) {
  if (gAllocationsBeforeFailure == 0) {
    gAllocationsBeforeFailure = -1;
    throw std::bad_alloc();
  }
  if (gAllocationsBeforeFailure > 0) --gAllocationsBeforeFailure;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

class AllocationFailure : public gyrelle_test::WorldFixture {
 protected:
  void SetUp() override {
    WorldFixture::SetUp();
    resetModuleState();
  }
  void TearDown() override {
    gAllocationsBeforeFailure = -1;
    WorldFixture::TearDown();
  }
  intptr_t open() {
    return gyrelleMsgProc(1, 1, 256u | (280u << 16), reinterpret_cast<intptr_t>(&focus()));
  }
};

TEST_F(AllocationFailure, FailedConstructionLeavesTheSlotsAsTheyWere) {
  auto* first = reinterpret_cast<GyrelleMFD*>(open());
  auto* second = reinterpret_cast<GyrelleMFD*>(open());
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  int failures = 0;
  for (int allowed = 0; allowed < 64; ++allowed) {
    gAllocationsBeforeFailure = allowed;
    const intptr_t made = open();
    const bool failed = gAllocationsBeforeFailure == -1 && made == 0;
    gAllocationsBeforeFailure = -1;
    if (made != 0) {
      auto* third = reinterpret_cast<GyrelleMFD*>(made);
      EXPECT_EQ(moduleState.instanceSlot[1], third);
      delete third;  // empties slot 1
      moduleState.instanceSlot[1] = second;
      continue;
    }
    ASSERT_TRUE(failed) << allowed;
    ++failures;
    EXPECT_EQ(moduleState.instanceSlot[0], first) << allowed;
    EXPECT_EQ(moduleState.instanceSlot[1], second) << allowed;
  }
  EXPECT_GT(failures, 1);  // the object itself and at least one step inside
  delete second;
  delete first;
}

}  // namespace
