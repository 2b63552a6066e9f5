#pragma once
// The window layer's input box and printer: real dialogs behind the seams
// of src/platform (input_box.h, printer.h).
#include <QString>
#include <optional>
#include <string>

#include "platform/input_box.h"
#include "platform/printer.h"

class QPrinter;
class QWidget;

namespace velk {

// Lays the request's text out in its font on `printer` and prints it as one
// document; false when the printer could not be started.
bool PrintOnPrinter(const PrintRequest& request, QPrinter& printer);
// The same layout written to a PDF file (tests and screenshots look at it).
bool PrintToPdf(const PrintRequest& request, const QString& pdfPath);

// Asks for one line of text in an input box over `window`, its top-left
// corner 1/`divisor` of the window's width right of its left edge and as
// far below its top. The text typed, or nothing when cancelled.
std::optional<std::string> AskOver(QWidget& window, const std::string& prompt, const std::string& title,
                                   const std::string& defaultText, int divisor);

// Routes ShowInputBox to a QInputDialog and PrintText to the printer dialog
// and the chosen printer.
void InstallQtInputBoxHandler();
void InstallQtPrintHandler();

}  // namespace velk
