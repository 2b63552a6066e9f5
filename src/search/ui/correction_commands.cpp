#include "search/ui/correction_commands.h"

#include <QAction>
#include <QCoreApplication>
#include <optional>

#include "gui/plan_host.h"
#include "platform/message_box.h"
#include "search/plan_corrections.h"
#include "search/randomizers.h"
#include "search/ui/number_prompt.h"

namespace velk {

CorrectionCommands::CorrectionCommands(const CorrectionControls& controls, PlanHost& host, QObject* parent)
    : QObject(parent), c_(controls), host_(host) {
  connect(c_.mnuToolsCheckFL, &QAction::triggered, this, &CorrectionCommands::CorrectFlightLevels);
  connect(c_.mnuToolsRandFlightNumbers, &QAction::triggered, this, &CorrectionCommands::RandomizeFlightNumbers);
  connect(c_.mnuToolsRandPerc, &QAction::triggered, this, &CorrectionCommands::RandomizePercent);
  connect(c_.mnuToolsRandPlan, &QAction::triggered, this, &CorrectionCommands::RandomizePlanOrder);
  connect(c_.mnuToolsRemoveMinus, &QAction::triggered, this, &CorrectionCommands::RemoveMinus);
}

void CorrectionCommands::Tell(const std::string& text, int icon) {
  ShowMessageBox(text, kMbOk | icon, kProgramTitle, host_.Window());
}

void CorrectionCommands::ChangePlan(const std::function<void()>& change, const char* doneMessage) {
  BusyFrame busy(host_);
  QCoreApplication::processEvents();
  host_.SaveUndo();
  change();
  host_.ResetTimetable();
  host_.ResetSearchResults();
  host_.MarkPlanModified();
  Tell(doneMessage, kMbIconInformation);
}

bool CorrectionCommands::AskRange(const char* title, const char* startPrompt, const char* startDefault,
                                  const char* endPrompt, const char* endDefault, int lo, int hi,
                                  const char* invalidMessage, const char* orderMessage, int& start, int& end) {
  auto ask = [&](const char* prompt, const char* defaultText, int& value) {
    for (;;) {
      std::optional<std::int32_t> answer = AskWholeNumber(host_, prompt, title, defaultText);
      if (!answer) return false;
      if (*answer >= lo && *answer <= hi) {
        value = *answer;
        return true;
      }
      Tell(invalidMessage, kMbIconExclamation);
    }
  };
  for (;;) {
    if (!ask(startPrompt, startDefault, start) || !ask(endPrompt, endDefault, end)) return false;
    if (end - start > 0) return true;
    Tell(orderMessage, kMbIconExclamation);
  }
}

void CorrectionCommands::CorrectFlightLevels() {
  if (host_.IsBusy()) return;
  ChangePlan([this] { velk::CorrectFlightLevels(host_.Plan()); }, kLevelsCorrectedMessage);
}

void CorrectionCommands::RandomizeFlightNumbers() {
  if (host_.IsBusy()) return;
  int first = 0;
  int last = 0;
  // Numbers above four digits would be cut when the plan is read again.
  if (!AskRange(kFlightNumberTitle, kFlightNumberStartPrompt, "1", kFlightNumberEndPrompt, "999", 0,
                kMaxFlightNumber, kInvalidValueMessage, kFlightNumberOrderMessage, first, last))
    return;
  const bool oddEven =
      ShowMessageBox(kOddEvenQuestion, kMbYesNo | kMbIconQuestion, kProgramTitle, host_.Window()) == kIdYes;
  ChangePlan([&] { velk::RandomizeFlightNumbers(host_.Plan().Flights, first, last, oddEven); },
             kFlightNumbersDoneMessage);
}

void CorrectionCommands::RandomizePercent() {
  if (host_.IsBusy()) return;
  int first = 0;
  int last = 0;
  if (!AskRange(kPercentTitle, kPercentStartPrompt, "1", kPercentEndPrompt, "99", 1, 99, kInvalidPercentMessage,
                kPercentOrderMessage, first, last))
    return;
  ChangePlan([&] { velk::RandomizePercent(host_.Plan().Flights, first, last); }, kPercentDoneMessage);
}

void CorrectionCommands::RandomizePlanOrder() {
  if (host_.IsBusy()) return;
  ChangePlan([this] { velk::RandomizePlanOrder(host_.Plan().Flights); }, kPlanOrderDoneMessage);
}

void CorrectionCommands::RemoveMinus() {
  if (host_.IsBusy()) return;
  ChangePlan([this] { RemoveMinusFromRegistrations(host_.Plan().Flights); }, kRemoveMinusDoneMessage);
}

}  // namespace velk
