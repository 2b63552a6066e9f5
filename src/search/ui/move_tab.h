#pragma once
// The Move tab: the traffic of the aircraft checked in tvMoveAircrafts moves
// from the airport of cmSource to that of cmDest, wholly (cmdMove) or by a
// percentage (cmdMovePercent); the choice can be kept in an action file
// (cmdMoveSave), read back (cmdMoveLoad) and run again (cmdMoveExecute).
// The tree's view chooser is the main window's (it rebuilds the tree).
#include <QObject>
#include <string>

class QComboBox;
class QPushButton;
class QTreeWidget;

namespace velk {

class PlanHost;

struct MoveControls {
  QTreeWidget* tvMoveAircrafts = nullptr;
  QComboBox* cmSource = nullptr;
  QComboBox* cmDest = nullptr;
  QPushButton* cmdMove = nullptr;
  QPushButton* cmdMovePercent = nullptr;
  QPushButton* cmdMoveSave = nullptr;
  QPushButton* cmdMoveLoad = nullptr;
  QPushButton* cmdMoveExecute = nullptr;
};

inline constexpr const char* kSameAirportsMessage = "Source and destination should be different.";
inline constexpr const char* kMovePercentPrompt = "Please enter the percent of traffic you want to move:";
inline constexpr const char* kActionSavedMessage = "Successfully saved Corrivan action.";
inline constexpr const char* kActionLoadedMessage = "Successfully loaded Corrivan action.";
inline constexpr const char* kNotAnActionMessage = "This is not a valid VELK Corrivan action file.";
// An action's airport that this plan lacks would leave the old airport in
// its box, and Execute would move traffic the user never chose.
std::string ActionAirportMissingMessage(const std::string& icao);

class MoveTab : public QObject {
  Q_OBJECT

 public:
  MoveTab(const MoveControls& controls, PlanHost& host, QObject* parent = nullptr);

  // After a plan was opened or its data replaced: both airport boxes list
  // the plan's airports sorted by code (case ignored, repeats kept) with the
  // first selected; Save and Execute are off, Move, Percent and Load on
  // exactly when there are airports; no percent is remembered.
  void FillMoveAirports();

  // cmdMove: every matching leg moves; says how many.
  void MoveTraffic();
  // cmdMovePercent: asks for the percent (or, while an action runs, takes
  // the remembered one) and moves that share of the matching legs.
  void MoveTrafficPercent();
  // cmdMoveExecute: the percent move with the remembered percent, or the
  // plain move when none is remembered.
  void ExecuteAction();
  // cmdMoveSave: writes the checked aircraft, the two airports and
  // `percent` to an action file chosen by the user. True when written.
  bool SaveMoveAction(int percent);
  // cmdMoveLoad: reads an action file chosen by the user into the tab. True
  // when it was an action file whose airports are in the plan.
  bool LoadMoveAction();

  // The percent of the last percent move or loaded action; -1 for none.
  int MovePercent() const { return movePercent_; }

 private:
  bool AirportsDiffer();
  void RunMove(bool percent);

  MoveControls c_;
  PlanHost& host_;
  int movePercent_ = -1;
  bool actionRunning_ = false;
};

}  // namespace velk
