#include "airport_tools/ui/frm_resize_gates.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <optional>

#include "airport_tools/gate_resize.h"
#include "data/text_number.h"
#include "gui/box_check.h"
#include "gui/frm_progress.h"
#include "gui/plan_host.h"
#include "gui/window_wait.h"
#include "platform/folder_list.h"
#include "platform/message_box.h"
#include "platform/qt/qt_text.h"
#include "platform/sim_location.h"
#include "platform/text_codec.h"

namespace velk {
namespace {

constexpr const char* kNoSimulatorMessage = "Couldn't find FS2002 Path.";
// Files named in the failure message at the most; the rest are counted.
constexpr size_t kFilesNamed = 15;

std::string Confirmation(const std::string& type, float metres, const GateFilter& filter, bool backup) {
  std::string where = "at all airports";
  if (!filter.search.empty() && !filter.icao.empty())
    where = "at the airports matching '" + filter.search + "' or ICAO '" + filter.icao + "'";
  else if (!filter.search.empty())
    where = "at the airports matching '" + filter.search + "'";
  else if (!filter.icao.empty())
    where = "at the airports matching ICAO '" + filter.icao + "'";
  return "Resize every parking spot of type '" + type + "' to " +
         text_number::FormatFixed(static_cast<double>(metres), 2) + " m " + where +
         " in the FS2002 AFD files?\r\n" +
         (backup ? "Each AFD file is backed up once before it is changed."
                 : "No backup of the AFD files will be made.");
}

std::string FailureMessage(const GateResizeResult& result) {
  std::string text = "Errors occured during resizing Gates: " + std::to_string(result.resized) +
                     " Gates matching the given type were resized, but these files could not be changed:";
  for (size_t i = 0; i < result.failed.size() && i < kFilesNamed; ++i) text += "\r\n" + result.failed[i];
  if (result.failed.size() > kFilesNamed)
    text += "\r\n(and " + std::to_string(result.failed.size() - kFilesNamed) + " more)";
  return text;
}

}  // namespace

frmResizeGates::frmResizeGates(PlanHost& host, QWidget* owner, std::function<void()> discard)
    : QDialog(owner), host_(host), discard_(std::move(discard)) {
  setObjectName("frmResizeGates");
  setWindowTitle("Gate Resize");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

  auto label = [this](const char* name, const QString& text) {
    auto* l = new QLabel(text, this);
    l->setObjectName(name);
    return l;
  };
  auto box = [this](const char* name) {
    auto* b = new QLineEdit(this);
    b->setObjectName(name);
    return b;
  };
  lblType = label("lblType", "&Gate Type");
  cmType = new QComboBox(this);
  cmType->setObjectName("cmType");
  for (const GateType& t : kGateTypes) cmType->addItem(t.text);
  lblSize = label("lblSize", "New &Size (m)");
  txtSize = box("txtSize");
  txtSize->setText("1");
  lblSearch = label("lblSearch", "Se&arch (Continent, Country, State, City, Airport)");
  txtSearch = box("txtSearch");
  lblICAO = label("lblICAO", "&ICAO");
  txtICAO = box("txtICAO");
  ckBackup = new QCheckBox("&Backup AFD Files", this);
  ckBackup->setObjectName("ckBackup");
  ckBackup->setChecked(true);
  cmdOK = new QPushButton("&Resize", this);
  cmdOK->setObjectName("cmdOK");
  cmdOK->setDefault(true);
  cmdCancel = new QPushButton("&Close", this);
  cmdCancel->setObjectName("cmdCancel");
  cmdCancel->setAutoDefault(false);
  lblType->setBuddy(cmType);
  lblSize->setBuddy(txtSize);
  lblSearch->setBuddy(txtSearch);
  lblICAO->setBuddy(txtICAO);

  auto* grid = new QGridLayout;
  grid->addWidget(lblType, 0, 0);
  grid->addWidget(lblSize, 0, 1);
  grid->addWidget(cmType, 1, 0);
  grid->addWidget(txtSize, 1, 1);
  grid->addWidget(lblSearch, 2, 0, 1, 2);
  grid->addWidget(txtSearch, 3, 0, 1, 2);
  grid->addWidget(lblICAO, 4, 0);
  grid->addWidget(txtICAO, 5, 0);
  grid->addWidget(ckBackup, 5, 1);
  grid->setColumnStretch(0, 1);
  grid->setColumnStretch(1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cmdOK);
  buttons->addWidget(cmdCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addStretch(1);
  layout->addLayout(buttons);
  resize(460, 230);

  auto updateLabel = [this] { lblSize->setText(QString::fromStdString(GateSizeLabel(ToPlanText(txtSize->text())))); };
  connect(txtSize, &QLineEdit::textChanged, this, updateLabel);
  cmType->setCurrentIndex(0);
  updateLabel();
  CheckOnLeaving(txtSize, [this] { return CheckSize(); });
  connect(cmdOK, &QPushButton::clicked, this, &frmResizeGates::Resize);
  connect(cmdCancel, &QPushButton::clicked, this, &QDialog::close);
}

bool frmResizeGates::CheckSize() {
  std::string message = CheckGateSize(ToPlanText(txtSize->text()));
  if (message.empty()) return true;
  ShowMessageBox(message, kMbOk | kMbIconExclamation, kProgramTitle, this);
  txtSize->setFocus();
  txtSize->selectAll();
  return false;
}

void frmResizeGates::Resize() {
  // Enter presses Resize without leaving the size box: check it here too.
  if (!CheckSize()) return;
  GateResizeRequest request;
  request.type = GateTypeCode(ToPlanText(cmType->currentText()));
  request.metres = *ParseGateSize(ToPlanText(txtSize->text()));
  request.filter = {ToPlanText(txtSearch->text()), ToPlanText(txtICAO->text())};
  request.backup = ckBackup->isChecked();
  if (request.type == 0) return;
  // The files are changed in place: only after the user agreed.
  if (ShowMessageBox(Confirmation(ToPlanText(cmType->currentText()), request.metres, request.filter, request.backup),
                     kMbYesNo | kMbIconExclamation | kMbDefButton2, kProgramTitle, this) != kIdYes)
    return;

  std::optional<GateResizeResult> result;
  std::filesystem::path scenery;
  {
    WindowWait busy(*this);
    std::filesystem::path unlisted;
    const std::filesystem::path simulator = FlightSimFolder(&unlisted);
    if (!simulator.empty()) scenery = ResolvePathNoCase(simulator, "SCENEDB\\AFDFILES\\SCENERY", &unlisted);
    if (!unlisted.empty()) {
      ShowMessageBox(ListFailedMessage(unlisted), kMbOk | kMbIconExclamation, kProgramTitle, host_.Window());
    } else if (simulator.empty()) {
      ShowMessageBox(kNoSimulatorMessage, kMbOk | kMbIconCritical, kProgramTitle, host_.Window());
    } else {
      LongOperation op(host_, "Resizing Gates...");
      result = ResizeGates(scenery, request,
                           [&](const std::string& file, int done, int count) {
                             op.SetMax(count);
                             op.Step(QString::fromStdString("Resizing Gates (File '" + file + "')..."), done);
                           });
    }
    // The airports in memory and their cache no longer match the files.
    if (discard_) discard_();
  }
  if (!result) return;
  if (result->busy) {
    ShowMessageBox("The folder '" + Utf8ToCp1252(scenery.string()) + "' is being resized by another run. No Gates "
                   "were resized.",
                   kMbOk | kMbIconExclamation, kProgramTitle, host_.Window());
    return;
  }
  std::string cleaned;
  if (result->temporariesRemoved > 0)
    cleaned = "\r\nRemoved " + std::to_string(result->temporariesRemoved) +
              (result->temporariesRemoved == 1 ? " temporary file" : " temporary files") +
              " left by an interrupted resize.";
  if (result->failed.empty())
    ShowMessageBox("Successfully resized " + std::to_string(result->resized) + " Gates matching the given type." +
                       cleaned,
                   kMbOk | kMbIconInformation, kProgramTitle, host_.Window());
  else
    ShowMessageBox(FailureMessage(*result) + cleaned, kMbOk | kMbIconExclamation, kProgramTitle, host_.Window());
}

}  // namespace velk
