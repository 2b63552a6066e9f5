#pragma once
// The gate resize window: gives every parking spot of one type, at every
// airport or at the matching ones, a new radius in the simulator's airport
// facility files, after a confirmation and (by choice) a one-time backup of
// each file. It is modal over the main window and stays open after a
// resize, so several types can be resized in a row.
#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace velk {

class PlanHost;

class frmResizeGates : public QDialog {
  Q_OBJECT
 public:
  // `discard` forgets the scenery airports and closes the windows that
  // show them; every resize ends with it.
  frmResizeGates(PlanHost& host, QWidget* owner, std::function<void()> discard);

  // The Resize command.
  void Resize();
  // The size box's check; false after telling the user.
  bool CheckSize();

  QLabel* lblType = nullptr;
  QComboBox* cmType = nullptr;
  QLabel* lblSize = nullptr;
  QLineEdit* txtSize = nullptr;
  QLabel* lblSearch = nullptr;
  QLineEdit* txtSearch = nullptr;
  QLabel* lblICAO = nullptr;
  QLineEdit* txtICAO = nullptr;
  QCheckBox* ckBackup = nullptr;
  QPushButton* cmdOK = nullptr;
  QPushButton* cmdCancel = nullptr;

 private:
  PlanHost& host_;
  std::function<void()> discard_;
};

}  // namespace velk
