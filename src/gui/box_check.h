#pragma once
// A text box that checks its text when the user leaves it for another
// control of its window, and keeps the focus when the check refuses it, as
// the windows' boxes do. Leaving for another window (a message box) checks
// nothing. The check tells the user itself why it refused.
#include <functional>

class QLineEdit;

namespace velk {

// Installs the check on `box` for as long as the box lives. `check`
// returns false after telling the user; the focus then goes back to the
// box, its text selected.
void CheckOnLeaving(QLineEdit* box, std::function<bool()> check);

}  // namespace velk
