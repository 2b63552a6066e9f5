#include "platform/qt/modal_dialog.h"

#include <QCoreApplication>

namespace velk {
namespace {

ModalRunner& Runner() {
  static ModalRunner runner;
  return runner;
}

}  // namespace

int RunModal(QDialog& dialog) {
  if (Runner()) return Runner()(dialog);
  return dialog.exec();
}

ModalRunner SetModalRunner(ModalRunner runner) {
  ModalRunner previous = std::move(Runner());
  Runner() = std::move(runner);
  return previous;
}

ScriptedModalDialogs::ScriptedModalDialogs() {
  previous_ = SetModalRunner([this](QDialog& dialog) {
    shown_.push_back(dialog.objectName());
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    QCoreApplication::processEvents();
    if (!drivers_.empty()) {
      Driver driver = std::move(drivers_.front());
      drivers_.pop_front();
      driver(dialog);
    }
    // A dialog the driver left open is closed the way the user's close box
    // would; one that refuses even that is hidden so the test goes on.
    if (dialog.isVisible()) dialog.reject();
    if (dialog.isVisible()) dialog.QDialog::done(QDialog::Rejected);
    return dialog.result();
  });
}

ScriptedModalDialogs::~ScriptedModalDialogs() { SetModalRunner(std::move(previous_)); }

}  // namespace velk
