#include "platform/printer.h"

namespace velk {
namespace {

PrintHandler& Handler() {
  static PrintHandler handler;
  return handler;
}

}  // namespace

PrintResult PrintText(const PrintRequest& request) {
  return Handler() ? Handler()(request) : PrintResult::Failed;
}

PrintHandler SetPrintHandler(PrintHandler handler) {
  PrintHandler previous = std::move(Handler());
  Handler() = std::move(handler);
  return previous;
}

ScriptedPrinter::ScriptedPrinter() {
  previous_ = SetPrintHandler([this](const PrintRequest& r) {
    PrintResult result = PrintResult::Printed;
    if (!answers_.empty()) {
      result = answers_.front();
      answers_.pop_front();
    }
    if (result != PrintResult::Cancelled && r.accepted) r.accepted();
    // Recorded as it goes to the printer: a caller may make the text once
    // the dialog is confirmed.
    jobs_.push_back(r);
    if (result == PrintResult::Printed && render) render(r);
    return result;
  });
}

ScriptedPrinter::~ScriptedPrinter() { SetPrintHandler(std::move(previous_)); }

}  // namespace velk
