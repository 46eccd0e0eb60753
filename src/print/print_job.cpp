// Planning and drawing a print of several sheets.
#include "print/print_job.hpp"

#include <filesystem>

#include "host/page_setup.hpp"
#include "host/path_text.hpp"
#include "host/platform.hpp"
#include "host/sheet_layout.hpp"
#include "host/workbook.hpp"
#include "print/print_texts.hpp"

namespace vardex::print {

DocumentFields FieldsNow(const std::string& path) {
  const std::filesystem::path p = host::PathFromText(path);
  DocumentFields fields;
  fields.file = host::PathText(p.filename());
  if (p.has_parent_path()) {
    fields.folder = host::PathText(p.parent_path());
    fields.folder += static_cast<char>(std::filesystem::path::preferred_separator);
  }
  const host::platform::LocalTime now = host::platform::LocalNow();
  fields.date =
      std::to_string(now.year) + "/" + std::to_string(now.month) + "/" + std::to_string(now.day);
  fields.time =
      std::to_string(now.hour) + ":" + (now.minute < 10 ? "0" : "") + std::to_string(now.minute);
  return fields;
}

PrintJob::PrintJob(const host::Workbook& book, const std::vector<std::string>& sheets,
                   TextMeasure& measure, DocumentFields fields)
    : measure_(measure), fields_(std::move(fields)) {
  const host::FontStyle& font = host::ResolvedStyle(book, 0).font;
  const double unit =
      WidthUnit(FontSpec{font.name, font.size > 0 ? font.size : 11, false, false}, measure);
  plans_.reserve(sheets.size());
  for (const std::string& name : sheets) {
    const host::Worksheet* sheet = book.FindSheet(name);
    if (sheet == nullptr || sheet->Name() != name) throw PrintError(text::NoSuchSheet(name));
    const PrintSettings settings = ResolvePrintSettings(name, host::ReadPageSetup(*sheet));
    plans_.push_back(PlanSheet(*sheet, settings, unit));
  }
  for (const SheetPlan& plan : plans_)
    composers_.push_back(std::make_unique<PageComposer>(plan, measure_));
}

PrintJob::~PrintJob() = default;

std::size_t PrintJob::PageCount() const noexcept {
  std::size_t count = 0;
  for (const SheetPlan& plan : plans_) count += plan.PageCount();
  return count;
}

const std::vector<SheetPlan>& PrintJob::Plans() const noexcept { return plans_; }

PageContent PrintJob::LayOut(std::size_t index) {
  for (std::size_t s = 0; s < plans_.size(); ++s) {
    const SheetPlan& plan = plans_[s];
    const std::size_t count = plan.PageCount();
    if (index >= count) {
      index -= count;
      continue;
    }
    PageFields fields;
    fields.page = plan.settings.first_page_number + static_cast<int>(index);
    fields.pages = static_cast<int>(count);
    fields.sheet = plan.sheet->Name();
    fields.file = fields_.file;
    fields.folder = fields_.folder;
    fields.date = fields_.date;
    fields.time = fields_.time;
    return composers_[s]->Compose(index, fields);
  }
  return {};
}

bool PrintJob::Print(Canvas& canvas, const Progress& progress) {
  const std::size_t total = PageCount();
  for (std::size_t i = 0; i < total; ++i) {
    DrawPage(LayOut(i), canvas);
    if (progress && !progress(i + 1, total)) return false;
  }
  return true;
}

}  // namespace vardex::print
