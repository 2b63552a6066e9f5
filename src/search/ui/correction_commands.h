#pragma once
// The Tools menu's plan-wide corrections: new flight levels, random flight
// numbers, AI percentages and plan order, and tail numbers without "-".
// Each asks for its input first (a cancel or a text that is no number ends
// it without a change), then takes the undo copy, changes every flight,
// empties the search and timetable lists, marks the plan modified and says
// it is done.
#include <QObject>
#include <functional>
#include <string>

class QAction;

namespace velk {

class PlanHost;

struct CorrectionControls {
  QAction* mnuToolsCheckFL = nullptr;
  QAction* mnuToolsRandFlightNumbers = nullptr;
  QAction* mnuToolsRandPerc = nullptr;
  QAction* mnuToolsRandPlan = nullptr;
  QAction* mnuToolsRemoveMinus = nullptr;
};

inline constexpr const char* kLevelsCorrectedMessage = "Successfully checked Flight Levels for all flights.";
inline constexpr const char* kFlightNumberTitle = "Random Flight Number";
inline constexpr const char* kFlightNumberStartPrompt = "Please enter the start number:";
inline constexpr const char* kFlightNumberEndPrompt = "Please enter the end number:";
inline constexpr const char* kInvalidValueMessage = "Invalid value entered.";
inline constexpr const char* kFlightNumberOrderMessage = "The start number has to be less than the end number.";
inline constexpr const char* kOddEvenQuestion = "Do you want to use odd and even Flight Numbers?";
inline constexpr const char* kFlightNumbersDoneMessage = "Successfully randomized the Flight Numbers.";
inline constexpr const char* kPercentTitle = "Random AI percentage";
inline constexpr const char* kPercentStartPrompt = "Please enter the start percentage:";
inline constexpr const char* kPercentEndPrompt = "Please enter the end percentage:";
inline constexpr const char* kInvalidPercentMessage = "Invalid value entered (1-99 allowed).";
inline constexpr const char* kPercentOrderMessage = "The start percentage has to be less than the end value.";
inline constexpr const char* kPercentDoneMessage = "Successfully randomized the AI percentage.";
inline constexpr const char* kPlanOrderDoneMessage = "Successfully randomized the Flight Plan order.";
inline constexpr const char* kRemoveMinusDoneMessage = "Successfully removed all '-' chars.";

// The highest flight number: the plan files keep four digits of it.
inline constexpr int kMaxFlightNumber = 9999;

class CorrectionCommands : public QObject {
  Q_OBJECT

 public:
  CorrectionCommands(const CorrectionControls& controls, PlanHost& host, QObject* parent = nullptr);

  void CorrectFlightLevels();       // mnuToolsCheckFL
  void RandomizeFlightNumbers();    // mnuToolsRandFlightNumbers
  void RandomizePercent();          // mnuToolsRandPerc
  void RandomizePlanOrder();        // mnuToolsRandPlan
  void RemoveMinus();               // mnuToolsRemoveMinus

 private:
  // Asks for a start and an end between lo and hi until both are valid and
  // the start is below the end; false when the user gave up.
  bool AskRange(const char* title, const char* startPrompt, const char* startDefault, const char* endPrompt,
                const char* endDefault, int lo, int hi, const char* invalidMessage, const char* orderMessage,
                int& start, int& end);
  // The change inside the busy frame, with the undo copy before it and the
  // refresh and `doneMessage` after it.
  void ChangePlan(const std::function<void()>& change, const char* doneMessage);
  void Tell(const std::string& text, int icon);

  CorrectionControls c_;
  PlanHost& host_;
};

}  // namespace velk
