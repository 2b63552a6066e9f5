#include "app/frm_main.h"

namespace velk {

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
  setObjectName("frmMain");
  setWindowTitle("VELK");
  resize(800, 600);
}

}  // namespace velk
