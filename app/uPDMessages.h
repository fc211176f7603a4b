// How the stock-take rules speak to the user: message boxes with the system's texts,
// captions and icons, and yes/no questions. The screens show them through the
// application's message box.
#pragma once
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

}  // namespace pdbill
