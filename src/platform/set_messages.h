#pragma once
// What velk tells the user about the sets of files it replaces (file_set.h):
// what putting right an interrupted replacement did, and why a replacement
// failed beyond the message of the command.
#include <string>

#include "platform/file_set.h"

class QWidget;

namespace velk {

// Shows the lines of `recovered` in one message box over `owner`, with a
// warning icon when the user should look at the files; nothing when there
// was nothing to put right.
void ShowSetRecovery(const SetRecovery& recovered, QWidget* owner);

// `message` (Windows-1252), followed after an empty line by what the user
// needs to know of `failure` when the command's own message does not say
// it: that another run holds the folder, that an earlier replacement there
// is not carried through, or which files are new and which old.
std::string WithSetFailure(const std::string& message, const SetFailure& failure);

}  // namespace velk
