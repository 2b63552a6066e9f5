#include "platform/qt/modal_dialog.h"

#include <QDialog>

namespace velk {
namespace {

ModalHandler& Handler() {
  static ModalHandler handler;
  return handler;
}

}  // namespace

int ExecModal(QDialog& dialog) {
  if (Handler()) return Handler()(dialog);
  return dialog.exec();
}

ModalHandler SetModalHandler(ModalHandler handler) {
  ModalHandler previous = std::move(Handler());
  Handler() = std::move(handler);
  return previous;
}

ScriptedModalDialogs::ScriptedModalDialogs(Driver drive) : drive_(std::move(drive)) {
  previous_ = SetModalHandler([this](QDialog& dialog) {
    ++shown_;
    names_.push_back(dialog.objectName());
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    dialog.activateWindow();
    Driver driver = drive_;
    if (!queued_.empty()) {
      driver = std::move(queued_.front());
      queued_.pop_front();
    }
    if (driver) driver(dialog);
    if (dialog.isVisible()) dialog.done(QDialog::Rejected);
    return dialog.result();
  });
}

ScriptedModalDialogs::~ScriptedModalDialogs() { SetModalHandler(std::move(previous_)); }

}  // namespace velk
