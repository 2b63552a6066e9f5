#pragma once
// Every modal dialog of the program is shown through ExecModal. The window
// layer shows it with the dialog's own event loop; tests install a
// ScriptedModalDialogs, which shows the dialog, lets the test work its
// controls and returns the dialog's result without ever blocking.
#include <QString>
#include <deque>
#include <functional>
#include <vector>

class QDialog;

namespace velk {

using ModalHandler = std::function<int(QDialog&)>;

// Shows `dialog` modally and returns its result (QDialog::Accepted or
// QDialog::Rejected, or what done() was given).
int ExecModal(QDialog& dialog);
// Installs the handler and returns the previous one; an empty handler
// restores QDialog::exec.
ModalHandler SetModalHandler(ModalHandler handler);

// Test seam: each dialog is shown (not modal), handed to a driver, which
// clicks and types as a user would, and then hidden; the dialog's result
// is returned. A dialog still open after its driver counts as rejected.
// The driver is the next one queued with Drive (dialogs opened from inside
// a dialog take the next ones in turn), else the one given at construction;
// without either the dialog is rejected at once.
class ScriptedModalDialogs {
 public:
  using Driver = std::function<void(QDialog&)>;
  explicit ScriptedModalDialogs(Driver drive = nullptr);
  ~ScriptedModalDialogs();
  ScriptedModalDialogs(const ScriptedModalDialogs&) = delete;
  ScriptedModalDialogs& operator=(const ScriptedModalDialogs&) = delete;

  void Drive(Driver driver) { queued_.push_back(std::move(driver)); }
  int Shown() const { return shown_; }
  // The object names of the dialogs shown, in order.
  const std::vector<QString>& ShownNames() const { return names_; }

 private:
  Driver drive_;
  std::deque<Driver> queued_;
  int shown_ = 0;
  std::vector<QString> names_;
  ModalHandler previous_;
};

}  // namespace velk
