#pragma once
// Small pieces both aircraft editor windows use: the list row that sorts by
// text without regard to case, and the wait frame of a command that works
// through many records.
#include <QTreeWidgetItem>

#include "platform/qt/qt_dialogs.h"  // AskOver, used by both editors

class QWidget;

namespace velk {

// A list row compared by the text of the list's sort column, ignoring case;
// numbers sort as text ("AC#10" before "AC#2").
class TextSortItem : public QTreeWidgetItem {
 public:
  using QTreeWidgetItem::QTreeWidgetItem;
  bool operator<(const QTreeWidgetItem& other) const override;
};

// From construction to destruction `window` takes no input and the pointer
// is the hourglass; pending window events (but no user input) run once at
// the start.
class WindowWait {
 public:
  explicit WindowWait(QWidget& window);
  ~WindowWait();
  WindowWait(const WindowWait&) = delete;
  WindowWait& operator=(const WindowWait&) = delete;

 private:
  QWidget& window_;
};

}  // namespace velk
