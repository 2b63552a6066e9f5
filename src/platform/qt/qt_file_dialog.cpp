#include "platform/qt/qt_file_dialog.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QUrl>

#include "platform/qt/qt_text.h"

namespace velk {

QStringList DialogNameFilters(const std::string& filter) {
  QStringList parts = FromPlanText(filter).split('|');
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString patterns = parts[i + 1];
    patterns.replace(';', ' ');
    if (patterns.trimmed() == "*.*") patterns = "*";
    QString description = parts[i];
    // The description usually names its patterns already: "Text Files (*.txt)".
    int open = description.lastIndexOf('(');
    if (open >= 0) description = description.left(open).trimmed();
    filters << QString("%1 (%2)").arg(description, patterns);
  }
  return filters;
}

std::string ShowQtFileDialog(const FileDialogRequest& r) {
  QFileDialog dialog(r.owner, FromPlanText(r.title));
  dialog.setAcceptMode(r.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(r.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  QString initDir = r.initDir.empty() ? QDir::currentPath() : FromPath(r.initDir);
  dialog.setDirectory(initDir);
  QStringList filters = DialogNameFilters(r.filter);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    int index = r.filterIndex - 1;
    if (index >= 0 && index < filters.size()) dialog.selectNameFilter(filters[index]);
  }
  if (!r.defaultExt.empty()) dialog.setDefaultSuffix(FromPlanText(r.defaultExt));
  if (!r.fileName.empty()) dialog.selectFile(FromPath(r.fileName));
  if (dialog.exec() != QDialog::Accepted) return {};
  QStringList chosen = dialog.selectedFiles();
  return chosen.isEmpty() ? std::string() : ToPath(chosen.first()).string();
}

void InstallQtFileDialogHandler() {
  SetFileDialogHandler(&ShowQtFileDialog);
  SetDocumentOpener([](const std::string& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(FromPath(path)));
  });
}

}  // namespace velk
