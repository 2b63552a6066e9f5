#include <QApplication>

#include "app/frm_main.h"
#include "platform/qt/qt_message_box.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  velk::InstallQtMessageBoxHandler();
  velk::frmMain window;
  window.show();
  return app.exec();
}
