// What the main system's answer to an uploaded stock-take bill means, over a fake server
// that answers the procedure with a given result.
#include <gtest/gtest.h>

#include "app/OpenCall.h"
#include "app/uDataModule.h"
#include "app/uPDSave.h"
#include "tests/app/PdTestDoubles.h"

using namespace pdbill;

namespace {

class ResultLink final : public IAppServerLink {
 public:
  explicit ResultLink(int result) : FResult(result) {}
  bool Connected() const override { return true; }
  TCustomRemoteServer* ProviderServer() override { return nullptr; }
  void ConnectDb(const AnsiString&, const AnsiString&) override {}
  void ChangeDb(AnsiString&) override {}
  Variant ExecuteProc(AnsiString& name, Variant&, Variant&) override {
    Called = name;
    return Variant(FResult);
  }
  void OpenProc(AnsiString&, Variant&) override {}
  Variant ExecuteSQL(WideString&) override { return Variant(0); }
  void OpenSQL(WideString&) override {}
  void TransactionController(int) override {}
  AnsiString Called;

 private:
  int FResult;
};

}  // namespace

// Only a result above 0 is a bill code; a refusal has its message; 0 and other
// negative results used to count as bill codes too.
TEST(PdUploadResult, OnlyAResultAboveZeroIsABillCode) {
  const struct {
    int result;
    bool uploaded;
    const char* message;
  } cases[] = {{1234, true, ""},
               {1, true, ""},
               {0, false, ""},
               {-1, false, kRefusedDraft},
               {-2, false, kRefusedNoPrepare},
               {-3, false, kRefusedClosed},
               {-4, false, ""}};
  for (const auto& c : cases) {
    auto link = std::make_unique<ResultLink>(c.result);
    ResultLink& seen = *link;
    posapp::EnsureDataModule(nullptr).SetLink(std::move(link));
    TRecordedMessages messages;
    TPdBillSaver saver({"h", "hd", "u", "ud"}, messages, 0);
    EXPECT_EQ(saver.UploadBill(57), c.uploaded) << c.result;
    EXPECT_EQ(saver.UploadCode(), c.uploaded ? c.result : 0) << c.result;
    EXPECT_EQ(seen.Called, kUploadProc);
    EXPECT_EQ(messages.Texts(), *c.message ? AnsiString(c.message) + "\n" : AnsiString()) << c.result;
    if (!messages.Shown.empty()) {
      EXPECT_EQ(messages.Shown[0].Caption, kCaptionHint);
      EXPECT_EQ(messages.Shown[0].Kind, pmOk);
    }
    delete DataModule;
  }
}
