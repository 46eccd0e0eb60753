// A print of several sheets of a workbook: every sheet is planned first (so that a bad page
// setup stops the print before any page is drawn, and the page count is known for progress),
// then the pages are laid out and drawn one at a time, so that memory holds one page whatever
// the length of the record.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "print/canvas.hpp"
#include "print/page_content.hpp"
#include "print/pagination.hpp"

namespace vardex::host {
class Workbook;
}

namespace vardex::print {

/// What the header and footer fields &F, &Z, &D and &T show.
struct DocumentFields {
  std::string file;
  std::string folder;
  std::string date;
  std::string time;
};

/// The fields of a workbook file printed now: its name and folder, today's date and the time.
DocumentFields FieldsNow(const std::string& path);

class PrintJob {
 public:
  /// Plans the sheets named, in that order. Throws PrintError naming a sheet that is not in the
  /// workbook or whose page setup cannot be printed; HostError when the page setup cannot be
  /// read. `book` and `measure` must outlive the job.
  PrintJob(const host::Workbook& book, const std::vector<std::string>& sheets, TextMeasure& measure,
           DocumentFields fields);
  ~PrintJob();
  PrintJob(const PrintJob&) = delete;
  PrintJob& operator=(const PrintJob&) = delete;

  std::size_t PageCount() const noexcept;
  const std::vector<SheetPlan>& Plans() const noexcept;

  /// Page `index` of the whole job (0-based), laid out. Page numbers count per sheet.
  PageContent LayOut(std::size_t index);

  /// Called after each page with the pages done and the total; returning false cancels.
  using Progress = std::function<bool(std::size_t done, std::size_t total)>;
  /// Draws every page on `canvas`. Returns false when `progress` cancelled; the canvas's
  /// errors (PrintError) pass through.
  bool Print(Canvas& canvas, const Progress& progress = {});

 private:
  std::vector<SheetPlan> plans_;
  std::vector<std::unique_ptr<PageComposer>> composers_;
  TextMeasure& measure_;
  DocumentFields fields_;
};

}  // namespace vardex::print
