#pragma once
// The Timetable tab: lists the arrivals and departures of chosen airports
// (Show), re-labels them when the display zone changes, sorts them by any
// column, opens a row's flight in the flight editor on a double-click,
// prints and saves the list, and opens the statistics report. The main
// window owns the controls; this controller owns what they do.
#include <QObject>
#include <QPointer>
#include <QString>
#include <string>
#include <vector>

#include "timetable/timetable_rows.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace velk {

class PlanHost;
class ReportWindow;

struct TimetableControls {
  QLineEdit* txtTTAirport = nullptr;
  QComboBox* cmTTDay = nullptr;  // item data -1 ("#Week#"), 0 Sunday .. 6 Saturday
  QLineEdit* txtTTStart = nullptr;
  QLineEdit* txtTTEnd = nullptr;
  QLineEdit* txtTTPercent = nullptr;
  QCheckBox* ckTTIFR = nullptr;
  QCheckBox* ckTTVFR = nullptr;
  QCheckBox* ckTTArrival = nullptr;
  QCheckBox* ckTTDeparture = nullptr;
  QComboBox* cmTTZone = nullptr;
  QLabel* lblTTPreview = nullptr;
  QTreeWidget* lvTimetable = nullptr;  // columns Time .. Registration
  QPushButton* cmdTTShow = nullptr;
  QPushButton* cmdTTPrint = nullptr;
  QPushButton* cmdTTSave = nullptr;
  QPushButton* cmdTTStatistics = nullptr;
};

inline constexpr const char* kTimetableStatisticsCaption = "Airport Timetable Statistics";

class TimetableTab : public QObject {
  Q_OBJECT
 public:
  TimetableTab(const TimetableControls& controls, PlanHost& host, QObject* parent = nullptr);
  ~TimetableTab() override;

  // Empties the list for a changed plan: Print, Save and Statistics wait for
  // the next Show.
  void Reset();
  // Builds the list from the plan and the tab's boxes (after checking the
  // time and percent boxes; a refused box builds nothing).
  void Show();
  void Print();
  void Save();
  // Opens the statistics report of the listed rows.
  void ShowStatistics();
  // The zone choice changed: the listed times move to the new zone.
  void ChangeZone();
  // Opens the selected row's flight in the flight editor.
  void EditSelectedFlight();

  // The box checks: false after the user was told why (the focus is put
  // back into the box).
  bool ValidateStart();
  bool ValidateEnd();
  bool ValidatePercent();

  // The zone the listed rows are shown in.
  const QString& ShownZone() const { return shownZone_; }
  // The rows as the list shows them now, in its current order.
  std::vector<TimetableRow> ListedRows() const;
  // The statistics window while it is open, else null.
  ReportWindow* StatisticsWindow() const;

 private:
  // What the boxes held when the list was built: the printout and the
  // statistics describe the rows, not what was typed since.
  struct Built {
    std::string airports;
    std::string day;
    std::string start;
    std::string end;
  };

  TimetableFilter ReadFilter() const;
  bool Check(QLineEdit* box, const std::string& message);
  void SortNow();

  TimetableControls c_;
  PlanHost& host_;
  QString shownZone_;
  Built built_;
  QPointer<ReportWindow> statistics_;
};

}  // namespace velk
