#pragma once
// Small pieces both aircraft editor windows use: the input box placed over
// the window. (The list row that sorts by text without regard to case and
// the wait frame of a long command are the program's own: app/list_row.h,
// app/window_wait.h.)
#include <optional>
#include <string>

class QWidget;

namespace velk {

// Asks for one line of text in an input box over `window`, its top-left
// corner 1/`divisor` of the window's width right of its left edge and as
// far below its top. The text typed, or nothing when cancelled.
std::optional<std::string> AskOver(QWidget& window, const std::string& prompt, const std::string& title,
                                   const std::string& defaultText, int divisor);

}  // namespace velk
