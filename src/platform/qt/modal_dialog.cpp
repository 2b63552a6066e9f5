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

ScriptedModalDialogs::ScriptedModalDialogs(std::function<void(QDialog&)> drive) : drive_(std::move(drive)) {
  previous_ = SetModalHandler([this](QDialog& dialog) {
    ++shown_;
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    dialog.activateWindow();
    if (drive_) drive_(dialog);
    if (dialog.isVisible()) dialog.done(QDialog::Rejected);
    return dialog.result();
  });
}

ScriptedModalDialogs::~ScriptedModalDialogs() { SetModalHandler(std::move(previous_)); }

}  // namespace velk
