#pragma once
// The window layer's input box and printer: real dialogs behind the seams
// of src/platform (input_box.h, printer.h).
#include <QString>

#include "platform/input_box.h"
#include "platform/printer.h"

class QPrinter;

namespace velk {

// Lays the request's text out in its font on `printer` and prints it as one
// document; false when the printer could not be started.
bool PrintOnPrinter(const PrintRequest& request, QPrinter& printer);
// The same layout written to a PDF file (tests and screenshots look at it).
bool PrintToPdf(const PrintRequest& request, const QString& pdfPath);

// Routes ShowInputBox to a QInputDialog and PrintText to the printer dialog
// and the chosen printer.
void InstallQtInputBoxHandler();
void InstallQtPrintHandler();

}  // namespace velk
