#pragma once
// What velk tells the user about the sets of files it reads and replaces
// (file_set.h): what putting right an interrupted replacement did, why a
// set may not be read now, why a replacement failed beyond the message of
// the command, and the question before files changed by another program
// are replaced.
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_set.h"

class QWidget;

namespace velk {

// Shows the lines of `recovered` in one message box over `owner`, with a
// warning icon when the user should look at the files; nothing when there
// was nothing to put right.
void ShowSetRecovery(const SetRecovery& recovered, QWidget* owner);

// For a reader: shows the lines of `recovered` and, when the set may not be
// read now, why, in one message box. True when the set may be read.
bool ShowSetReading(const SetRecovery& recovered, QWidget* owner);

// `message` (Windows-1252), followed after an empty line by what the user
// needs to know of `failure` (SetFailureText) when there is more to say.
std::string WithSetFailure(const std::string& message, const SetFailure& failure);

// The same for a single file written on its own: `message`, followed after
// an empty line by the file `file` that could not be written and `reason`
// (the writer's reason, as WriteFileAtomic gives it); `message` alone
// without a reason.
std::string WithWriteFailure(const std::string& message, const std::filesystem::path& file,
                             const std::string& reason);

// `message`, followed on a line of its own by the files a save that
// stopped part way had already written: "'<a>' was already saved." or
// "'<a>' and '<b>' were already saved."; `message` alone when there are
// none.
std::string WithAlreadySaved(const std::string& message, const std::vector<std::filesystem::path>& saved);

// What to tell of the file `file` that could not be read (`read`): `missing`
// alone when nothing is there, for only then may a message advise to put
// it there; else `unreadable`, followed after an empty line by the file and
// the reason (KnownRead::Reason), as WithWriteFailure gives them.
std::string WithReadFailure(const std::string& missing, const std::string& unreadable,
                            const std::filesystem::path& file, const KnownRead& read);
// The same for a file the user chose or named (a project entry's plan or
// aircraft file, a plan to compile): "File '<file>' not found." when
// nothing is there.
std::string WithChosenFileReadFailure(const std::string& unreadable, const std::filesystem::path& file,
                                      const KnownRead& read);

// Asks whether to replace `changed`, which another program changed since
// velk read or wrote them; true for yes.
bool AskOverwriteChanged(const std::vector<std::filesystem::path>& changed, QWidget* owner);

}  // namespace velk
