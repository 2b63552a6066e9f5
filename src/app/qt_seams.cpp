#include "app/qt_seams.h"

#include "platform/qt/console_window.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_file_dialog.h"
#include "platform/qt/qt_lock_wait.h"
#include "platform/qt/qt_message_box.h"

namespace velk {

void InstallQtSeams() {
  InstallQtMessageBoxHandler();
  InstallQtFileDialogHandler();
  InstallQtInputBoxHandler();
  InstallQtPrintHandler();
  InstallQtProcessSupport();
  InstallQtLockWaitHook();
}

}  // namespace velk
