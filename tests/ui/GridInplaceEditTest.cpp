// The grid's popup list as its key press sees the typed text, one byte at a time (the
// two bytes of a Chinese character one after the other): a lead byte waits for its trail
// byte, and Backspace or Esc forget both the search text and a lead byte still waiting.
#include <memory>
#include <string>

#include "UiTest.h"
#include "ui/Grids.h"

using namespace uitest;

namespace {

// The list with its key press open to the test, fed byte by byte.
class TypedList : public TPopupListbox {
 public:
  using TPopupListbox::TPopupListbox;
  void Type(std::string_view bytes) {
    for (char b : bytes) {
      char key = b;
      KeyPress(key);
    }
  }
};

struct ListForm {
  std::unique_ptr<TForm> form{new TForm(nullptr)};
  TypedList* list;
  DWORD now = 10000;
  ListForm() {
    form->SetBounds(100, 100, 300, 200);
    list = new TypedList(form.get());
    list->SetParent(form.get());
    list->TickCount = [this] { return now; };
    for (const char* s : {"apple", "梨", "bean", "香蕉"}) list->Items()->Add(s);
    list->HandleNeeded();
  }
};

}  // namespace

// A lone lead byte (of 香, \xCF\xE3) then Backspace or Esc, then a letter: the search text
// is the letter alone, never the lead byte joined to it as one character.
TEST(GridPopupList, BackspaceAndEscForgetALeadByteStillWaiting) {
  for (const char clear : {'\b', '\x1B'}) {
    ListForm f;
    f.list->Type("\xCF");
    EXPECT_EQ(f.list->SearchText(), "");
    f.list->Type(std::string(1, clear));
    f.list->Type("b");
    EXPECT_EQ(f.list->SearchText(), "b") << int(clear);
    EXPECT_EQ(f.list->ItemIndex(), 2) << int(clear);
  }
  // Whole, the two bytes are one character of the search.
  ListForm f;
  f.list->Type("\xCF");
  f.list->Type("\xE3");
  EXPECT_EQ(f.list->SearchText(), "香");
  EXPECT_EQ(f.list->ItemIndex(), 3);
}
