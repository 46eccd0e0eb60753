// The print commands of the desktop app: 打印… (Ctrl+P, the system print dialog), 打印预览 (page
// by page, with zoom) and 导出 PDF…, each for the sheet shown, the three record tables or the
// whole workbook. Long documents show their progress and can be cancelled. The layout is the
// core's; the printer and preview draw it with a QPainter, the PDF is written like `vardex pdf`
// writes it.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

#include "project/print_selection.hpp"

class QAction;
class QPrinter;
class QPrintPreviewDialog;
class QToolBar;
class QWidget;

namespace vardex {

namespace host {
class Workbook;
}
namespace print {
class Canvas;
class PrintJob;
}  // namespace print
class MessageBoxes;

class PrintCommands : public QObject {
  Q_OBJECT

 public:
  /// Asks which sheets to print; nothing when cancelled.
  using ChoiceAsker = std::function<std::optional<PrintChoice>(const QString& title)>;
  /// Lets the user pick and set up a printer; false when cancelled.
  using PrinterSetup = std::function<bool(QPrinter& printer)>;
  /// Shows the preview dialog (modal by default).
  using PreviewShower = std::function<void(QPrintPreviewDialog& dialog)>;
  /// Asks for the PDF file to write, starting at `suggested`; empty when cancelled.
  using PdfPathChooser = std::function<QString(const QString& suggested)>;

  /// `window` parents the dialogs; `project` gives the project (null: none); `messages` shows
  /// what goes wrong.
  PrintCommands(QWidget* window, MessageBoxes& messages, std::function<host::Workbook*()> project);

  /// Adds the three commands to `tools` before `before` and their shortcuts to the window.
  void addActions(QToolBar* tools, QAction* before);

  void printProject();
  void previewProject();
  void exportPdf();

  void setChoiceAsker(ChoiceAsker asker) { mAskChoice = std::move(asker); }
  void setPrinterSetup(PrinterSetup setup) { mPrinterSetup = std::move(setup); }
  void setPreviewShower(PreviewShower shower) { mShowPreview = std::move(shower); }
  void setPdfPathChooser(PdfPathChooser chooser) { mChoosePdfPath = std::move(chooser); }

 private:
  std::optional<std::vector<std::string>> askSheets(const QString& title);
  /// Draws the job on `canvas` with a progress dialog; false when the user cancelled.
  bool run(print::PrintJob& job, print::Canvas& canvas, const QString& what);
  void report(const QString& title, const std::string& message);
  std::string filePath() const;

  QWidget* mWindow;
  MessageBoxes& mMessages;
  std::function<host::Workbook*()> mProject;
  PrintChoice mLastChoice = PrintChoice::kRecordTables;
  ChoiceAsker mAskChoice;
  PrinterSetup mPrinterSetup;
  PreviewShower mShowPreview;
  PdfPathChooser mChoosePdfPath;
};

}  // namespace vardex
