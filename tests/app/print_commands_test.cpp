// The print commands through the real widgets: export to PDF, print through Ctrl+P to a printer
// that writes a file, and the preview, each on a calculated sample project.
#include <QAction>
#include <QBuffer>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QtTest>

#include "app/main_window.hpp"
#include "app/print_commands.hpp"
#include "app/print_painter.hpp"
#include "app_test_support.hpp"
#include "print/print_job.hpp"
#include "print/print_settings.hpp"
#include "project/print_selection.hpp"
#include "recording_message_boxes.hpp"
#include "support/qt_tests.hpp"

namespace vardex::test {
namespace {

QString pdfText(const QString& path) {
  QProcess process;
  process.start(QStringLiteral("pdftotext"),
                {QStringLiteral("-layout"), path, QStringLiteral("-")});
  process.waitForFinished(60000);
  return QString::fromUtf8(process.readAllStandardOutput());
}

class PrintCommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void exportsTheRecordTablesToPdf();
  void printsTheActiveSheetWithCtrlP();
  void previewShowsEveryPage();
  void withoutAProjectNothingHappens();
  void aDeviceThatFailsMidJobIsReported();
};

// A device that takes `pages` pages and then refuses the next, as a printer that runs out of
// paper or goes away.
class FailingDevice final : public QPdfWriter {
 public:
  FailingDevice(QIODevice* out, int pages) : QPdfWriter(out), mPagesLeft(pages) {}
  bool newPage() override { return --mPagesLeft > 0 && QPdfWriter::newPage(); }

 private:
  int mPagesLeft;
};

void PrintCommandsTest::exportsTheRecordTablesToPdf() {
  RecordingMessageBoxes messages;
  ProgramFolder folder(true);
  MainWindow window(messages, folder.path());
  QVERIFY(window.openProject(folder.copyExample("road-k1")));
  window.RunCalculation();
  const QString target = folder.path(QStringLiteral("tables.pdf"));
  QString suggested;
  window.printCommands()->setChoiceAsker([](const QString&) { return PrintChoice::kRecordTables; });
  window.printCommands()->setPdfPathChooser([&](const QString& s) {
    suggested = s;
    return target;
  });
  window.findChild<QAction*>(QStringLiteral("actionExportPdf"))->trigger();
  QVERIFY2(messages.shown.isEmpty(),
           messages.shown.isEmpty() ? "" : qPrintable(messages.shown[0].text));
  QVERIFY(suggested.endsWith(QStringLiteral("road-k1.pdf")));
  const QString text = pdfText(target).remove(QLatin1Char(' '));
  for (const char* title : {"水准测量记录表", "施工放样记录表", "第1页共1页", "第2页共2页"})
    QVERIFY2(text.contains(QString::fromUtf8(title)), title);
  QVERIFY(!text.contains(QString::fromUtf8("测量控制数据输入")));  // not the input sheet
}

void PrintCommandsTest::printsTheActiveSheetWithCtrlP() {
  RecordingMessageBoxes messages;
  ProgramFolder folder(true);
  MainWindow window(messages, folder.path());
  QVERIFY(window.openProject(folder.copyExample("road-k1")));
  const QString target = folder.path(QStringLiteral("printed.pdf"));
  window.printCommands()->setChoiceAsker([](const QString&) { return PrintChoice::kActiveSheet; });
  window.printCommands()->setPrinterSetup([&](QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(target);
    return true;
  });
  QAction* print = window.findChild<QAction*>(QStringLiteral("actionPrint"));
  QCOMPARE(print->shortcut(), QKeySequence(QKeySequence::Print));
  print->trigger();
  QVERIFY(messages.shown.isEmpty());
  // Qt's PDF maps some ideographs back to look-alike radicals; these three it keeps.
  QVERIFY(pdfText(target).contains(QString::fromUtf8("测站点")));
}

void PrintCommandsTest::previewShowsEveryPage() {
  RecordingMessageBoxes messages;
  ProgramFolder folder(true);
  MainWindow window(messages, folder.path());
  QVERIFY(window.openProject(folder.copyExample("road-k1")));
  window.RunCalculation();
  int pages = 0;
  window.printCommands()->setChoiceAsker([](const QString&) { return PrintChoice::kRecordTables; });
  window.printCommands()->setPreviewShower([&](QPrintPreviewDialog& dialog) {
    dialog.show();
    auto* preview = dialog.findChild<QPrintPreviewWidget*>();
    preview->updatePreview();
    pages = preview->pageCount();
    dialog.close();
  });
  window.findChild<QAction*>(QStringLiteral("actionPrintPreview"))->trigger();
  QVERIFY(messages.shown.isEmpty());
  QCOMPARE(pages, 5);  // one levelling page, two pages of each plane table
}

void PrintCommandsTest::withoutAProjectNothingHappens() {
  RecordingMessageBoxes messages;
  ProgramFolder folder(true);
  MainWindow window(messages, folder.path());
  bool asked = false;
  window.printCommands()->setChoiceAsker([&](const QString&) {
    asked = true;
    return std::optional<PrintChoice>();
  });
  window.findChild<QAction*>(QStringLiteral("actionPrint"))->trigger();
  QVERIFY(!asked);
  QVERIFY(messages.shown.isEmpty());
}

void PrintCommandsTest::aDeviceThatFailsMidJobIsReported() {
  RecordingMessageBoxes messages;
  ProgramFolder folder(true);
  MainWindow window(messages, folder.path());
  QVERIFY(window.openProject(folder.copyExample("road-k1")));
  window.RunCalculation();
  QBuffer out;
  out.open(QIODevice::WriteOnly);
  FailingDevice device(&out, 2);
  PainterCanvas canvas(device);
  print::PrintJob job(*window.project(), RecordTableSheets(), canvas, {});
  QCOMPARE(job.PageCount(), std::size_t{5});
  try {
    job.Print(canvas);
    QFAIL("the failed page went unnoticed");
  } catch (const print::PrintError& error) {
    QCOMPARE(QString::fromUtf8(error.what()), QString::fromUtf8("打印在第 3 页中断：打印机出错"));
  }
}

}  // namespace

VARDEX_QT_TEST(PrintCommandsTest);

}  // namespace vardex::test

#include "print_commands_test.moc"
