#pragma once
// Small pieces both aircraft editor windows use: the list row that sorts by
// text without regard to case, and the wait frame of a command that works
// through many records.
#include <QTreeWidgetItem>
#include <optional>
#include <string>

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

// Asks for one line of text in an input box over `window`, its top-left
// corner 1/`divisor` of the window's width right of its left edge and as
// far below its top. The text typed, or nothing when cancelled.
std::optional<std::string> AskOver(QWidget& window, const std::string& prompt, const std::string& title,
                                   const std::string& defaultText, int divisor);

}  // namespace velk
