// Print, preview and PDF export.
#include "app/print_commands.hpp"

#include <QAction>
#include <QCoreApplication>
#include <QFileDialog>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QSaveFile>
#include <QToolBar>
#include <exception>
#include <memory>

#include "app/message_boxes.hpp"
#include "app/print_choice_dialog.hpp"
#include "app/print_painter.hpp"
#include "host/host_error.hpp"
#include "host/workbook.hpp"
#include "print/print_job.hpp"
#include "print/print_settings.hpp"
#include "print/print_texts.hpp"

#ifdef VARDEX_HAVE_PDF
#include "host/atomic_file.hpp"
#include "print/pdf/pdf_canvas.hpp"
#endif

namespace vardex {
namespace {

QString fromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

PrintCommands::PrintCommands(QWidget* window, MessageBoxes& messages,
                             std::function<host::Workbook*()> project)
    : QObject(window), mWindow(window), mMessages(messages), mProject(std::move(project)) {
  mAskChoice = [this](const QString& title) -> std::optional<PrintChoice> {
    PrintChoiceDialog dialog(title, mLastChoice, mWindow);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.choice();
  };
  mPrinterSetup = [this](QPrinter& printer) {
    QPrintDialog dialog(&printer, mWindow);
    return dialog.exec() == QDialog::Accepted;
  };
  mShowPreview = [](QPrintPreviewDialog& dialog) { dialog.exec(); };
  mChoosePdfPath = [this](const QString& suggested) {
    return QFileDialog::getSaveFileName(mWindow, tr("导出 PDF"), suggested, tr("PDF 文件 (*.pdf)"));
  };
}

void PrintCommands::addActions(QToolBar* tools, QAction* before) {
  auto add = [&](const char* name, const QString& caption, const QKeySequence& keys) {
    auto* action = new QAction(caption, mWindow);
    action->setObjectName(QString::fromUtf8(name));
    action->setShortcut(keys);
    mWindow->addAction(action);
    tools->insertAction(before, action);
    return action;
  };
  connect(add("actionPrint", tr("打印…"), QKeySequence::Print), &QAction::triggered, this,
          &PrintCommands::printProject);
  connect(add("actionPrintPreview", tr("打印预览"), QKeySequence()), &QAction::triggered, this,
          &PrintCommands::previewProject);
  connect(add("actionExportPdf", tr("导出 PDF…"), QKeySequence()), &QAction::triggered, this,
          &PrintCommands::exportPdf);
}

std::optional<std::vector<std::string>> PrintCommands::askSheets(const QString& title) {
  const host::Workbook* book = mProject();
  if (book == nullptr) return std::nullopt;
  const std::optional<PrintChoice> choice = mAskChoice(title);
  if (!choice) return std::nullopt;
  mLastChoice = *choice;
  return SheetsToPrint(*book, *choice);
}

std::string PrintCommands::filePath() const {
  const host::Workbook* book = mProject();
  return book != nullptr ? book->Path().string() : std::string();
}

void PrintCommands::report(const QString& title, const std::string& message) {
  mMessages.show(mWindow, title, fromUtf8(message), MessageBoxes::Icon::Warning,
                 MessageBoxes::Buttons::Ok);
}

bool PrintCommands::run(print::PrintJob& job, print::Canvas& canvas, const QString& what) {
  QProgressDialog progress(what, tr("取消"), 0, static_cast<int>(job.PageCount()), mWindow);
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(500);
  return job.Print(canvas, [&progress](std::size_t done, std::size_t) {
    progress.setValue(static_cast<int>(done));
    QCoreApplication::processEvents();
    return !progress.wasCanceled();
  });
}

void PrintCommands::printProject() {
  const auto sheets = askSheets(tr("打印"));
  if (!sheets) return;
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(fromUtf8(mProject()->Path().stem().string()));
  if (!mPrinterSetup(printer)) return;
  try {
    PainterCanvas canvas(printer);
    print::PrintJob job(*mProject(), *sheets, canvas, print::FieldsNow(filePath()));
    if (job.PageCount() == 0) {
      report(tr("打印"), std::string(print::text::kNothingToPrint));
      return;
    }
    if (!run(job, canvas, tr("正在打印…"))) printer.abort();
    canvas.Finish();
  } catch (const std::exception& error) {
    report(tr("打印"), error.what());
  }
}

void PrintCommands::previewProject() {
  const auto sheets = askSheets(tr("打印预览"));
  if (!sheets) return;
  QPrinter printer(QPrinter::HighResolution);
  QPrintPreviewDialog dialog(&printer, mWindow);
  dialog.setObjectName(QStringLiteral("printPreview"));
  dialog.setWindowTitle(tr("打印预览"));
  std::string failure;
  connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [&](QPrinter* device) {
    try {
      PainterCanvas canvas(*device);
      print::PrintJob job(*mProject(), *sheets, canvas, print::FieldsNow(filePath()));
      job.Print(canvas);
      canvas.Finish();
    } catch (const std::exception& error) {
      failure = error.what();
    }
  });
  mShowPreview(dialog);
  if (!failure.empty()) report(tr("打印预览"), failure);
}

void PrintCommands::exportPdf() {
  const auto sheets = askSheets(tr("导出 PDF"));
  if (!sheets) return;
  std::filesystem::path suggested = mProject()->Path();
  if (suggested.empty()) suggested = "未命名.pdf";
  const QString path = mChoosePdfPath(fromUtf8(suggested.replace_extension(".pdf").string()));
  if (path.isEmpty()) return;
  const std::filesystem::path target(path.toStdString());
  try {
#ifdef VARDEX_HAVE_PDF
    host::AtomicFileWriter file(target);
    print::PdfCanvas canvas([&file](std::string_view bytes) { file.Write(bytes); },
                            target.stem().string());
    print::PrintJob job(*mProject(), *sheets, canvas, print::FieldsNow(filePath()));
    if (job.PageCount() == 0) {
      report(tr("导出 PDF"), std::string(print::text::kNothingToPrint));
      return;
    }
    if (!run(job, canvas, tr("正在导出 PDF…"))) return;  // the old file stays
    canvas.Finish();
    file.Commit();
#else
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
      report(tr("导出 PDF"), "无法写入文件：" + file.errorString().toStdString());
      return;
    }
    {
      QPdfWriter writer(&file);
      writer.setResolution(1200);
      writer.setTitle(fromUtf8(target.stem().string()));
      writer.setCreator(QStringLiteral("Vardex"));
      PainterCanvas canvas(writer);
      print::PrintJob job(*mProject(), *sheets, canvas, print::FieldsNow(filePath()));
      if (job.PageCount() == 0) {
        report(tr("导出 PDF"), std::string(print::text::kNothingToPrint));
        return;
      }
      if (!run(job, canvas, tr("正在导出 PDF…"))) return;
      canvas.Finish();
    }
    if (!file.commit()) report(tr("导出 PDF"), "无法写入文件：" + file.errorString().toStdString());
#endif
  } catch (const std::exception& error) {
    report(tr("导出 PDF"), error.what());
  }
}

}  // namespace vardex
