// Host-layout strings: the bytes the host sees, reference counting across a call, and
// damaged headers.
#include <gtest/gtest.h>

#include <cstring>

#include "app/HostString.h"

using posapp::AddHostStringRef;
using posapp::HostStringRefCount;
using posapp::HostStringText;
using posapp::ReleaseHostString;
using posapp::THostString;
using posapp::THostStringArg;

namespace {

int32_t HeaderAt(const char* data, int offset) {
  int32_t v;
  std::memcpy(&v, data + offset, 4);
  return v;
}

}  // namespace

TEST(HostStringLayout, HeaderPrecedesTextAndZeroFollows) {
  THostString s("\xB2\xE2\xCA\xD4 1");  // 测试 1
  const char* p = s.Data();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(HeaderAt(p, -8), 1);
  EXPECT_EQ(HeaderAt(p, -4), 6);
  EXPECT_EQ(std::string(p, 6), "\xB2\xE2\xCA\xD4 1");
  EXPECT_EQ(p[6], '\0');
  EXPECT_EQ(HostStringText(p), "\xB2\xE2\xCA\xD4 1");
}

TEST(HostStringLayout, EmptyTextIsNullPointer) {
  THostString s("");
  EXPECT_EQ(s.Data(), nullptr);
  EXPECT_EQ(HostStringText(nullptr), "");
  EXPECT_EQ(HostStringRefCount(nullptr), 0);
  THostStringArg arg(nullptr);
  EXPECT_EQ(arg.Text(), "");
}

TEST(HostStringLayout, TextMayHoldZeroBytes) {
  const std::string text("a\0b", 3);
  THostString s(text);
  EXPECT_EQ(HostStringText(s.Data()), text);
}

TEST(HostStringReferences, ArgumentTakesOneAndGivesItBack) {
  THostString s("192.168.1.5");
  {
    THostStringArg arg(s.Data());
    EXPECT_EQ(s.RefCount(), 2);
    EXPECT_EQ(arg.Text(), "192.168.1.5");
    THostStringArg again(s.Data());
    EXPECT_EQ(s.RefCount(), 3);
  }
  EXPECT_EQ(s.RefCount(), 1);
}

TEST(HostStringReferences, ConstantIsNeverTouched) {
  THostString c = THostString::Constant("PosStore");
  EXPECT_EQ(c.RefCount(), -1);
  {
    THostStringArg arg(c.Data());
    EXPECT_EQ(arg.Text(), "PosStore");
    EXPECT_EQ(c.RefCount(), -1);
  }
  ReleaseHostString(c.Data());
  EXPECT_EQ(c.RefCount(), -1);
}

TEST(HostStringReferences, LastReleaseFreesTheBlockWhoeverHoldsIt) {
  // The library may hold the last reference when the host dropped its own during the
  // call; the block goes with that release (a leak or a double free shows under ASan).
  auto* owner = new THostString("x");
  const char* p = owner->Data();
  AddHostStringRef(p);
  delete owner;
  EXPECT_EQ(HostStringRefCount(p), 1);
  ReleaseHostString(p);
}

TEST(HostStringDamage, BadHeadersRaiseAndChangeNothing) {
  struct Case {
    int32_t count, length;
  };
  const Case cases[] = {{0, 3}, {-2, 3}, {1, -1}, {1, posapp::kMaxHostStringLength + 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "count " << c.count << " length " << c.length);
    alignas(4) char block[16] = {};
    std::memcpy(block, &c.count, 4);
    std::memcpy(block + 4, &c.length, 4);
    std::memcpy(block + 8, "abc", 4);
    EXPECT_THROW(HostStringText(block + 8), EHostStringError);
    EXPECT_THROW(AddHostStringRef(block + 8), EHostStringError);
    EXPECT_THROW(THostStringArg arg(block + 8), EHostStringError);
    EXPECT_EQ(HeaderAt(block, 0), c.count);
  }
}
