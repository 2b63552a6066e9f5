#pragma once
// The window layer's file dialogs and document opener.
#include <QString>
#include <QStringList>

#include "platform/file_dialog.h"

namespace velk {

// "Text Files (*.txt)|*.txt|All Files (*.*)|*.*" as a dialog's name filters
// ("Text Files (*.txt)", "All Files (*)"): a description keeps its text, the
// pattern "*.*" means every file.
QStringList DialogNameFilters(const std::string& filter);

// Shows a QFileDialog for the request and returns the chosen path ("" on
// cancel).
std::string ShowQtFileDialog(const FileDialogRequest& request);

// Opens `path` with the desktop's launcher, xdg-open, and calls `done` with
// its result once it has ended; the event loop runs on meanwhile. Without
// xdg-open, whatever other launcher the desktop services find is started
// and `done` told at once whether one could be.
void OpenWithDesktop(const std::string& path, DocumentDone done);

// Routes ShowFileDialog to ShowQtFileDialog and OpenDocument to
// OpenWithDesktop.
void InstallQtFileDialogHandler();

}  // namespace velk
