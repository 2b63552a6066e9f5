#pragma once
// The printer through which every printout goes: the user picks a printer
// in the printer dialog, then one text is printed as one document in one
// font. The window layer installs a handler that shows the dialog and prints
// with the system's printing; tests install ScriptedPrinter, which records
// the jobs (and can render them to a PDF file), so nothing blocks.
#include <deque>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace velk {

struct PrintRequest {
  std::string dialogTitle;  // the printer dialog's caption
  // Windows-1252 text; CRLF (or LF) starts a new line. The printer breaks
  // pages where they are full.
  std::string text;
  std::string fontName = "Courier New";
  int pointSize = 10;
  QWidget* owner = nullptr;
  // Called once the user has confirmed the printer dialog, before the
  // document goes to the printer: a caller shows its progress from here on
  // (the dialog comes first, and a cancelled one shows nothing).
  std::function<void()> accepted;
};

enum class PrintResult {
  Printed,    // the document reached the printer
  Cancelled,  // the user closed the printer dialog without printing
  Failed,     // the printer could not be opened or the job failed
};

using PrintHandler = std::function<PrintResult(const PrintRequest&)>;

PrintResult PrintText(const PrintRequest& request);
// Installs the handler and returns the previous one. Without one every
// print counts as failed.
PrintHandler SetPrintHandler(PrintHandler handler);

// Test seam: answers each print from a queue (Printed once it is empty) and
// records every request. With a PDF path set, printed jobs are also handed
// to `render` (the window tests install one that writes a PDF file).
class ScriptedPrinter {
 public:
  ScriptedPrinter();
  ~ScriptedPrinter();
  ScriptedPrinter(const ScriptedPrinter&) = delete;
  ScriptedPrinter& operator=(const ScriptedPrinter&) = delete;

  void Answer(PrintResult result) { answers_.push_back(result); }
  const std::vector<PrintRequest>& Jobs() const { return jobs_; }
  // Called for each job answered Printed, before the answer is returned.
  std::function<void(const PrintRequest&)> render;

 private:
  std::deque<PrintResult> answers_;
  std::vector<PrintRequest> jobs_;
  PrintHandler previous_;
};

}  // namespace velk
