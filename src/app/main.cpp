#include <QApplication>
#include <QStringList>
#include <QTimer>

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

  // Arguments: an optional flight plan to open; "--screenshot FILE" (for
  // developers) saves a picture of the main window once the splash is gone
  // and ends the program.
  QString screenshot;
  QStringList args = app.arguments().mid(1);
  if (int at = args.indexOf("--screenshot"); at >= 0 && at + 1 < args.size()) {
    screenshot = args.at(at + 1);
    args.remove(at, 2);
  }
  velk::frmMain window;
  if (!args.isEmpty()) window.SetCommandLinePlan(args.first().toStdString());
  if (!window.StartUp()) return 1;
  if (!screenshot.isEmpty()) {
    QTimer::singleShot(window.SplashInterval() + 500, &window, [&] {
      bool saved = window.grab().save(screenshot, "PNG");
      QApplication::exit(saved ? 0 : 1);
    });
  }
  return app.exec();
}
