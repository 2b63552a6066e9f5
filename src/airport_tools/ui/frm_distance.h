#pragma once
// The airport distance window: two lists of scenery airports and a running
// log of the great-circle distances measured between them. It is modeless
// over the main window.
#include <QDialog>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace velk {

class PlanHost;

class frmDistance : public QDialog {
  Q_OBJECT
 public:
  frmDistance(PlanHost& host, QWidget* owner);

  // Loads the scenery airports (when they are not loaded yet) and fills
  // both lists; the first airport is chosen in each.
  void Load();
  // Appends the distance between the two chosen airports to the log.
  void Measure();

  QLabel* lblSource = nullptr;
  QComboBox* cmSource = nullptr;
  QLabel* lblDest = nullptr;
  QComboBox* cmDest = nullptr;
  QLabel* lblResult = nullptr;
  QPlainTextEdit* txtResult = nullptr;
  QPushButton* cmdDistance = nullptr;
  QPushButton* cmdClose = nullptr;

 private:
  PlanHost& host_;
  std::string log_;
};

}  // namespace velk
