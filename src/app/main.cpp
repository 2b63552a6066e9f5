#include <QApplication>
#include <QStringList>

#include "app/frm_about.h"
#include "app/frm_main.h"
#include "platform/qt/qt_message_box.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(velk::kApplicationTitle);
  QApplication::setApplicationVersion(QString("%1.%2.%3")
                                          .arg(velk::kVersionMajor)
                                          .arg(velk::kVersionMinor)
                                          .arg(velk::kVersionRevision));
  velk::InstallQtMessageBoxHandler();
  velk::frmMain window;
  const QStringList args = app.arguments();
  if (args.size() > 1) window.SetCommandLinePlan(args.at(1).toStdString());
  if (!window.StartUp()) return 1;
  return app.exec();
}
