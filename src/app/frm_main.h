#pragma once
#include <QMainWindow>

namespace velk {

// The main window.
class frmMain : public QMainWindow {
  Q_OBJECT
 public:
  explicit frmMain(QWidget* parent = nullptr);
};

}  // namespace velk
