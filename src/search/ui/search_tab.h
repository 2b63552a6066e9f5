#pragma once
// The Export/Search tab: searching the plan's flights by criteria or by one
// of the Analyze reports, the result list lvExPreview over the work list,
// adding, editing and deleting flights from it, exporting the found and the
// remaining flights, printing the list, its column sort and its display
// zone. The main window owns the controls and hands them over; the plan,
// the busy frame, undo and the Edit Flight dialog are reached through
// PlanHost.
#include <QObject>
#include <QPoint>
#include <functional>
#include <string>
#include <vector>

#include "search/flight_search.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeView;

namespace velk {

class PlanHost;
class SearchResultModel;

struct SearchControls {
  QLineEdit* txtExDeparture = nullptr;
  QLineEdit* txtExLeg = nullptr;
  QLineEdit* txtExContinent = nullptr;
  QLineEdit* txtExCountry = nullptr;
  QLineEdit* txtExAirline = nullptr;
  QCheckBox* ckExportIFR = nullptr;
  QCheckBox* ckExportVFR = nullptr;
  QComboBox* cmExportAircraft = nullptr;
  QComboBox* cmExClass = nullptr;
  QComboBox* cmExZone = nullptr;  // its "Tag" property: the zone the list shows
  QRadioButton* opANDSearch = nullptr;
  QRadioButton* opORSearch = nullptr;
  QLabel* lblExPreview = nullptr;
  QTreeView* lvExPreview = nullptr;
  QPushButton* cmdEditFlight = nullptr;
  QPushButton* cmdAddFlight = nullptr;
  QPushButton* cmdDeleteFlight = nullptr;
  QPushButton* cmdPreview = nullptr;
  QPushButton* cmdExport = nullptr;
  QPushButton* cmdExportRemainder = nullptr;
  QPushButton* cmdExportPrint = nullptr;
};

// Messages of the tab.
inline constexpr const char* kDeleteQuestion = "Are you sure to remove the selected flights from the Flightplan?";
inline constexpr const char* kReplaceRemovedQuestion = "Replace 'Removed Flights.txt' in the chosen folder?";
inline constexpr const char* kPrintFailedMessage = "Printing failed.";

class SearchTab : public QObject {
  Q_OBJECT
 public:
  // Takes over the list (its model, header clicks, double clicks and right
  // button) and the tab's buttons and zone box.
  SearchTab(const SearchControls& controls, PlanHost& host, QObject* parent = nullptr);
  ~SearchTab() override;

  // Fills the work list and the list with what `mode` finds (the two texts
  // are the departure and leg criteria, used by ByCriteria only). Leaves the
  // buttons as they are.
  void SearchFlights(const std::string& departure, const std::string& leg, SearchMode mode);
  // After the plan changed: the list and work list emptied, the aircraft
  // choice refilled, Add and Search enabled, the rest disabled.
  void ResetSearchResults();
  // No plan: everything emptied and every button disabled.
  void EnterNoPlan();
  // An Analyze report (or the missing-aircraft listing when a plan opens):
  // the search, the buttons by its result, and the tab shown.
  void RunReport(SearchMode mode);

  // The commands of the tab's controls and of the Analyze menu; each does
  // nothing while the main window is busy.
  void PreviewClicked();
  void ReportCommand(SearchMode mode);
  void ZoneChanged();
  void AddClicked();
  void EditClicked();
  void DeleteClicked();
  void ExportClicked();
  void ExportRemainderClicked();
  void PrintClicked();
  void ColumnClicked(int column);
  // The right button released over the list.
  void ListMouseUp(Qt::MouseButton button, const QPoint& globalPosition);

  SearchResultModel* Model() const { return model_; }
  // The work-list entries of the selected rows, in display order.
  std::vector<int> SelectedEntries() const;

  // Seams for tests: distances, courses and level rules; the scenery
  // airports for the region and country criteria (null or empty: none).
  void SetLegGeometry(LegGeometry geometry) { geometry_ = std::move(geometry); }
  void SetSceneryLoader(std::function<const std::vector<SceneryAirport>*()> loader) {
    sceneryLoader_ = std::move(loader);
  }

 signals:
  // The Select pop-up menu should open at this screen position.
  void selectMenuRequested(const QPoint& globalPosition);

 private:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void SetResultButtons(bool enabled);
  void SetCaptionForRows();
  // The selected row: the current one when selected, else the first
  // selected in display order; -1 when none.
  int SelectedRow() const;
  // Selects exactly display row `row` and makes it current.
  void SelectOnly(int row);
  // The topmost row in view, or -1 when the list is empty.
  int TopVisibleRow() const;
  std::string Zone() const;
  std::string ShownZone() const;
  SearchCriteria ReadCriteria() const;
  const std::vector<SceneryAirport>* LoadScenery();
  bool WriteExport(const std::string& path, std::vector<Flight> flights, int count);
  std::string AskExportPath(const char* title, const char* fileName) const;

  SearchControls c_;
  PlanHost& host_;
  SearchResultModel* model_ = nullptr;
  LegGeometry geometry_;
  std::function<const std::vector<SceneryAirport>*()> sceneryLoader_;
};

}  // namespace velk
