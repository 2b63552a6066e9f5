#include "platform/qt/qt_dialogs.h"

#include <QFont>
#include <QInputDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QAbstractTextDocumentLayout>
#include <QTextDocument>
#include <QTextOption>
#include <QWidget>

#include "platform/qt/qt_text.h"

namespace velk {
namespace {

std::optional<std::string> ShowQtInputBox(const InputBoxRequest& r) {
  QInputDialog box(r.owner);
  box.setWindowTitle(FromPlanText(r.title));
  box.setLabelText(FromPlanText(r.prompt));
  box.setTextValue(FromPlanText(r.defaultText));
  if (r.usePosition) box.move(r.x, r.y);
  if (box.exec() != QDialog::Accepted) return std::nullopt;
  return ToPlanText(box.textValue());
}

PrintResult ShowQtPrint(const PrintRequest& r) {
  QPrinter printer(QPrinter::HighResolution);
  QPrintDialog dialog(&printer, r.owner);
  dialog.setWindowTitle(FromPlanText(r.dialogTitle));
  if (dialog.exec() != QDialog::Accepted) return PrintResult::Cancelled;
  if (r.accepted) r.accepted();
  return PrintOnPrinter(r, printer) ? PrintResult::Printed : PrintResult::Failed;
}

}  // namespace

bool PrintOnPrinter(const PrintRequest& r, QPrinter& printer) {
  QFont font(FromPlanText(r.fontName), r.pointSize);
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  QTextDocument document;
  document.setDefaultFont(font);
  // The text is laid out as it stands: columns padded with blanks must stay
  // under each other, so nothing is wrapped or re-flowed.
  QTextOption option = document.defaultTextOption();
  option.setWrapMode(QTextOption::NoWrap);
  document.setDefaultTextOption(option);
  QString text = FromPlanText(r.text);
  text.replace("\r\n", "\n");
  text.replace('\r', '\n');
  document.setPlainText(text);
  if (!printer.isValid()) return false;
  // Laid out on the printer's own page, so the document adds no page
  // numbers or margins of its own to the text.
  document.documentLayout()->setPaintDevice(&printer);
  document.setPageSize(printer.pageRect(QPrinter::DevicePixel).size());
  document.print(&printer);
  return printer.printerState() != QPrinter::Error && printer.printerState() != QPrinter::Aborted;
}

bool PrintToPdf(const PrintRequest& r, const QString& pdfPath) {
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(pdfPath);
  return PrintOnPrinter(r, printer);
}

std::optional<std::string> AskOver(QWidget& window, const std::string& prompt, const std::string& title,
                                   const std::string& defaultText, int divisor) {
  QRect area = window.frameGeometry();
  InputBoxRequest request;
  request.prompt = prompt;
  request.title = title;
  request.defaultText = defaultText;
  request.owner = &window;
  request.usePosition = true;
  request.x = area.left() + area.width() / divisor;
  request.y = area.top() + area.height() / divisor;
  return ShowInputBox(request);
}

void InstallQtInputBoxHandler() { SetInputBoxHandler(&ShowQtInputBox); }

void InstallQtPrintHandler() { SetPrintHandler(&ShowQtPrint); }

}  // namespace velk
