#pragma once
// The Edit Flight dialog: one flight of the plan, its aircraft, period,
// display zone, rules and the ring of its legs. The dialog holds no flight
// data of its own: everything it shows comes from a FlightEditSession, and
// every user action goes into the session, after which the controls are
// set again from it. A fresh dialog is made for every call of EditFlight.
//
// Boxes check and store their text when the focus leaves them (and before
// OK, Print, Add and Delete act), but only when the user changed the text:
// a box refused shows its message and keeps the focus. Cancel, Esc and the
// window's close button drop the working copy without checking anything.
#include <QDialog>
#include <memory>
#include <string>

#include "data/plan_records.h"
#include "data/program_state.h"
#include "flight_editor/flight_edit_session.h"
#include "flight_editor/prompter.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace velk {

class PlanHost;

// Opens the Edit Flight dialog over entry `flightIndex` of the plan's work
// list (`fromWorkList` set; the flag is only read) or of its flights, with
// the row of leg `selectLeg` selected (-1: the first row). Returns the text
// the caller shows for the aircraft when the user accepted with OK (never
// empty then) and the edited flight already stands in that entry; returns ""
// and leaves both lists as they were when the user cancelled or the index
// names no flight. The check switches and the display zone go back into
// `program` however the dialog is left.
std::string EditFlight(PlanHost& host, ProgramState& program, int flightIndex, bool& fromWorkList, int selectLeg);

class frmFlightEdit : public QDialog {
  Q_OBJECT
 public:
  frmFlightEdit(const PlanState& plan, const Flight& flight, ProgramState& program, int selectLeg,
                QWidget* owner = nullptr);
  ~frmFlightEdit() override;

  FlightEditSession& Session() { return *session_; }
  // Set by an accepted OK; not accepted until then and after Cancel.
  const OkOutcome& Outcome() const { return outcome_; }

  // Cancel, Esc and the close button.
  void reject() override;

  QGroupBox* frFlight = nullptr;
  QLabel* lblAircraft = nullptr;
  QComboBox* cmAircraft = nullptr;
  QLabel* lblReg = nullptr;
  QLineEdit* txtReg = nullptr;
  QLabel* lblPercent = nullptr;
  QLineEdit* txtPercent = nullptr;
  QLabel* lblPeriod = nullptr;
  QComboBox* cmPeriod = nullptr;
  QLabel* lblZone = nullptr;
  QComboBox* cmZone = nullptr;
  QGroupBox* frFlightType = nullptr;
  QRadioButton* opIFR = nullptr;
  QRadioButton* opVFR = nullptr;
  QLabel* lblLegs = nullptr;
  QTreeWidget* lvLegs = nullptr;
  QGroupBox* frLeg = nullptr;
  QLabel* lblDeparture = nullptr;
  QComboBox* cmDeparture = nullptr;
  QLabel* lblArrival = nullptr;
  QComboBox* cmArrival = nullptr;
  QLabel* lblTime = nullptr;
  QLineEdit* txtTime = nullptr;
  QLabel* lblDay = nullptr;
  QComboBox* cmDay = nullptr;
  QLabel* lblLevel = nullptr;
  QLineEdit* txtLevel = nullptr;
  QLabel* lblNumber = nullptr;
  QLineEdit* txtNumber = nullptr;
  QCheckBox* ckUseNumber = nullptr;
  QCheckBox* ckFixedETA = nullptr;
  QLabel* lblETA = nullptr;
  QLineEdit* txtETA = nullptr;
  QPushButton* cmdAdd = nullptr;
  QPushButton* cmdDelete = nullptr;
  QPushButton* cmdUndo = nullptr;
  QPushButton* cmdPrint = nullptr;
  QPushButton* cmdOK = nullptr;
  QPushButton* cmdCancel = nullptr;
  QCheckBox* ckAircraftRange = nullptr;
  QCheckBox* ckFlightLevel = nullptr;
  QCheckBox* ckFlightTimes = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void Connect();
  // Sets every control from the session.
  void ShowSession();
  // Checks and stores `box` when the user changed it; false (after the
  // message, with the focus back in the box) when its text is refused.
  bool CommitBox(QLineEdit* box);
  bool CommitFocusedBox();
  void StoreSwitches();

  void OnOk();
  void OnUndo();
  void OnPrint();
  void OnLegChosen();
  void OnZone(int index);

  ProgramState& program_;
  std::unique_ptr<FlightEditSession> session_;
  MessageBoxPrompter prompter_;
  OkOutcome outcome_;
  bool refusing_ = false;  // a refused box's message is up
};

}  // namespace velk
