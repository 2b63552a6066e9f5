#include "airport_tools/ui/frm_distance.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include "airport_tools/airport_distance.h"
#include "airport_tools/ui/tool_scenery.h"
#include "data/geodesy.h"
#include "data/scenery_airports.h"
#include "gui/plan_host.h"
#include "platform/qt/qt_text.h"

namespace velk {

frmDistance::frmDistance(PlanHost& host, QWidget* owner) : QDialog(owner), host_(host) {
  setObjectName("frmDistance");
  setWindowTitle("Airport Distance");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

  lblSource = new QLabel("De&parture Airport", this);
  lblSource->setObjectName("lblSource");
  cmSource = new QComboBox(this);
  cmSource->setObjectName("cmSource");
  lblDest = new QLabel("&Arrival Airport", this);
  lblDest->setObjectName("lblDest");
  cmDest = new QComboBox(this);
  cmDest->setObjectName("cmDest");
  lblResult = new QLabel("&Result", this);
  lblResult->setObjectName("lblResult");
  txtResult = new QPlainTextEdit(this);
  txtResult->setObjectName("txtResult");
  txtResult->setReadOnly(true);
  txtResult->setLineWrapMode(QPlainTextEdit::NoWrap);
  cmdDistance = new QPushButton("&Distance", this);
  cmdDistance->setObjectName("cmdDistance");
  cmdDistance->setDefault(true);
  cmdClose = new QPushButton("&Close", this);
  cmdClose->setObjectName("cmdClose");
  cmdClose->setAutoDefault(false);
  lblSource->setBuddy(cmSource);
  lblDest->setBuddy(cmDest);
  lblResult->setBuddy(txtResult);
  for (QComboBox* c : {cmSource, cmDest}) {
    c->setMinimumWidth(420);
    c->setMaxVisibleItems(20);
  }

  auto* grid = new QGridLayout;
  grid->addWidget(lblSource, 0, 0);
  grid->addWidget(cmSource, 1, 0);
  grid->addWidget(lblDest, 2, 0);
  grid->addWidget(cmDest, 3, 0);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cmdDistance);
  buttons->addWidget(cmdClose);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(lblResult);
  layout->addWidget(txtResult, 1);
  layout->addLayout(buttons);
  resize(520, 400);

  connect(cmdDistance, &QPushButton::clicked, this, &frmDistance::Measure);
  connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);
  connect(this, &QDialog::finished, this, [this] { host_.Reactivate(); });
}

void frmDistance::Load() {
  LoadToolScenery(host_, this, [this] {
    const std::vector<SceneryAirport>& scenery = SceneryAirports();
    auto* model = new QStandardItemModel(this);
    for (int index : DistanceAirports(scenery, host_.Plan())) {
      auto* item = new QStandardItem(FromPlanText(DistanceItemText(scenery[static_cast<size_t>(index)])));
      item->setData(index, Qt::UserRole);
      model->appendRow(item);
    }
    // Both lists offer the same airports in the same order, from one model.
    cmSource->setModel(model);
    cmDest->setModel(model);
    cmSource->setCurrentIndex(model->rowCount() > 0 ? 0 : -1);
    cmDest->setCurrentIndex(model->rowCount() > 0 ? 0 : -1);
  });
}

void frmDistance::Measure() {
  const std::vector<SceneryAirport>& scenery = SceneryAirports();
  bool okSource = false;
  bool okDest = false;
  const int s = cmSource->currentData(Qt::UserRole).toInt(&okSource);
  const int d = cmDest->currentData(Qt::UserRole).toInt(&okDest);
  // The airports may have been discarded since the lists were filled.
  if (!okSource || !okDest || s < 0 || d < 0 || static_cast<size_t>(s) >= scenery.size() ||
      static_cast<size_t>(d) >= scenery.size())
    return;
  const std::string& from = scenery[static_cast<size_t>(s)].ICAO;
  const std::string& to = scenery[static_cast<size_t>(d)].ICAO;
  log_ += DistanceLine(from, to, GetAirportDistance(from, to));
  QString shown = FromPlanText(log_);
  shown.replace("\r\n", "\n");
  txtResult->setPlainText(shown);
  txtResult->moveCursor(QTextCursor::End);
  txtResult->ensureCursorVisible();
}

}  // namespace velk
