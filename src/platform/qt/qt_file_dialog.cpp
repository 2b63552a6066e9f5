#include "platform/qt/qt_file_dialog.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <memory>
#include <utility>

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

void OpenWithDesktop(const std::string& path, DocumentDone done) {
  const QString launcher = QStandardPaths::findExecutable("xdg-open");
  if (launcher.isEmpty()) {
    if (done) done(QDesktopServices::openUrl(QUrl::fromLocalFile(FromPath(path))));
    return;
  }
  // The desktop services only start xdg-open, which fails on its own later
  // when no viewer takes the file; run here, its exit code is known. A
  // launcher may wait for the viewer it started to close, so nothing waits
  // for it: the answer comes through the event loop. One that still runs
  // when the program ends is left to run, as a detached one would be.
  auto* process = new QProcess;
  auto answer = std::make_shared<DocumentDone>(std::move(done));
  auto finish = [process, answer](bool opened) {
    process->deleteLater();
    DocumentDone d = std::exchange(*answer, nullptr);
    if (d) d(opened);
  };
  QObject::connect(process, &QProcess::finished, process, [finish](int code, QProcess::ExitStatus status) {
    finish(status == QProcess::NormalExit && code == 0);
  });
  QObject::connect(process, &QProcess::errorOccurred, process, [finish](QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart) finish(false);
  });
  process->setStandardInputFile(QProcess::nullDevice());
  process->setStandardOutputFile(QProcess::nullDevice());
  process->setStandardErrorFile(QProcess::nullDevice());
  process->start(launcher, {FromPath(path)});
}

void InstallQtFileDialogHandler() {
  SetFileDialogHandler(&ShowQtFileDialog);
  SetDocumentOpener(&OpenWithDesktop);
}

}  // namespace velk
