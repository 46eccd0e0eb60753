// The main window: menu bar, the tool bar docked on the right with the known-points panel, and
// the spreadsheet view of the project workbook in the inner area. It owns the project for the
// run of the program and runs the commands on it.
#pragma once

#include <QCoreApplication>
#include <QMainWindow>
#include <functional>
#include <memory>

#include "app/guide_pages.hpp"
#include "app/workbook_view.hpp"
#include "settings/survey_settings.hpp"

class QComboBox;
class QDialog;

namespace vardex {

namespace host {
class HostError;
class Workbook;
}  // namespace host

class PictureButton;
class PrintCommands;
class SettingsDialog;
class MessageBoxes;
class CaptionPanel;

/// The main window. Starts with the default settings and no project; `CreateProject` makes the
/// one project of the run from the template beside the program, or `openProject` takes a saved
/// workbook as the project. Closing asks to save a project with unsaved changes.
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  /// Opens a page of the user guide.
  using PageOpener = std::function<void(GuidePage)>;
  /// Asks the user for a workbook file to open (`forSaving` false) or to save to (true),
  /// starting at `suggested`; the empty text when the user cancels.
  using PathChooser = std::function<QString(bool forSaving, const QString& suggested)>;

  /// `messages` shows every message and must outlive the window. The template is looked up in
  /// `programDir`.
  explicit MainWindow(MessageBoxes& messages,
                      const QString& programDir = QCoreApplication::applicationDirPath(),
                      QWidget* parent = nullptr);
  ~MainWindow() override;

  /// Makes a new project from "work.xltx", untitled, after asking to save unsaved changes of the
  /// current one. A template that cannot be opened is reported and leaves the project as it was.
  void CreateProject();
  /// Regenerates the three record tables of the project with the settings in force and shows
  /// "水准表". Does nothing without a project. Messages of the run are shown one by one.
  void RunCalculation();
  /// Tells the installed version and offers the guide's page on updates; on Yes opens it.
  void UpdateQuestion();
  /// The settings dialog, modal; a save in it applies to the next calculation.
  void showSettings();
  /// The project files dialog, modeless, one instance.
  void showProjectFiles();

  /// Opens the workbook at `path` as the project, after asking to save unsaved changes of the
  /// current one. False when the user cancelled or the file could not be opened (reported).
  bool openProject(const QString& path);
  /// Saves the project to its file, or asks for one when it is untitled. False when cancelled
  /// or failed (reported).
  bool saveProject();
  /// Saves the project as .xlsx at `path`; it then belongs to that file. False on failure.
  bool saveProjectAs(const QString& path);

  /// 导入观测数据: asks for a levelling line or a stake-out file and writes "水准表" or the
  /// plane tables from it; the report of what matched is shown. On any error the project is
  /// unchanged and the error (file and line) is shown. Does nothing without a project.
  void importFieldData();
  /// 导出放样点: asks for a format and a file and writes the points to set out into it.
  void exportStakeoutPoints();

  /// Runs a dialog of the field data commands and returns its result; QDialog::exec by default.
  using DialogRunner = std::function<int(QDialog&)>;
  void setDialogRunner(DialogRunner runner) { mDialogRunner = std::move(runner); }

  host::Workbook* project() const { return mProject.get(); }
  const SurveySettings& settings() const { return mSettings; }
  WorkbookView* view() const { return mView; }
  PrintCommands* printCommands() const { return mPrint; }

  void setPageOpener(PageOpener opener) { mPageOpener = std::move(opener); }
  void setPathChooser(PathChooser chooser) { mPathChooser = std::move(chooser); }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildMenus();
  void buildBar();
  void barResize();
  void updateTitle();
  void openProjectChosen();
  void saveProjectChosen();
  bool askToKeepChanges();
  bool openFile(const QString& path);
  void showProject(std::unique_ptr<host::Workbook> project, const QString& untitledName);
  /// Runs `save` of the project to `target` in the background; reports a failure.
  bool saveInBackground(const QString& target, const std::function<void()>& save);
  /// Runs `work` on the project off the interface thread, the view frozen meanwhile; rethrows.
  void workOnProject(const QString& label, WorkbookView::Thaw thaw,
                     const std::function<void()>& work);
  void showHostError(const host::HostError& error);

  MessageBoxes& mMessages;
  QString mProgramDir;
  SurveySettings mSettings;
  std::unique_ptr<host::Workbook> mProject;
  QString mUntitledName;  ///< shown for a project that has no file yet
  bool mBusy = false;     ///< a calculation, an open or a save is under way

  WorkbookView* mView = nullptr;
  QWidget* mBar = nullptr;
  PictureButton* mButtonB1 = nullptr;
  PictureButton* mButtonB2 = nullptr;
  CaptionPanel* mPicBox = nullptr;
  SettingsDialog* mSettingsDialog = nullptr;
  PrintCommands* mPrint = nullptr;
  PageOpener mPageOpener;
  PathChooser mPathChooser;
  DialogRunner mDialogRunner;
};

}  // namespace vardex
