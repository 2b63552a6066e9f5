#pragma once
// The one way a dialog is shown modally. The window layer runs QDialog::exec;
// tests install ScriptedModalDialogs, which shows the dialog without a nested
// event loop and hands it to a driver that clicks its buttons, so nothing
// ever blocks.
#include <QDialog>
#include <QString>
#include <deque>
#include <functional>
#include <vector>

namespace velk {

// Shows `dialog` modally and returns its result code (QDialog::Accepted or
// QDialog::Rejected) once it has closed.
int RunModal(QDialog& dialog);

using ModalRunner = std::function<int(QDialog&)>;
// Installs the runner and returns the previous one; an empty runner restores
// QDialog::exec.
ModalRunner SetModalRunner(ModalRunner runner);

// Test seam: each dialog run is shown (not modal) and given to the next
// queued driver; a dialog the driver leaves open is then rejected, as if the
// user had closed it. Without a queued driver the dialog is rejected at once.
// Records the object name of every dialog run. Installs itself while it lives.
class ScriptedModalDialogs {
 public:
  using Driver = std::function<void(QDialog&)>;
  ScriptedModalDialogs();
  ~ScriptedModalDialogs();
  ScriptedModalDialogs(const ScriptedModalDialogs&) = delete;
  ScriptedModalDialogs& operator=(const ScriptedModalDialogs&) = delete;

  void Drive(Driver driver) { drivers_.push_back(std::move(driver)); }
  const std::vector<QString>& Shown() const { return shown_; }
  size_t Pending() const { return drivers_.size(); }

 private:
  std::deque<Driver> drivers_;
  std::vector<QString> shown_;
  ModalRunner previous_;
};

}  // namespace velk
