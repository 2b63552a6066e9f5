#pragma once
// The window layer's message box: a QMessageBox built from the style bits of
// a request, centred on its owner window (or the screen, or the requested
// point) when it is first shown.
#include <QMessageBox>
#include <memory>

#include "platform/message_box.h"

namespace velk {

// A QMessageBox that moves itself to the centre of its reference once, when
// it is first shown; later showings leave it where the user put it. A box
// with several buttons and no Cancel (Yes/No, Abort/Retry/Ignore) must be
// answered with a button: Esc and the window's close button do nothing.
// A long run without a space (a long file name) may break anywhere, so that
// the box stays narrower than the screen.
class CentredMessageBox : public QMessageBox {
 public:
  explicit CentredMessageBox(const MessageBoxRequest& request);
  // The code of the button the user chose (kIdOk, kIdYes, ...), 0 when none.
  int ResultCode() const;
  // True when only a button answers the box.
  bool MustChoose() const { return mustChoose_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* owner_;
  int x_;
  int y_;
  bool placed_ = false;
  bool mustChoose_ = false;
};

// The code of a standard button (kIdOk for QMessageBox::Ok, ...), 0 for
// any other.
int MessageBoxResultCode(QMessageBox::StandardButton button);

// Shows the request as a modal box and returns the pressed button's code.
int ShowQtMessageBox(const MessageBoxRequest& request);

// Routes every ShowMessageBox of the program to ShowQtMessageBox.
void InstallQtMessageBoxHandler();

}  // namespace velk
