#include "airport_tools/ui/frm_airport_search.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "airport_tools/airport_search.h"
#include "airport_tools/ui/frm_airport_info.h"
#include "airport_tools/ui/tool_scenery.h"
#include "data/scenery_airports.h"
#include "gui/list_row.h"
#include "gui/plan_host.h"
#include "gui/window_wait.h"
#include "platform/qt/qt_text.h"

namespace velk {
namespace {

// The index of its scenery airport rides with each row.
constexpr int kSceneryRole = Qt::UserRole;

}  // namespace

frmAirportSearch::frmAirportSearch(PlanHost& host, QWidget* owner) : QDialog(owner), host_(host) {
  setObjectName("frmAirportSearch");
  setWindowTitle("Airport Search");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint);

  lblSearch = new QLabel("&Look for", this);
  lblSearch->setObjectName("lblSearch");
  txtSearch = new QLineEdit(this);
  txtSearch->setObjectName("txtSearch");
  lblSearch->setBuddy(txtSearch);
  ckAPOnly = new QCheckBox("&only Airports in 'AIRPORTS.TXT' ", this);
  ckAPOnly->setObjectName("ckAPOnly");
  ckAPOnly->setChecked(true);
  cmdSearch = new QPushButton("&Search", this);
  cmdSearch->setObjectName("cmdSearch");
  cmdSearch->setDefault(true);
  cmdClose = new QPushButton("&Close", this);
  cmdClose->setObjectName("cmdClose");
  cmdClose->setAutoDefault(false);
  lblResult = new QLabel("&Result", this);
  lblResult->setObjectName("lblResult");
  lvSearch = new QTreeWidget(this);
  lvSearch->setObjectName("lvSearch");
  lvSearch->setRootIsDecorated(false);
  lvSearch->setUniformRowHeights(true);
  lvSearch->setAllColumnsShowFocus(true);
  lvSearch->setHeaderLabels({"Airport", "Latitude", "Longitude", "Elevation"});
  lvSearch->setToolTip("Double click an item to open the airport information");
  lvSearch->setColumnWidth(0, 380);
  lvSearch->setColumnWidth(1, 110);
  lvSearch->setColumnWidth(2, 110);
  lvSearch->sortByColumn(0, Qt::AscendingOrder);
  lvSearch->setSortingEnabled(true);
  lblResult->setBuddy(lvSearch);

  auto* top = new QGridLayout;
  top->addWidget(lblSearch, 0, 0, 1, 2);
  top->addWidget(txtSearch, 1, 0);
  top->addWidget(cmdSearch, 1, 1);
  top->addWidget(ckAPOnly, 2, 0);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(cmdClose);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(lblResult);
  layout->addWidget(lvSearch, 1);
  layout->addLayout(buttons);
  resize(760, 480);

  connect(cmdSearch, &QPushButton::clicked, this, &frmAirportSearch::Search);
  connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);
  connect(lvSearch, &QTreeWidget::itemDoubleClicked, this, &frmAirportSearch::OpenSelected);
  connect(lvSearch->header(), &QHeaderView::sortIndicatorChanged, this, [this] {
    if (QTreeWidgetItem* current = lvSearch->currentItem()) lvSearch->scrollToItem(current);
  });
  connect(this, &QDialog::finished, this, [this] { host_.Reactivate(); });
}

void frmAirportSearch::Load() {
  LoadToolScenery(host_, this, [this] {
    if (host_.Plan().Airports.empty()) ckAPOnly->setChecked(false);
  });
}

void frmAirportSearch::Search() {
  WindowWait busy(*this);
  std::vector<AirportSearchRow> rows =
      SearchSceneryAirports(SceneryAirports(), host_.Plan().Airports, ToPlanText(txtSearch->text()),
                            ckAPOnly->checkState() != Qt::Unchecked);
  lvSearch->setUpdatesEnabled(false);
  lvSearch->setSortingEnabled(false);
  lvSearch->clear();
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(rows.size()));
  for (const AirportSearchRow& r : rows) {
    auto* item = new ListRow({FromPlanText(r.text), FromPlanText(r.latitude), FromPlanText(r.longitude),
                              FromPlanText(r.elevation)});
    item->setData(0, kSceneryRole, r.scenery);
    items.append(item);
  }
  lvSearch->addTopLevelItems(items);
  lvSearch->setSortingEnabled(true);
  lvSearch->setUpdatesEnabled(true);
  lvSearch->clearSelection();
  if (QTreeWidgetItem* first = lvSearch->topLevelItem(0)) {
    lvSearch->setCurrentItem(first);
    lvSearch->scrollToItem(first);
  }
  lblResult->setText(QString("&Result (%1 airports found)").arg(rows.size()));
}

void frmAirportSearch::OpenSelected() {
  const QList<QTreeWidgetItem*> selected = lvSearch->selectedItems();
  if (selected.isEmpty()) return;
  ShowAirportInfo(host_, selected.front()->data(0, kSceneryRole).toInt(), this);
}

}  // namespace velk
