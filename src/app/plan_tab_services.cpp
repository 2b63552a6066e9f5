#include "app/plan_tab_services.h"

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include "app/frm_main.h"

namespace velk {

void ClearTimetableTab(frmMain& m) {
  m.lvTimetable->clear();
  m.lblTTPreview->setText("Previe&w");
  m.cmdTTPrint->setEnabled(false);
  m.cmdTTSave->setEnabled(false);
  m.cmdTTStatistics->setEnabled(false);
  m.cmdTTShow->setEnabled(true);
}

}  // namespace velk
