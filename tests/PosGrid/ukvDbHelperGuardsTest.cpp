// The library's scope guards: a clean-up that fails on a normal exit reaches the caller,
// one that fails while another exception unwinds never replaces it (nor ends the
// program), and a flag comes back to what it was.
#include <gtest/gtest.h>

#include <string>

#include "VCLSource/source/PosGrid/ukvDbHelperGuards.h"
#include "rtl/Exceptions.h"

namespace {

TEST(Finally, AFailingCleanUpOnANormalExitReachesTheCaller) {
  int runs = 0;
  std::string caught;
  try {
    TkvFinally end([&] {
      ++runs;
      throw Exception("clean-up failed");
    });
  } catch (const Exception& e) {
    caught = e.Message();
  }
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(caught, "clean-up failed");
}

TEST(Finally, WhileAnotherExceptionUnwindsTheFirstOneGoesOn) {
  int runs = 0;
  std::string caught;
  try {
    TkvFinally end([&] {
      ++runs;
      throw Exception("clean-up failed");
    });
    throw Exception("work failed");
  } catch (const Exception& e) {
    caught = e.Message();
  }
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(caught, "work failed");
}

TEST(FlagScope, NestedScopesPutTheOldValueBack) {
  bool flag = false;
  {
    TkvFlagScope outer(flag);
    {
      TkvFlagScope inner(flag);
      EXPECT_TRUE(flag);
    }
    EXPECT_TRUE(flag);  // still inside the outer scope
  }
  EXPECT_FALSE(flag);
}

}  // namespace
