// Message payloads: calls with by-reference flags, results, greetings; trailing bytes and
// bad counts are corruption.
#include "net/Messages.h"

#include <gtest/gtest.h>

#include "net/NetErrors.h"
#include "WireRender.h"

using nettest::Render;
using posnet::WireLimits;

namespace {

std::vector<uint8_t> Payload(const posnet::WireWriter& w) { return w.Data(); }

TEST(Messages, CallRoundTrips) {
  posnet::CallMessage call;
  call.Method = "ExecuteProc";
  call.Args = {{Variant("GetSysValue;1"), true},
               {VarArrayOf({VarArrayOf({Variant("@szName"), Variant("AllowColorSize")})}), true},
               {Variant::Null(), true},
               {Variant(7), false}};
  posnet::WireWriter w;
  posnet::WriteCall(w, call, WireLimits());
  const posnet::CallMessage back = posnet::ReadCall(Payload(w), WireLimits());
  EXPECT_EQ(back.Method, call.Method);
  ASSERT_EQ(back.Args.size(), call.Args.size());
  for (size_t i = 0; i < call.Args.size(); ++i) {
    EXPECT_EQ(back.Args[i].ByRef, call.Args[i].ByRef);
    EXPECT_EQ(Render(back.Args[i].Value), Render(call.Args[i].Value));
  }
}

TEST(Messages, ResultRoundTrips) {
  posnet::ResultMessage m{Variant(-9), {Variant("x"), Variant::Null()}};
  posnet::WireWriter w;
  posnet::WriteResult(w, m, WireLimits());
  const auto back = posnet::ReadResult(Payload(w), WireLimits());
  EXPECT_EQ(Render(back.Result), "3:-9");
  ASSERT_EQ(back.ByRef.size(), 2u);
  EXPECT_EQ(Render(back.ByRef[0]), "String:x");
  EXPECT_EQ(Render(back.ByRef[1]), "Null");
}

TEST(Messages, HelloRoundTrips) {
  posnet::WireWriter w;
  posnet::WriteHello(w, {"DuduVezEvavav.CoCommonPosServer", "{46359509-A19A-4D07-9D00-F7BA83D6ABBE}"});
  const auto m = posnet::ReadHello(Payload(w));
  EXPECT_EQ(m.ServerName, "DuduVezEvavav.CoCommonPosServer");
  EXPECT_EQ(m.ServerGUID, "{46359509-A19A-4D07-9D00-F7BA83D6ABBE}");
}

std::string CallError(std::vector<uint8_t> bytes) {
  try {
    posnet::ReadCall(bytes, WireLimits());
  } catch (const EProtocolError& e) {
    return e.Message();
  }
  return "no error";
}

TEST(Messages, MalformedCalls) {
  posnet::WireWriter good;
  posnet::WriteCall(good, {"OpenSQL", {{Variant(WideString(u"select 1")), true}}}, WireLimits());
  auto trailing = good.Data();
  trailing.push_back(0);
  EXPECT_EQ(CallError(trailing), "corrupt at offset " + std::to_string(good.Size()) +
                                     ": 1 bytes after the end of the message");

  posnet::WireWriter flags;
  posnet::WriteCall(flags, {"X", {{Variant(1), false}}}, WireLimits());
  auto badFlags = flags.Data();
  badFlags[9] = 2;  // name (4+1), count (4), then the flags byte
  EXPECT_EQ(CallError(badFlags), "corrupt at offset 9: argument flags 2");

  posnet::WireWriter many;
  many.Str("X");
  many.U32(65);
  EXPECT_EQ(CallError(many.Data()), "corrupt at offset 5: argument count 65 above the limit 64");

  posnet::WireWriter longName;
  longName.Str(std::string(257, 'm'));
  longName.U32(0);
  EXPECT_EQ(CallError(longName.Data()), "corrupt at offset 0: method name of 257 bytes exceeds 256");
}

TEST(Messages, ResultWithTooManyValuesFails) {
  posnet::WireWriter w;
  w.U16(varEmpty);
  w.U32(1000);
  EXPECT_THROW(posnet::ReadResult(w.Data(), WireLimits()), EProtocolError);
}

}  // namespace
