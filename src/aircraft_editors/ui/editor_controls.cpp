#include "aircraft_editors/ui/editor_controls.h"

#include <QApplication>
#include <QTreeWidget>

#include "platform/input_box.h"

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

std::optional<std::string> AskOver(QWidget& window, const std::string& prompt, const std::string& title,
                                   const std::string& defaultText, int divisor) {
  QRect area = window.frameGeometry();
  InputBoxRequest request;
  request.prompt = prompt;
  request.title = title;
  request.defaultText = defaultText;
  request.owner = &window;
  request.usePosition = true;
  request.x = area.left() + area.width() / divisor;
  request.y = area.top() + area.height() / divisor;
  return ShowInputBox(request);
}

}  // namespace velk
