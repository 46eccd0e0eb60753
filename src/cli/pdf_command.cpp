// The pdf command: one job per project, each opening the workbook, planning the print and
// streaming the pages into an atomically written PDF.
#include "cli/pdf_command.hpp"

#include <exception>

#include "cli/batch.hpp"
#include "cli/cli_text.hpp"
#include "cli/exit_codes.hpp"
#include "cli/pdf_text.hpp"
#include "host/host_error.hpp"
#include "host/path_text.hpp"
#include "host/platform.hpp"
#include "project/print_selection.hpp"

#ifdef VARDEX_HAVE_PDF
#include "host/atomic_file.hpp"
#include "host/workbook.hpp"
#include "print/pdf/pdf_canvas.hpp"
#include "print/print_job.hpp"
#include "print/print_settings.hpp"
#include "print/print_texts.hpp"
#endif

namespace vardex::cli {
namespace {

#ifdef VARDEX_HAVE_PDF
JobReport WriteOne(const PdfCommand& command, std::size_t index) {
  const std::filesystem::path& input = command.inputs[index];
  const std::string name = host::PathText(input);
  JobReport report;
  try {
    const host::Workbook book = host::Workbook::Open(input);
    const std::vector<std::string> sheets =
        command.sheets.empty() ? RecordTableSheets() : command.sheets;
    const std::filesystem::path target = command.output ? *command.output : DefaultPdfPath(input);
    host::AtomicFileWriter file(target);
    print::PdfCanvas canvas([&file](std::string_view bytes) { file.Write(bytes); },
                            host::PathText(input.stem()));
    print::PrintJob job(book, sheets, canvas, print::FieldsNow(name));
    if (job.PageCount() == 0) {
      report.lines.push_back(text::Failed(name, print::text::kNothingToPrint));
      return report;
    }
    job.Print(canvas);
    canvas.Finish();
    file.Commit();
    report.ok = true;
    report.lines.push_back(text::PdfWritten(host::PathText(target), job.PageCount()));
  } catch (const host::HostError& error) {
    // The engine's messages name the file already.
    report.lines.push_back(error.what());
  } catch (const std::exception& error) {
    report.lines.push_back(text::Failed(name, error.what()));
  }
  return report;
}
#endif

}  // namespace

std::filesystem::path DefaultPdfPath(const std::filesystem::path& project) {
  std::filesystem::path pdf = project;
  return pdf.replace_extension(".pdf");
}

int RunPdf(const PdfCommand& command) {
#ifdef VARDEX_HAVE_PDF
  const std::size_t count = command.inputs.size();
  const bool batch = count > 1;
  Progress progress(count, batch && host::platform::StderrIsTerminal(), stderr);
  const std::vector<JobReport> reports = RunJobs(
      count, command.threads, [&command](std::size_t index) { return WriteOne(command, index); },
      progress);
  progress.Close();
  std::size_t failed = 0;
  for (const JobReport& report : reports) failed += report.ok ? 0 : 1;
  if (batch) {
    std::fputs((text::Summary(count - failed, failed) + "\n").c_str(),
               failed == 0 ? stdout : stderr);
  }
  return failed == 0 ? kExitOk : kExitFailed;
#else
  // Refused like a command-line mistake: nothing has been opened or written.
  (void)command;
  std::fputs((std::string(text::kNoPdfInThisBuild) + "\n").c_str(), stderr);
  return kExitUsage;
#endif
}

}  // namespace vardex::cli
