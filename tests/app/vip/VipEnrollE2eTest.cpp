// The VIP card screen end to end: Pos_J2DllForPos.dll loaded as the host loads it, the
// export OpenVipEnroll called with host-layout strings against the stand-in server of
// the test fixture (port in POS_SERVER_PORT). While the screen runs modally, a thread
// timer plays the user: it finds the controls by their names, types the entries, presses
// 确定 and answers the message boxes, reading what they say. The store is then asked
// for the card.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/OpenCall.h"
#include "app/uDataModule.h"
#include "host/ScreenDriver.h"
#include "tests/app/e2e/PluginHostTest.h"
#include "tests/support/ScriptedUser.h"
#include "tests/support/WindowFinder.h"

namespace {

using postest::FindTopLevel;

std::wstring Utf16(const char* gbk) {
  const WideString w = GbkToWide(gbk);
  return std::wstring(w.begin(), w.end());
}

std::string Gbk(const std::wstring& w) { return WideToGbk(std::u16string(w.begin(), w.end())); }

// A child window by the component name it carries.
HWND FindByName(HWND parent, const char* name) { return postest::FindChildByName(parent, Utf16(name)); }

HWND VipScreen() { return FindTopLevel(nullptr, Utf16("VIP会员发卡")); }

// Once the walk's time is up: the boxes answered and the screen closed, so that the open
// call returns.
void CloseWhatIsOpen() {
  if (HWND box = FindTopLevel(L"#32770", Utf16("提示"))) ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  if (HWND box = FindTopLevel(L"#32770", Utf16("错误"))) ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  if (HWND f = VipScreen()) ::PostMessageW(f, WM_CLOSE, 0, 0);
}

// The user, as a sequence of steps run by a thread timer inside the screen's modal loop;
// the message boxes the steps meet go to Log. The walk has twenty seconds.
class ScriptedUser : public postest::ScriptedUser {
 public:
  explicit ScriptedUser(std::vector<Step> steps)
      : postest::ScriptedUser(std::move(steps), {nullptr, &CloseWhatIsOpen, 50, 20000}) {}
  std::vector<std::string> Log;
};

void Type(HWND form, const char* name, const char* gbk) {
  HWND h = FindByName(form, name);
  ASSERT_NE(h, nullptr) << name;
  ::SendMessageW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Utf16(gbk).c_str()));
}

void Choose(HWND form, const char* name, int index) {
  HWND h = FindByName(form, name);
  ASSERT_NE(h, nullptr) << name;
  ::SendMessageW(h, CB_SETCURSEL, index, 0);
}

std::string ComboItem(HWND form, const char* name, int index) {
  HWND h = FindByName(form, name);
  wchar_t buf[128] = {};
  if (h) ::SendMessageW(h, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buf));
  return Gbk(buf);
}

// The steps of one enrollment: fill the screen, press 确定, answer the message box.
std::vector<ScriptedUser::Step> Enroll(const std::string& cardNo, ScriptedUser*& self,
                                       std::string& typeName, std::string& issuerName,
                                       const std::string& shot) {
  return {
      [&self, cardNo, &typeName, &issuerName, shot] {
        HWND f = VipScreen();
        if (!f) return false;
        Type(f, "lblCardNoEdit", cardNo.c_str());
        Choose(f, "cbbCardType", 1);
        Type(f, "edtNameEdit", "端到端");
        Type(f, "edtPhoneNumberEdit", "13912345678");
        Type(f, "edtPassEdit", "abc123");
        Type(f, "edtPassAgEdit", "abc123");
        Choose(f, "cbbEfullname", 1);
        typeName = ComboItem(f, "cbbCardType", 1);
        issuerName = ComboItem(f, "cbbEfullname", 1);
        return true;
      },
      [shot] {
        // A tick later the entries are painted: the picture shows them.
        HWND f = VipScreen();
        if (!shot.empty()) CaptureWindowPng(f, shot);
        ::PostMessageW(FindByName(f, "btnEnter"), BM_CLICK, 0, 0);
        return true;
      },
      [&self] {
        for (const char* caption : {"提示", "错误"}) {
          if (HWND box = FindTopLevel(L"#32770", Utf16(caption))) {
            wchar_t text[256] = {};
            ::GetDlgItemTextW(box, 0xFFFF, text, 255);
            self->Log.push_back(std::string(caption) + ":" + Gbk(text));
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
            return true;
          }
        }
        return false;
      },
  };
}

class VipEnrollEndToEnd : public PluginHostTest {
 protected:
  // One row of the store as "a|b|c", "" when there is none (this process's own module).
  static std::string StoreRow(const std::string& sql, std::vector<const char*> fields) {
    EXPECT_TRUE(posapp::ConnectDataModule(posapp::EnsureDataModule(nullptr), "127.0.0.1", "PosStore"));
    TClientDataSet data(nullptr);
    std::string row;
    if (OpenSQLData(GbkToWide(sql), &data)) {
      for (const char* f : fields) row += (row.empty() ? "" : "|") + data.FieldByName(f)->AsString();
    }
    posapp::ReleaseDataModule(1);
    return row;
  }
};

}  // namespace

TEST_F(VipEnrollEndToEnd, IssuesACardWithItsPasswordThenRefusesTheSameNumber) {
  const std::string cardNo = "E2E" + std::to_string(::GetTickCount() % 100000000u);
  std::string typeName, issuerName;

  // First: the card is issued, "发卡成功" is shown and the screen closes by itself.
  ScriptedUser* user = nullptr;
  {
    ScriptedUser first(Enroll(cardNo, user, typeName, issuerName,
                              std::string(POS_BINARY_DIR) + "/vip-enroll-e2e.png"));
    user = &first;
    const int32_t token = OpenVip("127.0.0.1");
    EXPECT_GT(token, 0);
    EXPECT_TRUE(first.Finished()) << first.Where();
    EXPECT_EQ(first.Log, std::vector<std::string>{"提示:发卡成功"});
    plugin->CloseVipEnroll(token);
  }
  const std::string typeId = StoreRow("select VipCardTypeID from nVipCardSet where TypeName='" + typeName + "'",
                                      {"VipCardTypeID"});
  const std::string issuerId = StoreRow(
      "select typeid from FN_GetPowerRangeEList ('00001','') where fullname='" + issuerName + "'", {"typeid"});
  ASSERT_FALSE(typeId.empty()) << typeName;
  ASSERT_FALSE(issuerId.empty()) << issuerName;
  EXPECT_EQ(StoreRow("select VipCardCode,pWord,Cardset,EtypeId,Bname,Btel,OperatorID from nVipCardSign "
                     "where VipCardCode='" + cardNo + "'",
                     {"VipCardCode", "pWord", "Cardset", "EtypeId", "Bname", "Btel", "OperatorID"}),
            cardNo + "|abc123|" + typeId + "|" + issuerId + "|端到端|13912345678|00001");

  // Again with the same number: "卡号重复，请重新输入", and the screen stays open with the
  // entries kept until the user closes it.
  std::string keptCard, keptName, keptPass;
  std::vector<ScriptedUser::Step> steps = Enroll(cardNo, user, typeName, issuerName, "");
  steps.push_back([&keptCard, &keptName, &keptPass] {
    HWND f = VipScreen();
    if (!f) return false;
    keptCard = Gbk(postest::WindowText(FindByName(f, "lblCardNoEdit")));
    keptName = Gbk(postest::WindowText(FindByName(f, "edtNameEdit")));
    keptPass = Gbk(postest::WindowText(FindByName(f, "edtPassEdit")));
    ::PostMessageW(FindByName(f, "btnCancle"), BM_CLICK, 0, 0);
    return true;
  });
  {
    ScriptedUser second(steps);
    user = &second;
    const int32_t token = OpenVip("127.0.0.1");
    EXPECT_GT(token, 0);
    EXPECT_TRUE(second.Finished()) << second.Where();
    EXPECT_EQ(second.Log, std::vector<std::string>{"错误:卡号重复，请重新输入"});
    plugin->CloseVipEnroll(token);
  }
  EXPECT_EQ(keptCard, cardNo);
  EXPECT_EQ(keptName, "端到端");
  EXPECT_EQ(keptPass, "abc123");
  EXPECT_EQ(StoreRow("select count(*) as N from nVipCardSign where VipCardCode='" + cardNo + "'", {"N"}), "1");
}
