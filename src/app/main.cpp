#include <QApplication>

#include "app/frm_main.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  velk::frmMain window;
  window.show();
  return app.exec();
}
