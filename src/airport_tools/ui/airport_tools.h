#pragma once
// The airport tools of the Tools menu: the airport search and distance
// windows (modeless, one of each), the gate resize window and the deletion
// of the scenery cache. The main window owns the menu entries; this
// controller owns what they do and the windows they open.
#include <QObject>
#include <QPointer>

class QAction;

namespace velk {

class PlanHost;
class frmAirportSearch;
class frmDistance;
class frmResizeGates;

struct AirportToolsControls {
  QAction* mnuToolsAirportSearch = nullptr;
  QAction* mnuToolsAirportDistance = nullptr;
  QAction* mnuToolsResizeGates = nullptr;
  QAction* mnuToolsDeleteCache = nullptr;
};

inline constexpr const char* kDeleteCacheQuestion = "Are your sure to delete all Cache files?";

class AirportTools : public QObject {
  Q_OBJECT
 public:
  AirportTools(const AirportToolsControls& controls, PlanHost& host, QObject* parent = nullptr);
  ~AirportTools() override;

  // Opens the window, or brings the open one forward.
  void ShowAirportSearch();
  void ShowAirportDistance();
  void ShowResizeGates();
  // Asks, then deletes the scenery cache and forgets the scenery airports.
  void DeleteCache();
  // Forgets the scenery airports, deletes their cache and closes the search
  // and distance windows; says so when the cache could not be deleted.
  void DiscardScenery();

  // The open windows, null while closed.
  frmAirportSearch* SearchWindow() const;
  frmDistance* DistanceWindow() const;
  frmResizeGates* ResizeWindow() const;

 private:
  template <class Window>
  void OpenToolWindow(QPointer<Window>& slot);

  AirportToolsControls c_;
  PlanHost& host_;
  QPointer<frmAirportSearch> search_;
  QPointer<frmDistance> distance_;
  QPointer<frmResizeGates> resize_;
};

}  // namespace velk
