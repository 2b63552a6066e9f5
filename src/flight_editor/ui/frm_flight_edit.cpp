#include "flight_editor/ui/frm_flight_edit.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "data/times_zones.h"
#include "flight_editor/flight_printout.h"
#include "gui/plan_host.h"
#include "platform/printer.h"
#include "platform/qt/modal_dialog.h"
#include "platform/qt/qt_text.h"

namespace velk {
namespace {

template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

QLabel* Label(const char* name, const char* caption, QWidget* buddy) {
  auto* label = Named(new QLabel(caption), name);
  label->setBuddy(buddy);
  return label;
}

// Buttons take no focus from a click, so a box keeps its pending text
// until the button's own action checks it (OK, Print, Add, Delete) or drops
// it (Cancel, Undo); Enter presses no button behind the user's back.
QPushButton* Button(const char* name, const char* caption) {
  auto* button = Named(new QPushButton(caption), name);
  button->setAutoDefault(false);
  button->setDefault(false);
  button->setFocusPolicy(Qt::TabFocus);
  return button;
}

// Sets a box's text only when it differs, so a box the user is typing in
// keeps its cursor. The length limit holds for typing only: a longer stored
// text is still shown whole.
void SetBoxText(QLineEdit* box, const std::string& text, int limit = 0) {
  QString q = FromPlanText(text);
  if (box->text() == q) return;
  if (limit > 0) box->setMaxLength(std::max<int>(limit, static_cast<int>(q.size())));
  box->setText(q);
}

void SetItems(QComboBox* box, const std::vector<std::string>& items) {
  bool same = box->count() == static_cast<int>(items.size());
  for (int i = 0; same && i < box->count(); ++i) same = box->itemText(i) == FromPlanText(items[i]);
  if (same) return;
  box->clear();
  for (const std::string& item : items) box->addItem(FromPlanText(item));
}

void Select(QComboBox* box, const std::string& text) {
  box->setCurrentIndex(text.empty() ? -1 : box->findText(FromPlanText(text)));
}

}  // namespace

frmFlightEdit::frmFlightEdit(const PlanState& plan, const Flight& flight, ProgramState& program, int selectLeg,
                             QWidget* owner)
    : QDialog(owner), program_(program), prompter_(this) {
  setObjectName("frmFlightEdit");
  setWindowTitle("Edit Flight");
  BuildControls();
  ckAircraftRange->setChecked(program_.CheckAircraftRange);
  ckFlightLevel->setChecked(program_.CheckFlightLevels);
  ckFlightTimes->setChecked(program_.CheckFlightTimes);
  session_ = std::make_unique<FlightEditSession>(plan, flight, program_.FlightEditZone, selectLeg);
  ShowSession();
  Connect();
  if (lvLegs->currentItem()) lvLegs->scrollToItem(lvLegs->currentItem());
}

frmFlightEdit::~frmFlightEdit() = default;

void frmFlightEdit::BuildControls() {
  auto* layout = new QVBoxLayout(this);

  frFlight = Named(new QGroupBox("Edit &Flight properties"), "frFlight");
  auto* flightGrid = new QGridLayout(frFlight);
  cmAircraft = Named(new QComboBox, "cmAircraft");
  cmAircraft->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  cmAircraft->setMinimumContentsLength(40);
  lblAircraft = Label("lblAircraft", "&Aircraft", cmAircraft);
  txtReg = Named(new QLineEdit, "txtReg");
  lblReg = Label("lblReg", "Re&gistration", txtReg);
  txtPercent = Named(new QLineEdit, "txtPercent");
  txtPercent->setMaxLength(2);
  txtPercent->setMaximumWidth(48);
  lblPercent = Label("lblPercent", "Per&cent", txtPercent);
  cmPeriod = Named(new QComboBox, "cmPeriod");
  for (const FlightPeriod& p : kFlightPeriods) cmPeriod->addItem(p.text, p.hours);
  lblPeriod = Label("lblPeriod", "&Period", cmPeriod);
  cmZone = Named(new QComboBox, "cmZone");
  for (const char* zone : kTimeZoneNames) cmZone->addItem(zone);
  lblZone = Label("lblZone", "Time &Zone", cmZone);
  frFlightType = Named(new QGroupBox("Flight Type"), "frFlightType");
  auto* typeRow = new QHBoxLayout(frFlightType);
  opIFR = Named(new QRadioButton("&IFR"), "opIFR");
  opVFR = Named(new QRadioButton("&VFR"), "opVFR");
  typeRow->addWidget(opIFR);
  typeRow->addWidget(opVFR);
  txtReg->setMaximumWidth(160);
  flightGrid->addWidget(lblAircraft, 0, 0);
  flightGrid->addWidget(cmAircraft, 0, 1, 1, 6);
  flightGrid->addWidget(lblReg, 1, 0);
  flightGrid->addWidget(txtReg, 1, 1);
  flightGrid->addWidget(lblPercent, 1, 2);
  flightGrid->addWidget(txtPercent, 1, 3);
  flightGrid->addWidget(lblPeriod, 1, 4);
  flightGrid->addWidget(cmPeriod, 1, 5);
  flightGrid->addWidget(lblZone, 2, 0);
  flightGrid->addWidget(cmZone, 2, 1);
  flightGrid->addWidget(frFlightType, 2, 2, 1, 4);
  flightGrid->setColumnStretch(6, 1);
  layout->addWidget(frFlight);

  lvLegs = Named(new QTreeWidget, "lvLegs");
  lvLegs->setColumnCount(6);
  lvLegs->setHeaderLabels({"From", "To", "Depart", "Arrive", "Flight Number", "Flight Level"});
  lvLegs->setRootIsDecorated(false);
  lvLegs->setUniformRowHeights(true);
  lvLegs->setAllColumnsShowFocus(true);
  lvLegs->setSelectionMode(QAbstractItemView::SingleSelection);
  lvLegs->setSortingEnabled(false);
  lvLegs->header()->setSectionsClickable(false);
  lvLegs->setMinimumHeight(140);
  lblLegs = Label("lblLegs", "&Legs", lvLegs);
  cmdAdd = Button("cmdAdd", "Add");
  cmdDelete = Button("cmdDelete", "Delete");
  auto* legsRow = new QHBoxLayout;
  legsRow->addWidget(lblLegs);
  legsRow->addStretch(1);
  legsRow->addWidget(cmdAdd);
  legsRow->addWidget(cmdDelete);
  layout->addLayout(legsRow);
  layout->addWidget(lvLegs, 1);

  frLeg = Named(new QGroupBox(kLegFrameCaption), "frLeg");
  auto* legGrid = new QGridLayout(frLeg);
  cmDeparture = Named(new QComboBox, "cmDeparture");
  lblDeparture = Label("lblDeparture", "&From", cmDeparture);
  cmArrival = Named(new QComboBox, "cmArrival");
  lblArrival = Label("lblArrival", "T&o", cmArrival);
  txtTime = Named(new QLineEdit, "txtTime");
  lblTime = Label("lblTime", "&Time", txtTime);
  cmDay = Named(new QComboBox, "cmDay");
  for (int d = 0; d < 7; ++d) cmDay->addItem(kDayNames[d], d);
  lblDay = Label("lblDay", "Da&y", cmDay);
  txtLevel = Named(new QLineEdit, "txtLevel");
  txtLevel->setMaxLength(3);
  lblLevel = Label("lblLevel", "Flig&ht Level", txtLevel);
  txtNumber = Named(new QLineEdit, "txtNumber");
  txtNumber->setMaxLength(4);
  lblNumber = Label("lblNumber", "Flight &Number", txtNumber);
  ckUseNumber = Named(new QCheckBox("Use Flight N&umber"), "ckUseNumber");
  ckFixedETA = Named(new QCheckBox("Fi&xed ETA"), "ckFixedETA");
  txtETA = Named(new QLineEdit, "txtETA");
  lblETA = Label("lblETA", "&ETA", txtETA);
  legGrid->addWidget(lblDeparture, 0, 0);
  legGrid->addWidget(cmDeparture, 0, 1);
  legGrid->addWidget(lblArrival, 0, 2);
  legGrid->addWidget(cmArrival, 0, 3);
  legGrid->addWidget(lblTime, 0, 4);
  legGrid->addWidget(txtTime, 0, 5);
  legGrid->addWidget(lblDay, 0, 6);
  legGrid->addWidget(cmDay, 0, 7);
  legGrid->addWidget(lblLevel, 1, 0);
  legGrid->addWidget(txtLevel, 1, 1);
  legGrid->addWidget(lblNumber, 1, 2);
  legGrid->addWidget(txtNumber, 1, 3);
  legGrid->addWidget(lblETA, 1, 4);
  legGrid->addWidget(txtETA, 1, 5);
  legGrid->addWidget(ckFixedETA, 1, 6, 1, 2);
  legGrid->addWidget(ckUseNumber, 2, 2, 1, 2);
  for (int c : {1, 3, 5, 7}) legGrid->setColumnStretch(c, 1);
  layout->addWidget(frLeg);

  ckAircraftRange = Named(new QCheckBox("check Aircraft range"), "ckAircraftRange");
  ckFlightLevel = Named(new QCheckBox("check Flight Levels"), "ckFlightLevel");
  ckFlightTimes = Named(new QCheckBox("check Flight Times"), "ckFlightTimes");
  auto* checkRow = new QHBoxLayout;
  checkRow->addWidget(ckAircraftRange);
  checkRow->addWidget(ckFlightLevel);
  checkRow->addWidget(ckFlightTimes);
  checkRow->addStretch(1);
  layout->addLayout(checkRow);

  cmdUndo = Button("cmdUndo", "Undo");
  cmdPrint = Button("cmdPrint", "Print");
  cmdOK = Button("cmdOK", "OK");
  cmdCancel = Button("cmdCancel", "Cancel");
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addWidget(cmdUndo);
  buttonRow->addWidget(cmdPrint);
  buttonRow->addStretch(1);
  buttonRow->addWidget(cmdOK);
  buttonRow->addWidget(cmdCancel);
  layout->addLayout(buttonRow);

  for (QLineEdit* box : {txtReg, txtPercent, txtTime, txtLevel, txtNumber, txtETA}) box->installEventFilter(this);
  lvLegs->installEventFilter(this);
  setTabOrder(cmAircraft, txtReg);
}

void frmFlightEdit::Connect() {
  connect(cmdOK, &QPushButton::clicked, this, &frmFlightEdit::OnOk);
  connect(cmdCancel, &QPushButton::clicked, this, &frmFlightEdit::reject);
  connect(cmdUndo, &QPushButton::clicked, this, &frmFlightEdit::OnUndo);
  connect(lvLegs, &QTreeWidget::currentItemChanged, this, &frmFlightEdit::OnLegChosen);
  connect(cmZone, &QComboBox::activated, this, &frmFlightEdit::OnZone);
  connect(txtTime, &QLineEdit::textEdited, this, [this](const QString& text) {
    session_->EditTime(ToPlanText(text));
    ShowSession();
  });
  connect(txtETA, &QLineEdit::textEdited, this, [this](const QString& text) {
    session_->EditEta(ToPlanText(text));
    ShowSession();
  });
  // The session's operations that need nothing from the controls but
  // what the signal brings.
  auto act = [this](auto operation) {
    return [this, operation](auto... args) {
      operation(*session_, args...);
      ShowSession();
    };
  };
  connect(cmdAdd, &QPushButton::clicked, this, [this] {
    if (!CommitFocusedBox()) return;
    session_->AddLeg();
    ShowSession();
  });
  connect(cmdDelete, &QPushButton::clicked, this, [this] {
    if (!CommitFocusedBox()) return;
    session_->DeleteLeg(prompter_);
    ShowSession();
  });
  connect(cmdPrint, &QPushButton::clicked, this, &frmFlightEdit::OnPrint);
  connect(cmDeparture, &QComboBox::activated, this, act([this](FlightEditSession& s, int) {
            s.SetDepartureAirport(ToPlanText(cmDeparture->currentText()));
          }));
  connect(cmArrival, &QComboBox::activated, this, act([this](FlightEditSession& s, int) {
            s.SetDestinationAirport(ToPlanText(cmArrival->currentText()));
          }));
  connect(cmDay, &QComboBox::activated, this, act([](FlightEditSession& s, int day) { s.SetDay(day); }));
  connect(cmAircraft, &QComboBox::activated, this,
          act([](FlightEditSession& s, int item) { s.SelectAircraft(item); }));
  connect(cmPeriod, &QComboBox::activated, this,
          act([this](FlightEditSession& s, int item) { s.SelectPeriod(item, prompter_); }));
  connect(ckFixedETA, &QCheckBox::clicked, this, act([](FlightEditSession& s, bool on) { s.SetFixedEta(on); }));
  connect(ckUseNumber, &QCheckBox::clicked, this, act([](FlightEditSession& s, bool on) { s.SetUseNumber(on); }));
  connect(opIFR, &QRadioButton::clicked, this, [this] {
    session_->SetIfr(true);
    ShowSession();
  });
  connect(opVFR, &QRadioButton::clicked, this, [this] {
    session_->SetIfr(false);
    ShowSession();
  });
}

void frmFlightEdit::ShowSession() {
  const FlightEditSession& s = *session_;
  const QSignalBlocker blockList(lvLegs);

  std::vector<std::string> aircraft;
  for (const AircraftItem& item : s.AircraftItems()) aircraft.push_back(item.text);
  SetItems(cmAircraft, aircraft);
  cmAircraft->setCurrentIndex(s.SelectedAircraftItem());
  SetItems(cmDeparture, s.AirportItems());
  SetItems(cmArrival, s.AirportItems());
  SetBoxText(txtReg, s.RegistrationText());
  SetBoxText(txtPercent, s.PercentText(), 2);
  cmPeriod->setCurrentIndex(s.PeriodItem());
  Select(cmZone, s.Zone());
  opIFR->setChecked(s.IsIfr());
  opVFR->setChecked(!s.IsIfr());

  std::vector<LegRow> rows = s.Rows();
  if (lvLegs->topLevelItemCount() != static_cast<int>(rows.size())) {
    lvLegs->clear();
    for (size_t i = 0; i < rows.size(); ++i) {
      auto* item = new QTreeWidgetItem(lvLegs);
      item->setData(0, Qt::UserRole, QString("#%1").arg(i));
    }
  }
  for (size_t i = 0; i < rows.size(); ++i) {
    QTreeWidgetItem* item = lvLegs->topLevelItem(static_cast<int>(i));
    const LegRow& r = rows[i];
    const std::string* cells[] = {&r.From, &r.To, &r.Depart, &r.Arrive, &r.FlightNumber, &r.FlightLevel};
    for (int c = 0; c < 6; ++c) {
      QString text = FromPlanText(*cells[c]);
      if (item->text(c) != text) item->setText(c, text);
    }
  }
  QTreeWidgetItem* current = s.SelectedLeg() >= 0 ? lvLegs->topLevelItem(s.SelectedLeg()) : nullptr;
  if (lvLegs->currentItem() != current || (current && !current->isSelected())) {
    lvLegs->setCurrentItem(current);
    if (current) lvLegs->scrollToItem(current);
  }
  if (!current) lvLegs->clearSelection();

  const LegFrame& f = s.Frame();
  frLeg->setTitle(FromPlanText(f.caption));
  frLeg->setEnabled(f.enabled);
  for (QWidget* w : std::initializer_list<QWidget*>{lblDeparture, cmDeparture, lblArrival, cmArrival, lblTime,
                                                    txtTime, lblLevel, txtLevel, lblNumber, txtNumber, ckUseNumber,
                                                    ckFixedETA})
    w->setEnabled(f.enabled);
  Select(cmDeparture, f.departure);
  Select(cmArrival, f.arrival);
  SetBoxText(txtTime, f.time);
  cmDay->setCurrentIndex(f.day);
  lblDay->setEnabled(f.dayEnabled);
  cmDay->setEnabled(f.dayEnabled);
  SetBoxText(txtLevel, f.level, 3);
  SetBoxText(txtNumber, f.number, 4);
  ckUseNumber->setChecked(f.useNumber);
  ckFixedETA->setChecked(f.fixedEta);
  lblETA->setEnabled(f.etaEnabled);
  txtETA->setEnabled(f.etaEnabled);
  SetBoxText(txtETA, f.eta);
  cmdAdd->setEnabled(f.addEnabled);
  cmdDelete->setEnabled(f.deleteEnabled);
}

bool frmFlightEdit::CommitBox(QLineEdit* box) {
  if (!box->isModified()) return true;
  std::string text = ToPlanText(box->text());
  std::optional<std::string> refused;
  if (box == txtTime || box == txtETA) refused = FlightEditSession::CheckTime(text);
  if (box == txtLevel) refused = FlightEditSession::CheckLevel(text);
  if (box == txtPercent) refused = FlightEditSession::CheckPercent(text);
  if (box == txtReg) refused = FlightEditSession::CheckRegistration(text);
  if (box == txtNumber) refused = FlightEditSession::CheckFlightNumber(text);
  if (refused) {
    refusing_ = true;
    prompter_.Ask(*refused, kMbOk | kMbIconExclamation);
    refusing_ = false;
    box->setFocus(Qt::OtherFocusReason);
    box->selectAll();
    // The message box may hand the focus back to where the click went once
    // it is gone; the box takes it again after that.
    QTimer::singleShot(0, box, [box] { box->setFocus(Qt::OtherFocusReason); });
    return false;
  }
  if (box == txtTime) session_->CommitDeparture();
  if (box == txtLevel) session_->CommitLevel(text);
  if (box == txtNumber) session_->CommitNumber(text);
  if (box == txtPercent) session_->CommitPercent(text);
  if (box == txtReg) session_->CommitRegistration(text);
  box->setModified(false);
  ShowSession();
  return true;
}

bool frmFlightEdit::CommitFocusedBox() {
  auto* box = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  if (!box || box->window() != this) return true;
  return CommitBox(box);
}

bool frmFlightEdit::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut && !refusing_) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    auto reason = static_cast<QFocusEvent*>(event)->reason();
    // Switching windows or opening a menu is no leaving of the box, and the
    // focus going to Cancel drops the text anyway.
    if (box && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
        QApplication::focusWidget() != cmdCancel)
      CommitBox(box);
  }
  if (watched == lvLegs && event->type() == QEvent::KeyRelease) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (!key->isAutoRepeat() && key->key() == Qt::Key_Delete && cmdDelete->isEnabled()) cmdDelete->click();
    if (!key->isAutoRepeat() && key->key() == Qt::Key_Insert && cmdAdd->isEnabled()) cmdAdd->click();
  }
  return QDialog::eventFilter(watched, event);
}

void frmFlightEdit::StoreSwitches() {
  program_.CheckAircraftRange = ckAircraftRange->isChecked();
  program_.CheckFlightLevels = ckFlightLevel->isChecked();
  program_.CheckFlightTimes = ckFlightTimes->isChecked();
}

void frmFlightEdit::reject() {
  outcome_ = {};
  StoreSwitches();
  QDialog::reject();
}

void frmFlightEdit::OnOk() {
  if (!CommitFocusedBox()) return;
  session_->checks = {ckAircraftRange->isChecked(), ckFlightLevel->isChecked(), ckFlightTimes->isChecked()};
  OkOutcome outcome = session_->RunOkChecks(prompter_, {program_.MinTurnAround, program_.MaxTurnAround});
  ShowSession();
  if (!outcome.accepted) return;
  outcome_ = outcome;
  StoreSwitches();
  accept();
}

void frmFlightEdit::OnPrint() {
  if (!CommitFocusedBox()) return;
  const FlightEditSession& s = *session_;
  std::string aircraft;
  if (s.SelectedAircraftItem() >= 0) aircraft = s.AircraftItems()[s.SelectedAircraftItem()].text;
  PrintRequest request;
  request.dialogTitle = kFlightPrintDialogTitle;
  request.text = FlightPrintout(s.Work(), aircraft);
  request.owner = this;
  if (PrintText(request) == PrintResult::Failed)
    prompter_.Ask(kFlightPrintFailedMessage, kMbOk | kMbIconCritical);
}

void frmFlightEdit::OnUndo() {
  session_->Undo();
  ShowSession();
}

void frmFlightEdit::OnLegChosen() {
  QTreeWidgetItem* item = lvLegs->currentItem();
  session_->SelectLeg(item ? lvLegs->indexOfTopLevelItem(item) : -1);
  ShowSession();
}

void frmFlightEdit::OnZone(int index) {
  session_->SelectZone(ToPlanText(cmZone->itemText(index)));
  program_.FlightEditZone = session_->Zone();
  ShowSession();
}

std::string EditFlight(PlanHost& host, ProgramState& program, int flightIndex, bool& fromWorkList, int selectLeg) {
  PlanState& plan = host.Plan();
  const std::vector<Flight>& source = fromWorkList ? plan.WorkList : plan.Flights;
  if (flightIndex < 0 || flightIndex >= static_cast<int>(source.size())) return {};
  std::unique_ptr<frmFlightEdit> dialog;
  {
    BusyFrame busy(host);
    dialog = std::make_unique<frmFlightEdit>(plan, source[static_cast<size_t>(flightIndex)], program, selectLeg,
                                             host.Window());
  }
  // A caller's busy frame shows the hourglass; the user works in the dialog.
  bool busy = host.IsBusy();
  if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
  ExecModal(*dialog);
  if (busy) QApplication::restoreOverrideCursor();
  if (!dialog->Outcome().accepted) return {};
  std::vector<Flight>& target = fromWorkList ? plan.WorkList : plan.Flights;
  if (flightIndex >= static_cast<int>(target.size())) return {};
  target[static_cast<size_t>(flightIndex)] = dialog->Session().Work();
  return dialog->Outcome().result;
}

}  // namespace velk
