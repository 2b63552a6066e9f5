#pragma once
// The report window: a finished plain-text report in a read-only box with
// Print, Save and Close. The timetable statistics and the airport
// information are both shown in it; they differ only in a handful of texts
// (ReportTexts). Printed and saved reports begin with the window's caption
// and the current date and time.
#include <QDialog>
#include <QString>
#include <functional>
#include <string>

class QPlainTextEdit;
class QPushButton;

namespace velk {

// The texts of one kind of report window (Windows-1252).
struct ReportTexts {
  std::string formName;            // the window's object name ("frmTTStatistics")
  std::string printerTitle;        // caption of the printer dialog
  std::string printedMessage;      // after a print
  std::string printFailedMessage;  // when the printer could not print
  std::string saveTitle;           // caption of the save dialog
  std::string savedMessage;        // after a save
  std::string saveFailedMessage;   // when the file could not be written
};

// The current date and time as the user's locale writes them in short form
// (the report headers and the timetable's title line), Windows-1252.
std::string ReportDateText();

class ReportWindow : public QDialog {
  Q_OBJECT
 public:
  // `caption` is the window's caption and the first words of every printed
  // or saved report; `fileName` the name the save dialog proposes.
  ReportWindow(ReportTexts texts, const std::string& caption, const std::string& fileName,
               const std::string& report, QWidget* owner);

  QPlainTextEdit* txtInfo = nullptr;
  QPushButton* cmdPrint = nullptr;
  QPushButton* cmdSave = nullptr;
  QPushButton* cmdClose = nullptr;

  // What is printed and saved: caption, " - ", `dateText`, two CR LF, then
  // the report exactly as shown (no line end is added after it).
  std::string Document(const std::string& dateText) const;
  const std::string& Report() const { return report_; }

  // Asks for a printer and prints the document, then says whether it was
  // printed; a cancelled printer dialog does nothing.
  void Print();
  // Asks for a file and writes the document there, replacing the file as a
  // whole, then says whether it was saved (and when not, why); a cancelled
  // dialog does nothing.
  void Save();

  // Runs each time the window closes, however it is closed.
  std::function<void()> onUnload;

 private:
  ReportTexts texts_;
  std::string caption_;
  std::string fileName_;
  std::string report_;
};

// Opens a report window modal over `owner` and returns it; the window
// deletes itself when it is closed.
ReportWindow* ShowReportWindow(ReportTexts texts, const std::string& caption, const std::string& fileName,
                               const std::string& report, QWidget* owner, std::function<void()> onUnload);

}  // namespace velk
