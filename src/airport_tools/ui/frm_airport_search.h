#pragma once
// The airport search window: finds scenery airports by a piece of their
// ICAO, name or place and opens the information report of one of them. It
// is modeless over the main window.
#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace velk {

class PlanHost;

class frmAirportSearch : public QDialog {
  Q_OBJECT
 public:
  frmAirportSearch(PlanHost& host, QWidget* owner);

  // Loads the scenery airports (when they are not loaded yet); without
  // Airports.txt entries the "only" box is cleared.
  void Load();
  // Lists the scenery airports that contain the search text.
  void Search();
  // Opens the information report of the selected row's airport.
  void OpenSelected();

  QLabel* lblSearch = nullptr;
  QLineEdit* txtSearch = nullptr;
  QCheckBox* ckAPOnly = nullptr;
  QPushButton* cmdSearch = nullptr;
  QPushButton* cmdClose = nullptr;
  QLabel* lblResult = nullptr;
  QTreeWidget* lvSearch = nullptr;

 private:
  PlanHost& host_;
};

}  // namespace velk
