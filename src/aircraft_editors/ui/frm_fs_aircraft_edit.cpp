#include "aircraft_editors/ui/frm_fs_aircraft_edit.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "aircraft_editors/aircraft_fields.h"
#include "aircraft_editors/class_assignment.h"
#include "aircraft_editors/ui/frm_text_edit.h"
#include "data/aircraft_types_file.h"
#include "data/class_config.h"
#include "data/installed_aircraft.h"
#include "data/name_lists.h"
#include "data/program_state.h"
#include "gui/frm_progress.h"
#include "gui/list_row.h"
#include "gui/plan_host.h"
#include "gui/window_wait.h"
#include "platform/file_dialog.h"
#include "platform/folder_list.h"
#include "platform/input_box.h"
#include "platform/message_box.h"
#include "platform/qt/modal_dialog.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_text.h"
#include "platform/set_messages.h"
#include "platform/text_codec.h"
#include "platform/text_file.h"

namespace velk {
namespace {

enum Column { kColTitle = 0, kColType = 1, kColModel = 2, kColAirline = 3, kColClass = 4, kColErrors = 5 };
constexpr int kIndexRole = Qt::UserRole;
constexpr int kTagRole = Qt::UserRole + 1;
constexpr int kErrorsWidth = 3500 / 15;

void SetCell(QTreeWidgetItem* row, int column, const std::string& text, bool red) {
  row->setText(column, FromPlanText(text));
  if (red)
    row->setForeground(column, QBrush(QColor(255, 0, 0)));
  else
    row->setData(column, Qt::ForegroundRole, QVariant());
}

bool Unknown(const std::string& lookup, const std::string& value) {
  return !value.empty() && !NameIsKnown(lookup, value);
}

// Blanks around a typed name are dropped, as the user cannot see them.
std::string TrimmedText(const QLineEdit* box) {
  std::string text = ToPlanText(box->text());
  size_t b = text.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  return text.substr(b, text.find_last_not_of(' ') - b + 1);
}

struct Identity {
  std::string cfg, section, title;
  bool operator==(const Identity&) const = default;
};

std::vector<Identity> Identities(const std::vector<FSAircraft>& list) {
  std::vector<Identity> ids;
  ids.reserve(list.size());
  for (const FSAircraft& a : list) ids.push_back({a.CfgFile, a.Section, a.Title});
  return ids;
}

}  // namespace

frmFSAircraftEdit::frmFSAircraftEdit(PlanHost& host, QWidget* owner)
    : QDialog(owner ? owner : host.Window()),
      host_(host),
      editor_(host.Plan().FSAircraftList, ClassAircraftConfig(), ClassDefaults()) {
  setObjectName("frmFSAircraftEdit");
  setWindowTitle(kCaption);
  BuildControls();
}

frmFSAircraftEdit::~frmFSAircraftEdit() = default;

void frmFSAircraftEdit::BuildControls() {
  auto label = [this](const char* name, const char* caption, bool red = false) {
    auto* l = new QLabel(caption, this);
    l->setObjectName(name);
    // These values go to every variation of the aircraft.cfg.
    if (red) l->setStyleSheet("color: rgb(255, 0, 0);");
    return l;
  };
  auto line = [this](const char* name) {
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    e->installEventFilter(this);
    fields_.push_back(e);
    return e;
  };
  auto combo = [this](const char* name, bool editable) {
    auto* c = new QComboBox(this);
    c->setObjectName(name);
    c->setEditable(editable);
    if (editable) c->setInsertPolicy(QComboBox::NoInsert);
    c->installEventFilter(this);
    fields_.push_back(c);
    return c;
  };

  lblProject = label("lblProject", "Available &Aircraft");
  lvAircrafts = new QTreeWidget(this);
  lvAircrafts->setObjectName("lvAircrafts");
  lvAircrafts->setRootIsDecorated(false);
  lvAircrafts->setUniformRowHeights(true);
  lvAircrafts->setAllColumnsShowFocus(true);
  lvAircrafts->setSelectionMode(QAbstractItemView::SingleSelection);
  lvAircrafts->setHeaderLabels({"Title", "ATC Type", "ATC Model", "Airline", "Class"});
  lvAircrafts->header()->setSectionsClickable(true);
  lvAircrafts->header()->setSortIndicatorShown(true);
  lvAircrafts->header()->setSortIndicator(0, Qt::AscendingOrder);
  lblProject->setBuddy(lvAircrafts);

  frAircraft = new QGroupBox("Edit Aircraft (red colored captions mean that their values are used for all variations)", this);
  frAircraft->setObjectName("frAircraft");

  lblTitle = label("lblTitle", "&Title");
  txtTitle = line("txtTitle");
  lblATCType = label("lblATCType", "ATC T&ype", true);
  cmATCType = combo("cmATCType", true);
  lblATCModel = label("lblATCModel", "ATC &Model", true);
  cmATCModel = combo("cmATCModel", true);
  lblAirline = label("lblAirline", "Air&line");
  cmAirline = combo("cmAirline", true);
  lblClass = label("lblClass", "Aircraft &Class");
  cmClass = combo("cmClass", false);
  cmClass->addItem("Unknown", 0);
  for (int c = kClassNotUsed; c <= kClassHugeJet; ++c) cmClass->addItem(FromPlanText(ClassDisplayName(c)), c);
  lblATCID = label("lblATCID", "ATC &ID");
  txtATCID = line("txtATCID");
  lblFlightNumber = label("lblFlightNumber", "ATC Flight &Number");
  txtFlightNumber = line("txtFlightNumber");
  lblManufacturer = label("lblManufacturer", "&UI Manufacturer");
  txtManufacturer = line("txtManufacturer");
  lblType = label("lblType", "UI Typ&e");
  txtType = line("txtType");
  lblVariation = label("lblVariation", "UI &Variation");
  txtVariation = line("txtVariation");
  lblSpeed = label("lblSpeed", "Cruise &Speed", true);
  txtSpeed = line("txtSpeed");
  lblRadius = label("lblRadius", "&Radius (m)");
  txtRadius = line("txtRadius");
  lblModelFile = label("lblModelFile", "M&odel");
  txtModelFile = line("txtModelFile");
  lblSim = label("lblSim", "AIR &File");
  txtSim = line("txtSim");
  lblTexture = label("lblTexture", "Te&xture");
  txtTexture = line("txtTexture");
  ckHeavy = new QCheckBox("&Heavy", this);
  ckHeavy->setObjectName("ckHeavy");
  ckVisualDamage = new QCheckBox("Visual Dama&ge", this);
  ckVisualDamage->setObjectName("ckVisualDamage");
  cmdEditDescription = new QPushButton("&Description", this);
  cmdEditDescription->setObjectName("cmdEditDescription");
  cmdEditPerformance = new QPushButton("&Performance", this);
  cmdEditPerformance->setObjectName("cmdEditPerformance");

  const std::pair<QLabel*, QWidget*> pairs[] = {
      {lblTitle, txtTitle},       {lblATCType, cmATCType},          {lblATCModel, cmATCModel},
      {lblAirline, cmAirline},    {lblClass, cmClass},              {lblATCID, txtATCID},
      {lblFlightNumber, txtFlightNumber}, {lblManufacturer, txtManufacturer}, {lblType, txtType},
      {lblVariation, txtVariation}, {lblSpeed, txtSpeed},           {lblRadius, txtRadius},
      {lblModelFile, txtModelFile}, {lblSim, txtSim},               {lblTexture, txtTexture}};
  auto* grid = new QGridLayout(frAircraft);
  // Three columns of label/field pairs; the title takes a whole line.
  grid->addWidget(lblTitle, 0, 0);
  grid->addWidget(txtTitle, 0, 1, 1, 5);
  int at = 0;
  for (const auto& [l, f] : pairs) {
    l->setParent(frAircraft);
    f->setParent(frAircraft);
    l->setBuddy(f);
    if (l == lblTitle) continue;
    int row = 1 + at / 3;
    int col = (at % 3) * 2;
    grid->addWidget(l, row, col);
    grid->addWidget(f, row, col + 1);
    ++at;
  }
  int last = 1 + (at + 2) / 3;
  for (QWidget* w : std::initializer_list<QWidget*>{ckHeavy, ckVisualDamage, cmdEditDescription, cmdEditPerformance})
    w->setParent(frAircraft);
  auto* checks = new QHBoxLayout;
  checks->addWidget(ckHeavy);
  checks->addWidget(ckVisualDamage);
  checks->addStretch();
  checks->addWidget(cmdEditDescription);
  checks->addWidget(cmdEditPerformance);
  grid->addLayout(checks, last, 0, 1, 6);
  for (int c : {1, 3, 5}) grid->setColumnStretch(c, 1);

  cmdACTypeDat = new QPushButton("Create 'AircraftTypes.dat'", this);
  cmdACTypeDat->setObjectName("cmdACTypeDat");
  cmdACTypeDat->setAutoDefault(false);
  cmdSave = new QPushButton("Save", this);
  cmdSave->setObjectName("cmdSave");
  cmdSave->setDefault(true);
  cmdSave->setEnabled(false);
  cmdUndo = new QPushButton("Undo", this);
  cmdUndo->setObjectName("cmdUndo");
  cmdUndo->setAutoDefault(false);
  cmdUndo->setEnabled(false);
  cmdCancel = new QPushButton("Close", this);
  cmdCancel->setObjectName("cmdCancel");
  cmdCancel->setAutoDefault(false);
  for (QPushButton* b : {cmdEditDescription, cmdEditPerformance}) b->setAutoDefault(false);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cmdACTypeDat);
  buttons->addStretch();
  buttons->addWidget(cmdSave);
  buttons->addWidget(cmdUndo);
  buttons->addWidget(cmdCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblProject);
  layout->addWidget(lvAircrafts, 1);
  layout->addWidget(frAircraft);
  layout->addLayout(buttons);
  resize(820, 640);

  connect(lvAircrafts, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current, QTreeWidgetItem* previous) {
            if (updating_) return;
            // The click that took the focus from a refused field does not
            // move to another row: the field keeps the focus and its text.
            if (refused_) {
              updating_ = true;
              lvAircrafts->setCurrentItem(previous);
              updating_ = false;
              return;
            }
            ShowEntry(current);
          });
  connect(lvAircrafts->header(), &QHeaderView::sectionClicked, this, &frmFSAircraftEdit::SortByColumn);
  connect(lvAircrafts, &QTreeWidget::itemDoubleClicked, this, [this] { OpenAircraftCfg(); });
  connect(cmdEditDescription, &QPushButton::clicked, this, &frmFSAircraftEdit::EditDescription);
  connect(cmdEditPerformance, &QPushButton::clicked, this, &frmFSAircraftEdit::EditPerformance);
  connect(cmdSave, &QPushButton::clicked, this, &frmFSAircraftEdit::SaveChanges);
  connect(cmdUndo, &QPushButton::clicked, this, &frmFSAircraftEdit::UndoChanges);
  connect(cmdCancel, &QPushButton::clicked, this, &frmFSAircraftEdit::reject);
  connect(cmdACTypeDat, &QPushButton::clicked, this, &frmFSAircraftEdit::ExportAircraftTypes);
  // activated comes from the user only; code that fills a combo stores nothing.
  connect(cmAirline, &QComboBox::activated, this, &frmFSAircraftEdit::ChooseAirline);
  connect(cmATCType, &QComboBox::activated, this, &frmFSAircraftEdit::ChooseAtcType);
  connect(cmATCModel, &QComboBox::activated, this, &frmFSAircraftEdit::ChooseAtcModel);
  connect(cmClass, &QComboBox::activated, this, &frmFSAircraftEdit::ChooseClass);
  connect(ckHeavy, &QCheckBox::clicked, this, &frmFSAircraftEdit::CheckHeavy);
  connect(ckVisualDamage, &QCheckBox::clicked, this, &frmFSAircraftEdit::CheckVisualDamage);
}

// ---- Opening --------------------------------------------------------------------

bool frmFSAircraftEdit::Load() {
  PlanState& plan = host_.Plan();
  std::vector<Identity> before = Identities(plan.FSAircraftList);
  LongOperation op(host_, "Detecting FS2002 Aircraft...", 3, 1);
  std::filesystem::path unlisted;
  LoadFSAircraft(plan, true, &unlisted);
  // A model or texture folder copy killed part way left its unfinished
  // copy hidden in the aircraft's folder.
  RemoveLeftoverFolderCopies(plan.FSAircraftList);
  // The trees and the shuffle address installed aircraft by their place in
  // the list: a list read differently must make them be built again.
  listChanged_ = Identities(plan.FSAircraftList) != before;
  if (!unlisted.empty())
    ShowMessageBox(ListFailedMessage(unlisted), kMbOk | kMbIconExclamation, kProgramTitle, host_.Window());
  if (plan.FSAircraftList.empty()) return false;
  op.Step("Refreshing...", 2);
  updating_ = true;
  const std::pair<QComboBox*, const std::vector<std::string>*> lists[] = {
      {cmAirline, &AirlineNames()}, {cmATCModel, &ATCModelNames()}, {cmATCType, &ATCTypeNames()}};
  for (const auto& [box, names] : lists) {
    box->clear();
    for (const std::string& name : *names) box->addItem(FromPlanText(name));
  }
  updating_ = false;
  editor_.Open();
  FillAircraftList();
  return true;
}

int frmFSAircraftEdit::ShowDialog() {
  if (Load()) ExecModal(*this);
  return DialogResult();
}

int frmFSAircraftEdit::DialogResult() const { return editor_.ChangesSaved() || listChanged_ ? 1 : 0; }

void frmFSAircraftEdit::Run(PlanHost& host) {
  if (host.IsBusy()) return;
  int result = 0;
  {
    frmFSAircraftEdit editor(host);
    result = editor.ShowDialog();
  }
  // Without a plan the trees and tabs show nothing of the installed
  // aircraft, and the next opening fills them.
  if (result != 1 || !host.Plan().PlanLoaded) return;
  LongOperation op(host, "Refreshing...", 2, 1);
  host.RebuildAircraftTrees();
  host.ResetTimetable();
  host.ResetSearchResults();
  host.FillMoveAirports();
  host.UpdateShuffleTab();
}

// ---- The list -------------------------------------------------------------------

void frmFSAircraftEdit::FillAircraftList() {
  updating_ = true;
  lvAircrafts->clear();
  bool errors = host_.Plan().FSAircraftErrors;
  lvAircrafts->setColumnCount(errors ? 6 : 5);
  if (errors) {
    lvAircrafts->headerItem()->setText(kColErrors, "Errors");
    lvAircrafts->setColumnWidth(kColErrors, kErrorsWidth);
  }
  std::vector<QTreeWidgetItem*> rows;
  for (size_t i = 0; i < editor_.Size(); ++i) {
    if (!editor_.Listed(i)) continue;
    auto* row = new ListRow;
    row->setData(0, kIndexRole, static_cast<qulonglong>(i));
    row->setData(0, kTagRole, FromPath(editor_.Entry(i).CfgFile));
    rows.push_back(row);
  }
  QList<QTreeWidgetItem*> items(rows.begin(), rows.end());
  lvAircrafts->addTopLevelItems(items);
  for (QTreeWidgetItem* row : rows) RefreshRow(row);
  if (sortColumn_ >= lvAircrafts->columnCount()) sortColumn_ = kColTitle;
  lvAircrafts->sortItems(sortColumn_, sortOrder_);
  lvAircrafts->header()->setSortIndicator(sortColumn_, sortOrder_);
  for (int c = kColTitle; c < kColErrors; ++c) lvAircrafts->resizeColumnToContents(c);
  QTreeWidgetItem* first = lvAircrafts->topLevelItem(0);
  if (first) lvAircrafts->setCurrentItem(first);
  updating_ = false;
  ShowEntry(first);
}

void frmFSAircraftEdit::RefreshRow(QTreeWidgetItem* row) {
  const FSAircraft& a = editor_.Entry(IndexOf(row));
  SetCell(row, kColTitle, a.Title, false);
  SetCell(row, kColType, a.ATCType, Unknown(ATCTypeNameLookup(), a.ATCType));
  SetCell(row, kColModel, a.ATCModel, Unknown(ATCModelNameLookup(), a.ATCModel));
  SetCell(row, kColAirline, a.ATCAirline, Unknown(AirlineNameLookup(), a.ATCAirline));
  SetCell(row, kColClass, ClassDisplayName(a.Class), AircraftClassName(a.Class).empty());
  if (lvAircrafts->columnCount() > kColErrors && !a.Errors.empty()) SetCell(row, kColErrors, a.Errors, true);
}

void frmFSAircraftEdit::RefreshRows(const std::vector<size_t>& indexes) {
  for (size_t i : indexes) {
    if (QTreeWidgetItem* row = RowOf(i)) RefreshRow(row);
  }
}

QTreeWidgetItem* frmFSAircraftEdit::RowOf(size_t index) const {
  for (int r = 0; r < lvAircrafts->topLevelItemCount(); ++r) {
    QTreeWidgetItem* row = lvAircrafts->topLevelItem(r);
    if (IndexOf(row) == index) return row;
  }
  return nullptr;
}

size_t frmFSAircraftEdit::IndexOf(const QTreeWidgetItem* row) {
  return static_cast<size_t>(row->data(0, kIndexRole).toULongLong());
}

QTreeWidgetItem* frmFSAircraftEdit::CurrentRow() const {
  if (currentKey_.empty()) return nullptr;
  return RowOf(std::stoul(currentKey_.substr(1)));
}

long frmFSAircraftEdit::CurrentIndex() const {
  QTreeWidgetItem* row = CurrentRow();
  return row ? static_cast<long>(IndexOf(row)) : -1;
}

void frmFSAircraftEdit::SortByColumn(int column) {
  if (column == sortColumn_)
    sortOrder_ = sortOrder_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
  else
    sortColumn_ = column, sortOrder_ = Qt::AscendingOrder;
  lvAircrafts->sortItems(sortColumn_, sortOrder_);
  lvAircrafts->header()->setSortIndicator(sortColumn_, sortOrder_);
  if (QTreeWidgetItem* current = lvAircrafts->currentItem()) lvAircrafts->scrollToItem(current);
}

void frmFSAircraftEdit::OpenAircraftCfg() {
  QString path = lvAircrafts->toolTip();
  if (path.isEmpty()) return;
  OpenDocument(ToPath(path).string(), [editor = QPointer<frmFSAircraftEdit>(this), path](bool opened) {
    if (!opened && editor) editor->Ask(ToPlanText(QString(kOpenFailedMessage).arg(path)), kMbOk | kMbIconExclamation);
  });
}

// ---- Showing an entry --------------------------------------------------------------

void frmFSAircraftEdit::EnableEditArea(bool enabled) {
  frAircraft->setEnabled(enabled);
  for (QObject* child : frAircraft->children()) {
    if (auto* w = qobject_cast<QWidget*>(child)) w->setEnabled(enabled);
  }
}

void frmFSAircraftEdit::ShowRadius(const FSAircraft& entry) {
  bool known = entry.Radius != -1;
  lblRadius->setEnabled(known);
  txtRadius->setEnabled(known);
  txtRadius->setText(known ? QString::number(entry.Radius) : QString());
  txtRadius->setToolTip(known ? FromPlanText(FeetText(entry.Radius)) : QString());
}

void frmFSAircraftEdit::ShowEntry(QTreeWidgetItem* row) {
  updating_ = true;
  if (!row) {
    EnableEditArea(false);
    for (QWidget* f : fields_) {
      if (auto* box = qobject_cast<QLineEdit*>(f)) box->clear();
    }
    for (QComboBox* box : {cmATCType, cmATCModel, cmAirline}) box->setEditText(QString());
    cmClass->setCurrentIndex(0);
    ckHeavy->setChecked(false);
    ckVisualDamage->setChecked(false);
    txtRadius->setToolTip(QString());
    lvAircrafts->setToolTip(QString());
    currentKey_.clear();
    updating_ = false;
    return;
  }
  EnableEditArea(true);
  const FSAircraft& a = editor_.Entry(IndexOf(row));
  txtTitle->setText(row->text(kColTitle));
  cmAirline->setEditText(row->text(kColAirline));
  cmClass->setCurrentIndex(AircraftClassName(a.Class).empty() ? 0 : a.Class);
  cmATCModel->setEditText(FromPlanText(a.ATCModel));
  cmATCType->setEditText(FromPlanText(a.ATCType));
  txtATCID->setText(FromPlanText(a.ATCId));
  txtFlightNumber->setText(FromPlanText(a.ATCFlightNumber));
  txtManufacturer->setText(FromPlanText(a.UIManufacturer));
  txtType->setText(FromPlanText(a.UIType));
  txtVariation->setText(FromPlanText(a.UIVariation));
  txtSpeed->setText(QString::number(a.CfgCruiseSpeed));
  ckVisualDamage->setChecked(a.VisualDamage);
  ckHeavy->setChecked(a.ATCHeavy);
  txtModelFile->setText(FromPlanText(a.Model));
  txtSim->setText(FromPlanText(a.Sim));
  txtTexture->setText(FromPlanText(a.Texture));
  // Typing replaces the whole text of the field with the focus; the others
  // select theirs when tabbed into.
  if (auto* box = qobject_cast<QLineEdit*>(QApplication::focusWidget()); box && box->window() == this)
    box->selectAll();
  ShowRadius(a);
  lvAircrafts->setToolTip(row->data(0, kTagRole).toString());
  currentKey_ = "#" + std::to_string(IndexOf(row));
  updating_ = false;
}

// ---- Committing fields ---------------------------------------------------------------

bool frmFSAircraftEdit::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) {
    auto reason = static_cast<QFocusEvent*>(event)->reason();
    // Another application, or a combo's own drop-down list, taking the
    // focus is not the user leaving the field.
    bool leaving = reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
    auto* field = qobject_cast<QWidget*>(watched);
    auto* box = qobject_cast<QComboBox*>(watched);
    if (leaving && box && box->isEditable() && !committing_ && !updating_ && !closing_ && ShowsStoredValue(box)) {
      // Leaving a box as it was shown is no edit. The combo would put the
      // list's spelling of its text in its place (it matches without regard
      // to case) and report that as a choice, rewriting the entry's own
      // spelling and classifying it again; it keeps its text instead.
      const QString shown = box->currentText();
      {
        const QSignalBlocker quiet(box);
        static_cast<QObject*>(box)->event(event);
      }
      if (box->currentText() != shown) box->setEditText(shown);
      return true;
    }
    if (leaving && field && !committing_ && !updating_ && !closing_ && !CommitField(field)) {
      refused_ = true;
      QTimer::singleShot(0, field, [this, field] {
        refused_ = false;
        field->setFocus();
        if (auto* box = qobject_cast<QLineEdit*>(field)) box->selectAll();
      });
    }
  }
  return QDialog::eventFilter(watched, event);
}

bool frmFSAircraftEdit::ShowsStoredValue(const QComboBox* box) const {
  long i = CurrentIndex();
  if (i < 0) return false;
  const FSAircraft& a = editor_.Entry(static_cast<size_t>(i));
  const std::string& stored = box == cmATCType ? a.ATCType : box == cmATCModel ? a.ATCModel : a.ATCAirline;
  return ToPlanText(box->currentText()) == stored;
}

bool frmFSAircraftEdit::CommitFocusedField() {
  QWidget* focus = QApplication::focusWidget();
  for (QWidget* w = focus; w; w = w->parentWidget()) {
    if (std::find(fields_.begin(), fields_.end(), w) == fields_.end()) continue;
    if (CommitField(w)) return true;
    w->setFocus();
    return false;
  }
  return true;
}

bool frmFSAircraftEdit::CommitField(QWidget* field) {
  if (committing_ || updating_ || currentKey_.empty()) return true;
  committing_ = true;
  bool ok = true;
  if (field == txtSpeed) ok = StoreSpeed();
  else if (field == txtRadius) ok = StoreRadius();
  else if (field == txtTitle) StoreText(txtTitle, AircraftText::Title);
  else if (field == txtATCID) StoreText(txtATCID, AircraftText::ATCId);
  else if (field == txtFlightNumber) StoreText(txtFlightNumber, AircraftText::ATCFlightNumber);
  else if (field == txtManufacturer) StoreText(txtManufacturer, AircraftText::UIManufacturer);
  else if (field == txtType) StoreText(txtType, AircraftText::UIType);
  else if (field == txtVariation) StoreText(txtVariation, AircraftText::UIVariation);
  else if (field == txtModelFile) StoreName(NameField::Model);
  else if (field == txtTexture) StoreName(NameField::Texture);
  else if (field == txtSim) StoreName(NameField::Sim);
  else if (field == cmAirline) ChooseAirline();
  else if (field == cmATCType) ChooseAtcType();
  else if (field == cmATCModel) ChooseAtcModel();
  else if (field == cmClass) ChooseClass();
  committing_ = false;
  return ok;
}

void frmFSAircraftEdit::StoreText(QLineEdit* box, AircraftText field) {
  long i = CurrentIndex();
  if (i < 0) return;
  if (!editor_.SetText(static_cast<size_t>(i), field, ToPlanText(box->text()))) return;
  if (field == AircraftText::Title) RefreshRows({static_cast<size_t>(i)});
  EnableSaveUndo();
}

bool frmFSAircraftEdit::StoreSpeed() {
  long i = CurrentIndex();
  if (i < 0) return true;
  WholeNumberText n = CheckPositiveWholeNumber(ToPlanText(txtSpeed->text()), kMaxCruiseSpeed);
  switch (n.check) {
    case WholeNumberCheck::NotNumeric: Ask(kSpeedNotNumeric, kMbOk | kMbIconExclamation); return false;
    case WholeNumberCheck::NotPositive: Ask(kSpeedNotPositive, kMbOk | kMbIconExclamation); return false;
    case WholeNumberCheck::TooLarge: Ask(kSpeedTooLarge, kMbOk | kMbIconExclamation); return false;
    case WholeNumberCheck::Ok: break;
  }
  // Compared as text: "250.0" for a stored 250 is an edit too.
  if (txtSpeed->text() == QString::number(editor_.Entry(static_cast<size_t>(i)).CfgCruiseSpeed)) return true;
  RefreshRows(editor_.SetCruiseSpeed(static_cast<size_t>(i), n.value, true));
  txtSpeed->setText(QString::number(n.value));
  EnableSaveUndo();
  return true;
}

bool frmFSAircraftEdit::StoreRadius() {
  long i = CurrentIndex();
  if (i < 0 || !txtRadius->isEnabled()) return true;
  WholeNumberText n = CheckPositiveWholeNumber(ToPlanText(txtRadius->text()), kMaxModelRadius);
  switch (n.check) {
    case WholeNumberCheck::NotNumeric: Ask(kRadiusNotNumeric, kMbOk | kMbIconExclamation); return false;
    case WholeNumberCheck::NotPositive: Ask(kRadiusNotPositive, kMbOk | kMbIconExclamation); return false;
    case WholeNumberCheck::TooLarge: Ask(kRadiusTooLarge, kMbOk | kMbIconExclamation); return false;
    case WholeNumberCheck::Ok: break;
  }
  std::vector<size_t> touched = editor_.SetRadius(static_cast<size_t>(i), n.value);
  txtRadius->setToolTip(FromPlanText(FeetText(editor_.Entry(static_cast<size_t>(i)).Radius)));
  if (!touched.empty()) EnableSaveUndo();
  return true;
}

void frmFSAircraftEdit::StoreName(NameField field) {
  long i = CurrentIndex();
  if (i < 0) return;
  const FSAircraft& a = editor_.Entry(static_cast<size_t>(i));
  QLineEdit* box = field == NameField::Model ? txtModelFile : field == NameField::Texture ? txtTexture : txtSim;
  const std::string& stored = field == NameField::Model ? a.Model : field == NameField::Texture ? a.Texture : a.Sim;
  std::string text = TrimmedText(box);
  box->setText(FromPlanText(text));
  if (text == stored) return;
  auto restore = [&] { box->setText(FromPlanText(stored)); };
  if (!IsPlainFileName(text)) {
    Ask(kBadNameMessage, kMbOk | kMbIconExclamation);
    return restore();
  }
  RenameOnDisk rename = field == NameField::Model     ? ModelFolderRename(a, text)
                        : field == NameField::Texture ? TextureFolderRename(a, text)
                                                      : AirFileRename(a, text);
  if (rename.offerCopy) {
    const char* question = field == NameField::Model     ? kModelCopyQuestion
                           : field == NameField::Texture ? kTextureCopyQuestion
                                                         : kAirCopyQuestion;
    int answer = Ask(question, kMbYesNoCancel | kMbIconQuestion);
    if (answer != kIdYes && answer != kIdNo) return restore();
    // A copy that failed leaves the old name: the new one would point the
    // aircraft.cfg at a folder or file that is not there.
    FolderCopy copy;
    copy.file = rename.to;
    bool copied = answer == kIdNo || (field == NameField::Sim ? CopyFileOnce(rename.from, rename.to, &copy.reason)
                                                              : CopyFolderWhole(rename.from, rename.to, &copy));
    if (!copied) {
      Ask(WithWriteFailure(kCopyFailedMessage, copy.file, copy.reason), kMbOk | kMbIconCritical);
      return restore();
    }
    if (!copy.leftOut.empty()) {
      std::string files;
      for (const std::string& f : copy.leftOut) files += "\r\n" + Utf8ToCp1252(f);
      Ask(kCopyLeftOutMessage + files, kMbOk | kMbIconExclamation);
    }
  }
  const size_t index = static_cast<size_t>(i);
  if (field == NameField::Model) {
    editor_.SetModel(index, text);
    ShowRadius(a);
  } else if (field == NameField::Texture) {
    editor_.SetTexture(index, text);
  } else {
    editor_.SetSim(index, text);
  }
  EnableSaveUndo();
}

// ---- Combo boxes and check boxes --------------------------------------------------------

void frmFSAircraftEdit::ChooseAirline() {
  if (updating_) return;
  long i = CurrentIndex();
  if (i < 0) return;
  if (!editor_.SetText(static_cast<size_t>(i), AircraftText::ATCAirline, ToPlanText(cmAirline->currentText()))) return;
  RefreshRows({static_cast<size_t>(i)});
  EnableSaveUndo();
}

void frmFSAircraftEdit::ChooseAtcType() { ChooseAtcCode(false); }

void frmFSAircraftEdit::ChooseAtcModel() { ChooseAtcCode(true); }

void frmFSAircraftEdit::ChooseAtcCode(bool model) {
  if (updating_) return;
  long i = CurrentIndex();
  if (i < 0) return;
  const size_t index = static_cast<size_t>(i);
  std::vector<size_t> touched = model ? editor_.SetAtcModel(index, ToPlanText(cmATCModel->currentText()))
                                      : editor_.SetAtcType(index, ToPlanText(cmATCType->currentText()));
  if (touched.empty()) return;
  RefreshRows(touched);
  // The class follows the new code; the combo shows it.
  updating_ = true;
  int cls = editor_.Entry(index).Class;
  cmClass->setCurrentIndex(AircraftClassName(cls).empty() ? 0 : cls);
  updating_ = false;
  EnableSaveUndo();
}

void frmFSAircraftEdit::CheckHeavy() {
  if (updating_) return;
  long i = CurrentIndex();
  if (i >= 0 && editor_.SetFlag(static_cast<size_t>(i), AircraftFlag::Heavy, ckHeavy->isChecked())) EnableSaveUndo();
}

void frmFSAircraftEdit::CheckVisualDamage() {
  if (updating_) return;
  long i = CurrentIndex();
  if (i >= 0 && editor_.SetFlag(static_cast<size_t>(i), AircraftFlag::VisualDamage, ckVisualDamage->isChecked()))
    EnableSaveUndo();
}

void frmFSAircraftEdit::ChooseClass() {
  if (updating_) return;
  QTreeWidgetItem* row = CurrentRow();
  if (!row) return;
  if (row->text(kColClass) == cmClass->currentText()) return;
  const size_t i = IndexOf(row);
  const int oldClass = editor_.Entry(i).Class;
  const int newClass = cmClass->currentData().toInt();
  auto revert = [&] {
    updating_ = true;
    cmClass->setCurrentIndex(AircraftClassName(oldClass).empty() ? 0 : oldClass);
    updating_ = false;
  };
  // No aircraft can be given the class "Unknown".
  if (newClass == kClassNone) return revert();
  ClassChoice choice = editor_.ChooseClass(i, newClass);
  if (choice == ClassChoice::EntryNotMovable) {
    Ask(kEntryNotMovableMessage, kMbOk | kMbIconExclamation);
    return revert();
  }
  SetCell(row, kColClass, ToPlanText(cmClass->currentText()), false);
  EnableSaveUndo();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

  if (choice == ClassChoice::NeedsNewEntry) {
    std::string shown = ClassText(editor_.Entry(i));
    for (;;) {
      std::optional<std::string> answer = AskOver(*this, kNewEntryPrompt, kNewEntryTitle, shown, 4);
      if (!answer) break;
      bool refused = false;
      std::optional<std::string> id = NewClassEntryId(*answer, newClass, refused);
      if (refused) {
        Ask(kBadEntryMessage, kMbOk | kMbIconExclamation);
        shown = *answer;
        continue;
      }
      if (id) editor_.CreateClassEntry(newClass, *id);
      break;
    }
  }

  WindowWait wait(*this);
  RefreshRows(editor_.RederiveClasses());
  RefreshRows({i});
  ShowEntry(lvAircrafts->currentItem());
}

// ---- Commands ------------------------------------------------------------------------

void frmFSAircraftEdit::EditDescription() {
  if (!CommitFocusedField()) return;
  QTreeWidgetItem* row = lvAircrafts->currentItem();
  if (!row) return;
  size_t i = IndexOf(row);
  std::string edited = frmTextEdit::EditText(editor_.Entry(i).Description, "Description", this);
  if (edited.empty() || edited == editor_.Entry(i).Description) return;
  editor_.SetText(i, AircraftText::Description, edited);
  EnableSaveUndo();
}

void frmFSAircraftEdit::EditPerformance() {
  if (!CommitFocusedField()) return;
  QTreeWidgetItem* row = lvAircrafts->currentItem();
  if (!row) return;
  size_t i = IndexOf(row);
  std::string edited = frmTextEdit::EditText(editor_.Entry(i).Performance, "Performance", this);
  if (edited.empty() || edited == editor_.Entry(i).Performance) return;
  editor_.SetPerformance(i, edited);
  EnableSaveUndo();
}

bool frmFSAircraftEdit::SaveChanges() {
  if (!CommitFocusedField()) return false;
  AircraftSaveResult result;
  {
    WindowWait wait(*this);
    result = editor_.Save(host_.ProgramFolder(), Program().BackupAircraft);
  }
  if (!result.ok) {
    Ask(WithAlreadySaved(WithWriteFailure(kSaveFailedMessage, result.file, result.reason), result.saved),
        kMbOk | kMbIconCritical);
    cmdUndo->setEnabled(true);
    cmdSave->setEnabled(true);
    return false;
  }
  cmdUndo->setEnabled(false);
  cmdSave->setEnabled(false);
  if (!result.missingModelFiles.empty()) {
    std::string files;
    for (const std::string& f : result.missingModelFiles) files += "\r\n" + f;
    Ask(kMissingModelMessage + files, kMbOk | kMbIconExclamation);
  }
  return true;
}

void frmFSAircraftEdit::UndoChanges() {
  WindowWait wait(*this);
  editor_.Undo();
  FillAircraftList();
  cmdUndo->setEnabled(false);
  cmdSave->setEnabled(false);
}

void frmFSAircraftEdit::ExportAircraftTypes() {
  bool written = false;
  std::string reason;
  {
    WindowWait wait(*this);
    LongOperation op(host_, "Writing...", 2, 1);
    op.SetValue(2);
    written = WriteAircraftTypesFile(host_.ProgramFolder(), editor_.TypesExportList(), &reason);
  }
  // A file that could not be written is said, not passed over in silence.
  if (written)
    Ask(kTypesWrittenMessage, kMbOk | kMbIconInformation);
  else
    Ask(WithWriteFailure(kTypesFailedMessage, host_.ProgramFolder() / kAircraftTypesFileName, reason),
        kMbOk | kMbIconCritical);
}

void frmFSAircraftEdit::reject() {
  if (closing_) return;
  if (!CommitFocusedField()) return;
  if (cmdSave->isEnabled()) {
    int answer = Ask(kSaveQuestion, kMbYesNoCancel | kMbIconQuestion);
    if (answer == kIdYes) {
      // A save that failed keeps the window open with the edits in it.
      if (!SaveChanges()) return;
    } else if (answer == kIdNo) {
      // Unsaved edits must not live on in the program's list (the shuffle
      // and the trees would use them), nor unsaved class moves reach the
      // next save.
      UndoChanges();
    } else {
      return;
    }
  }
  closing_ = true;
  QDialog::reject();
  closing_ = false;
}

void frmFSAircraftEdit::EnableSaveUndo() {
  cmdSave->setEnabled(true);
  cmdUndo->setEnabled(true);
}

int frmFSAircraftEdit::Ask(const std::string& prompt, int style) {
  return ShowMessageBox(prompt, style, kProgramTitle, this);
}


}  // namespace velk
