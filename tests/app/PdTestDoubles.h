// Test doubles of the stock-take screens' seams: a chooser that answers from a list of
// answers given in advance, and messages kept in order with questions answered from a list.
#pragma once
#include <deque>
#include <utility>
#include <vector>

#include "app/uPDChooser.h"
#include "app/uPDMessages.h"

namespace pdbill {

// Answers from a script: each call takes the next answer (cancel once the script runs
// out) and records what was asked.
class TScriptedChooser final : public IPdChooser {
 public:
  struct TAsked {
    TPdChoiceKind Kind;
    AnsiString SearchText;
  };
  void Add(std::vector<TPdChoice> Answer) { FAnswers.push_back(std::move(Answer)); }
  std::vector<TPdChoice> Choose(TPdChoiceKind Kind, const AnsiString& SearchText) override {
    Asked.push_back({Kind, SearchText});
    if (FAnswers.empty()) return {};
    std::vector<TPdChoice> answer = std::move(FAnswers.front());
    FAnswers.pop_front();
    return answer;
  }
  std::vector<TAsked> Asked;

 private:
  std::deque<std::vector<TPdChoice>> FAnswers;
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
