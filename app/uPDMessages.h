// How the stock-take rules speak to the user: message boxes with the system's texts,
// captions and icons, and yes/no questions. The screens show them through the
// application's message box; tests record them.
#pragma once
#include <vector>

#include "rtl/AnsiString.h"

namespace pdbill {

// The icon and buttons of a message (the values of the platform's message box flags).
enum TPdMessageKind : unsigned {
  pmOk = 0x00,           // OK button only, no icon
  pmInformation = 0x40,  // information icon
  pmError = 0x10,        // error icon
};

constexpr const char* kCaptionHint = "提示";
constexpr const char* kCaptionError = "错误";
constexpr const char* kCaptionWarning = "警告";

class IPdMessages {
 public:
  virtual ~IPdMessages() = default;
  virtual void Show(const AnsiString& Text, const AnsiString& Caption, TPdMessageKind Kind) = 0;
  // A question with Yes and No; true on Yes.
  virtual bool Ask(const AnsiString& Text, const AnsiString& Caption) = 0;
};

// Messages kept in order; questions answered from a list (No once it runs out).
class TRecordedMessages final : public IPdMessages {
 public:
  struct TEntry {
    AnsiString Text;
    AnsiString Caption;
    unsigned Kind;
  };
  void Show(const AnsiString& Text, const AnsiString& Caption, TPdMessageKind Kind) override {
    Shown.push_back({Text, Caption, Kind});
  }
  bool Ask(const AnsiString& Text, const AnsiString& Caption) override {
    Shown.push_back({Text, Caption, 0x24});
    if (Answers.empty()) return false;
    const bool a = Answers.front();
    Answers.erase(Answers.begin());
    return a;
  }
  // The texts shown, one a line.
  AnsiString Texts() const {
    AnsiString out;
    for (const TEntry& e : Shown) out += e.Text + "\n";
    return out;
  }
  std::vector<TEntry> Shown;
  std::vector<bool> Answers;
};

}  // namespace pdbill
