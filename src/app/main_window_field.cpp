// The main window's field data commands: gather the choices in a dialog, call one core function,
// show the report or the error.
#include <QDialog>
#include <QFileInfo>
#include <exception>

#include "app/field_data_dialogs.hpp"
#include "app/main_window.hpp"
#include "app/message_boxes.hpp"
#include "app/workbook_view.hpp"
#include "fielddata/field_file.hpp"
#include "host/file_bytes.hpp"
#include "host/host_error.hpp"
#include "host/workbook.hpp"
#include "project/field_data.hpp"

namespace vardex {
namespace {

// Lists in a message box name this many points; the rest are counted.
constexpr std::size_t kMostListed = 12;

std::filesystem::path toPath(const QString& path) {
  return std::filesystem::path(path.toStdU16String());
}

QString joined(const std::vector<std::string>& lines) {
  QString text;
  for (const std::string& line : lines) {
    if (!text.isEmpty()) text += QStringLiteral("\n");
    text += QString::fromUtf8(line.c_str());
  }
  return text;
}

MisclosureDistribution toCore(FieldImportDialog::Distribution distribution) {
  switch (distribution) {
    case FieldImportDialog::Distribution::BySetups:
      return MisclosureDistribution::BySetups;
    case FieldImportDialog::Distribution::ByDistance:
      return MisclosureDistribution::ByDistance;
    case FieldImportDialog::Distribution::None:
      break;
  }
  return MisclosureDistribution::None;
}

}  // namespace

int runDialog(const MainWindow::DialogRunner& runner, QDialog& dialog) {
  return runner ? runner(dialog) : dialog.exec();
}

void MainWindow::importFieldData() {
  if (!mProject || mBusy) return;
  FieldImportDialog dialog(this);
  dialog.setObjectName(QStringLiteral("FieldImportDialog"));
  if (runDialog(mDialogRunner, dialog) != QDialog::Accepted || dialog.files().isEmpty()) return;
  const QString title = tr("导入观测数据");
  const SettingsForm form = GetConfig(mSettings);
  std::vector<std::string> report;
  bool withinTolerance = true;
  // On the worker thread, with the progress window, like a calculation: the view shows a picture
  // of itself meanwhile and the progress window is gone before any message.
  try {
    workOnProject(tr("正在导入观测数据……"), WorkbookView::Thaw::Reload, [&] {
      std::vector<FieldFile> files;
      for (const QString& path : dialog.files()) files.push_back(LoadFieldFile(toPath(path)));
      if (dialog.kind() == FieldImportDialog::Kind::Levelling) {
        const LevelImportResult result = ImportLevellingFieldData(*mProject, files, form, mSettings,
                                                                  toCore(dialog.distribution()));
        report = LevelImportReport(result, kMostListed);
        withinTolerance = result.summary.WithinAllowable;
      } else {
        const StakeoutImportResult result =
            ImportStakeoutMeasurements(*mProject, files.front(), form, mSettings);
        report = StakeoutImportReport(result, kMostListed);
        withinTolerance = result.outOfTolerance.empty();
      }
    });
  } catch (const std::exception& error) {
    mMessages.show(
        this, title,
        tr("未能导入，项目未改动：") + QStringLiteral("\n") + QString::fromUtf8(error.what()),
        MessageBoxes::Icon::Critical, MessageBoxes::Buttons::Ok);
    return;
  }
  updateTitle();
  mMessages.show(this, title, joined(report),
                 withinTolerance ? MessageBoxes::Icon::Information : MessageBoxes::Icon::Warning,
                 MessageBoxes::Buttons::Ok);
}

void MainWindow::exportStakeoutPoints() {
  if (!mProject) return;
  const std::filesystem::path& projectPath = mProject->Path();
  const QString folder =
      projectPath.empty()
          ? QString()
          : QFileInfo(QString::fromStdU16String(projectPath.u16string())).absolutePath();
  StakeoutExportDialog dialog(folder, this);
  dialog.setObjectName(QStringLiteral("StakeoutExportDialog"));
  if (runDialog(mDialogRunner, dialog) != QDialog::Accepted || dialog.path().isEmpty()) return;
  const QString title = tr("导出放样点");
  const std::optional<StakeoutFormat> format = ParseStakeoutFormat(dialog.format().toStdString());
  if (!format) return;
  try {
    const std::filesystem::path target = toPath(dialog.path());
    const StakeoutExport exported = ExportStakeoutPoints(
        *mProject, *format, dialog.gbk() ? FileEncoding::Gbk : FileEncoding::Utf8,
        target.filename().string(), LocalStamp());
    host::SaveBytesAtomically(target, exported.bytes);
    mMessages.inform(this, title,
                     tr("已导出 %1 个点到：\n%2").arg(exported.points).arg(dialog.path()));
  } catch (const std::exception& error) {
    mMessages.show(this, title,
                   tr("未能导出：") + QStringLiteral("\n") + QString::fromUtf8(error.what()),
                   MessageBoxes::Icon::Critical, MessageBoxes::Buttons::Ok);
  }
}

}  // namespace vardex
