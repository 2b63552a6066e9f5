#include <QApplication>
#include <QBuffer>
#include <QByteArray>
#include <QFileInfo>
#include <QStringList>
#include <QTimer>

#include "app/frm_about.h"
#include "app/frm_main.h"
#include "app/qt_seams.h"
#include "platform/qt/qt_text.h"
#include "platform/text_file.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(velk::kApplicationTitle);
  QApplication::setApplicationVersion(QString("%1.%2.%3")
                                          .arg(velk::kVersionMajor)
                                          .arg(velk::kVersionMinor)
                                          .arg(velk::kVersionRevision));
  velk::InstallQtSeams();

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
  // The plan is kept by its full path (the recent list and the status bar
  // show it), whatever folder the program was started from.
  if (!args.isEmpty()) window.SetCommandLinePlan(velk::ToPath(QFileInfo(args.first()).absoluteFilePath()).string());
  if (!window.StartUp()) return 1;
  // The plan named on the command line opens once the window is up.
  if (!window.CommandLinePlan().empty())
    QTimer::singleShot(0, &window, [&window] { window.LoadFlightplan(window.CommandLinePlan()); });
  if (!screenshot.isEmpty()) {
    // The picture is made in memory and written as every file is, through
    // the atomic writer, so that no link planted at the name is followed.
    QTimer::singleShot(window.SplashInterval() + 500, &window, [&] {
      QByteArray png;
      QBuffer buffer(&png);
      const bool saved =
          buffer.open(QIODevice::WriteOnly) && window.grab().save(&buffer, "PNG") &&
          velk::WriteFileAtomic(velk::ToPath(screenshot), std::string_view(png.constData(), png.size()));
      QApplication::exit(saved ? 0 : 1);
    });
  }
  return app.exec();
}
