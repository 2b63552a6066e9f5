#pragma once
// How the flight editor asks the user something: a question or a warning
// with the message-box style bits of platform/message_box.h, answered with
// the code of the pressed button. The edit session works through this
// interface alone, so its checks run in tests without a window.
#include <string>

#include "platform/message_box.h"

class QWidget;

namespace velk {

class Prompter {
 public:
  virtual ~Prompter() = default;
  // Shows `prompt` (Windows-1252) with `style`; returns kIdYes, kIdNo, kIdOk...
  virtual int Ask(const std::string& prompt, int style) = 0;
};

// Asks through the program's message box, titled with the program's title
// and centred on `owner`.
class MessageBoxPrompter : public Prompter {
 public:
  explicit MessageBoxPrompter(QWidget* owner) : owner_(owner) {}
  int Ask(const std::string& prompt, int style) override {
    return ShowMessageBox(prompt, style, kProgramTitle, owner_);
  }

 private:
  QWidget* owner_;
};

}  // namespace velk
