// `vardex pdf`: the record tables (or the sheets named) of each project as a PDF document, laid
// out from the workbook's own page setup. Files are independent jobs run in parallel, like calc.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vardex::cli {

struct PdfCommand {
  std::vector<std::filesystem::path> inputs;
  std::optional<std::filesystem::path> output;  ///< only with exactly one input
  std::vector<std::string> sheets;              ///< empty: the three record tables
  unsigned threads = 1;
};

/// Writes PROJECT.pdf beside each input (or the output), atomically. A file that fails leaves
/// any older PDF as it was; the others go on. Returns the exit code.
int RunPdf(const PdfCommand& command);

/// The PDF a project is written to without -o: the project's name with ".pdf".
std::filesystem::path DefaultPdfPath(const std::filesystem::path& project);

}  // namespace vardex::cli
