// Test double for Messages: records every box and answers questions from a script.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "image/Messages.h"

class RecordingMessages : public Messages {
 public:
  explicit RecordingMessages(char separator = '.') : separator(separator) {}

  struct Shown {
    std::string text;
    TMsgDlgType kind;
    std::string title;
    bool atDialogPosition = false;  // shown beside the main window
  };
  std::vector<Shown> shown;
  std::vector<std::string> asked;
  std::deque<TModalResult> answers;  // popped front; mrYes when empty
  int beeps = 0;
  char separator;

  void ShowMessage(const std::string& text, TMsgDlgType kind, const std::string& title) override {
    shown.push_back({text, kind, title});
  }
  void ShowMessageAt(const std::string& text, TMsgDlgType kind) override {
    shown.push_back({text, kind, {}, true});
  }
  TModalResult Ask(const std::string& text, TMsgDlgType, unsigned, bool) override {
    asked.push_back(text);
    if (answers.empty()) return TModalResult::mrYes;
    TModalResult r = answers.front();
    answers.pop_front();
    return r;
  }
  void Beep() override { ++beeps; }
  char DecimalSeparator() const override { return separator; }

  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const auto& s : shown) t.push_back(s.text);
    return t;
  }
};
