#include "airport_tools/ui/airport_tools.h"

#include <QAction>

#include "airport_tools/gate_resize.h"
#include "airport_tools/ui/frm_airport_search.h"
#include "airport_tools/ui/frm_distance.h"
#include "airport_tools/ui/frm_resize_gates.h"
#include "data/scenery_cache.h"
#include "gui/plan_host.h"
#include "platform/message_box.h"

namespace velk {
namespace {

constexpr const char* kCacheNotDeletedMessage = "The Cache file 'AFDCache.dat' could not be deleted.";

// Shows a tool window that deletes itself when it is closed.
template <class Window>
void Present(Window* window) {
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->show();
  window->raise();
  window->activateWindow();
}

}  // namespace

AirportTools::AirportTools(const AirportToolsControls& controls, PlanHost& host, QObject* parent)
    : QObject(parent), c_(controls), host_(host) {
  connect(c_.mnuToolsAirportSearch, &QAction::triggered, this, &AirportTools::ShowAirportSearch);
  connect(c_.mnuToolsAirportDistance, &QAction::triggered, this, &AirportTools::ShowAirportDistance);
  connect(c_.mnuToolsResizeGates, &QAction::triggered, this, &AirportTools::ShowResizeGates);
  connect(c_.mnuToolsDeleteCache, &QAction::triggered, this, &AirportTools::DeleteCache);
}

AirportTools::~AirportTools() {
  // The windows belong to the main window, which outlives this controller
  // by a moment; they must not call back into it meanwhile.
  for (QWidget* w : std::initializer_list<QWidget*>{search_.data(), distance_.data(), resize_.data()})
    if (w) delete w;
}

frmAirportSearch* AirportTools::SearchWindow() const { return search_.data(); }
frmDistance* AirportTools::DistanceWindow() const { return distance_.data(); }
frmResizeGates* AirportTools::ResizeWindow() const { return resize_.data(); }

// Brings the open window of a kind forward, or opens one, which loads the
// scenery airports before it shows.
template <class Window>
void AirportTools::OpenToolWindow(QPointer<Window>& slot) {
  if (host_.IsBusy()) return;
  if (slot) {
    Present(slot.data());
    return;
  }
  slot = new Window(host_, host_.Window());
  // A closed window is gone for the menu at once, not when Qt deletes it.
  connect(slot.data(), &QDialog::finished, this, [&slot] { slot = nullptr; });
  // Loaded before it is shown, as a form loads: the end of the load hands
  // the focus back to the main window, and the new window must take it after.
  slot->Load();
  Present(slot.data());
}

void AirportTools::ShowAirportSearch() { OpenToolWindow(search_); }

void AirportTools::ShowAirportDistance() { OpenToolWindow(distance_); }

void AirportTools::ShowResizeGates() {
  if (host_.IsBusy()) return;
  if (!resize_) {
    resize_ = new frmResizeGates(host_, host_.Window(), [this] { DiscardScenery(); });
    connect(resize_.data(), &QDialog::finished, this, [this] { resize_ = nullptr; });
    resize_->setWindowModality(Qt::ApplicationModal);
  }
  Present(resize_.data());
}

void AirportTools::DeleteCache() {
  if (host_.IsBusy()) return;
  if (ShowMessageBox(kDeleteCacheQuestion, kMbYesNo | kMbIconQuestion, kProgramTitle, host_.Window()) != kIdYes)
    return;
  DiscardScenery();
}

void AirportTools::DiscardScenery() {
  const bool deleted = DiscardSceneryAirports(host_.ProgramFolder());
  if (search_) search_->close();
  if (distance_) distance_->close();
  if (!deleted) ShowMessageBox(kCacheNotDeletedMessage, kMbOk | kMbIconExclamation, kProgramTitle, host_.Window());
}

}  // namespace velk
