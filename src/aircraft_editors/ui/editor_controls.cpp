#include "aircraft_editors/ui/editor_controls.h"

#include <QApplication>
#include <QTreeWidget>


namespace velk {

bool TextSortItem::operator<(const QTreeWidgetItem& other) const {
  int column = treeWidget() ? treeWidget()->sortColumn() : 0;
  return QString::compare(text(column), other.text(column), Qt::CaseInsensitive) < 0;
}

WindowWait::WindowWait(QWidget& window) : window_(window) {
  window_.setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

WindowWait::~WindowWait() {
  QApplication::restoreOverrideCursor();
  window_.setEnabled(true);
}

}  // namespace velk
