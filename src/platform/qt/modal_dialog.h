#pragma once
// Every modal dialog of the program is shown through ExecModal. The window
// layer shows it with the dialog's own event loop; tests install a
// ScriptedModalDialogs, which shows the dialog, lets the test work its
// controls and returns the dialog's result without ever blocking.
#include <functional>

class QDialog;

namespace velk {

using ModalHandler = std::function<int(QDialog&)>;

// Shows `dialog` modally and returns its result (QDialog::Accepted or
// QDialog::Rejected, or what done() was given).
int ExecModal(QDialog& dialog);
// Installs the handler and returns the previous one; an empty handler
// restores QDialog::exec.
ModalHandler SetModalHandler(ModalHandler handler);

// Test seam: each dialog is shown (not modal), handed to `drive`, which
// clicks and types as a user would, and then hidden; the dialog's result
// is returned. A dialog still open after `drive` counts as rejected.
class ScriptedModalDialogs {
 public:
  explicit ScriptedModalDialogs(std::function<void(QDialog&)> drive);
  ~ScriptedModalDialogs();
  ScriptedModalDialogs(const ScriptedModalDialogs&) = delete;
  ScriptedModalDialogs& operator=(const ScriptedModalDialogs&) = delete;

  int Shown() const { return shown_; }

 private:
  std::function<void(QDialog&)> drive_;
  int shown_ = 0;
  ModalHandler previous_;
};

}  // namespace velk
