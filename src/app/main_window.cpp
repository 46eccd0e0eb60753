// Main window and its commands.
#include "app/main_window.hpp"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QToolBar>
#include <exception>

#include "app/about_box.hpp"
#include "app/alignment_menu.hpp"
#include "app/background_work.hpp"
#include "app/message_boxes.hpp"
#include "app/print_commands.hpp"
#include "app/project_files_dialog.hpp"
#include "app/settings_dialog.hpp"
#include "app/sheet_table.hpp"
#include "app/tool_pictures.hpp"
#include "app/workbook_view.hpp"
#include "controls/caption_panel.hpp"
#include "controls/design_units.hpp"
#include "controls/picture_button.hpp"
#include "host/host_error.hpp"
#include "host/workbook.hpp"
#include "project/calculation_run.hpp"
#include "project/project_template.hpp"
#include "project/provenance.hpp"

namespace vardex {
namespace {

// The caption: the product's display name, a blank and "Vardex".
const char* const kCaption = "路桥测量内业 Vardex";

// One tool bar button as designed, lengths in twips relative to the bar.
struct BarButton {
  const char* name;
  ToolPicture picture;
  int left, top, size;
  int pictureSize;  // pixels
};

constexpr BarButton kLargeButtons[] = {
    {"newProjectButton", ToolPicture::NewProject, 120, 0, 975, 64},
    {"calculateButton", ToolPicture::Calculate, 120, 1080, 975, 64},
    {"ButtonSave", ToolPicture::Save, 120, 2160, 975, 64},
};

std::filesystem::path toPath(const QString& path) {
  return std::filesystem::path(path.toStdU16String());
}

QString fromPath(const std::filesystem::path& path) {
  return QString::fromStdU16String(path.u16string());
}

}  // namespace

MainWindow::MainWindow(MessageBoxes& messages, const QString& programDir, QWidget* parent)
    : QMainWindow(parent), mMessages(messages), mProgramDir(programDir), mSettings(InitConfig()) {
  setObjectName(QStringLiteral("MainWindow"));
  mPageOpener = [this](GuidePage page) { openGuidePage(page, mMessages, this, mProgramDir); };
  mPathChooser = [this](bool forSaving, const QString& suggested) {
    const QString filter = tr("Excel 工作簿 (*.xlsx);;所有工作簿 (*.xlsx *.xlsm *.xltx *.xltm)");
    if (forSaving) return QFileDialog::getSaveFileName(this, tr("另存为"), suggested, filter);
    return QFileDialog::getOpenFileName(this, tr("打开工作簿"), suggested, filter);
  };

  auto* centre = new QWidget(this);
  mView = new WorkbookView(mMessages, centre);
  mView->setObjectName(QStringLiteral("workbookView"));
  mBar = new QWidget(centre);
  mBar->setObjectName(QStringLiteral("bar"));
  mBar->setFixedWidth(twipsToPixels(1275));
  auto* layout = new QHBoxLayout(centre);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(mView, 1);
  layout->addWidget(mBar);
  setCentralWidget(centre);

  buildMenus();
  buildBar();
  connect(mView, &WorkbookView::contentChanged, this, &MainWindow::updateTitle);

  // The inner area as designed, 13995 by 8955 twips, beside the bar and below the menu bar.
  resize(twipsToPixels(13995), twipsToPixels(8955) + menuBar()->sizeHint().height());
  updateTitle();
}

MainWindow::~MainWindow() {
  // The view shows the project; it must let go before the project goes.
  mView->setWorkbook(nullptr);
}

void MainWindow::buildMenus() {
  auto addItem = [this](QMenu* menu, const char* name, const char* caption) {
    QAction* action = menu->addAction(tr(caption));
    action->setObjectName(QString::fromUtf8(name));
    return action;
  };
  auto addSeparator = [](QMenu* menu, const char* name) {
    menu->addSeparator()->setObjectName(QString::fromUtf8(name));
  };

  QMenu* active = menuBar()->addMenu(tr("功能(&F)"));
  active->setObjectName(QStringLiteral("menuActive"));
  connect(addItem(active, "menuNew", "新建模板"), &QAction::triggered, this,
          &MainWindow::CreateProject);
  connect(addItem(active, "menuClac", "开始计算"), &QAction::triggered, this,
          &MainWindow::RunCalculation);
  connect(addItem(active, "menuImportField", "导入观测数据…"), &QAction::triggered, this,
          &MainWindow::importFieldData);
  connect(addItem(active, "menuExportStakeout", "导出放样点…"), &QAction::triggered, this,
          &MainWindow::exportStakeoutPoints);
  addSeparator(active, "menuHifen_0");
  connect(addItem(active, "menuExit", "退出"), &QAction::triggered, this, &QWidget::close);

  QMenu* file = menuBar()->addMenu(tr("项目(&G)"));
  file->setObjectName(QStringLiteral("menufile"));
  connect(addItem(file, "menuOpen", "打开项目"), &QAction::triggered, this,
          &MainWindow::showProjectFiles);
  connect(addItem(file, "menuProSet", "项目管理器"), &QAction::triggered, this,
          &MainWindow::showProjectFiles);
  addSeparator(file, "menuHifen1_1");
  connect(addItem(file, "menuSoftSet", "软件设置"), &QAction::triggered, this,
          &MainWindow::showSettings);

  menuBar()->addMenu((new AlignmentMenu(*this, mMessages))->menu());

  QMenu* save = menuBar()->addMenu(tr("保存"));
  save->setObjectName(QStringLiteral("menuSave"));
  // The control points and the sheets live in the one project workbook: each item saves it.
  connect(addItem(save, "menuSavePointPM", "平面控制点"), &QAction::triggered, this,
          &MainWindow::saveProjectChosen);
  connect(addItem(save, "menuSavePointSZ", "水准控制点"), &QAction::triggered, this,
          &MainWindow::saveProjectChosen);
  addSeparator(save, "menuHif");
  connect(addItem(save, "menuSaveSheet", "保存活动表"), &QAction::triggered, this,
          &MainWindow::saveProjectChosen);

  QMenu* about = menuBar()->addMenu(tr("关于"));
  about->setObjectName(QStringLiteral("menuAbout"));
  connect(addItem(about, "menuAboutsoft", "软件"), &QAction::triggered, this,
          [this] { showAboutBox(mMessages, this, mProgramDir); });
  connect(addItem(about, "menuupdate", "检查更新"), &QAction::triggered, this,
          &MainWindow::UpdateQuestion);

  QAction* group = menuBar()->addAction(tr("用户交流群"));
  group->setObjectName(QStringLiteral("menuQQ"));

  // The workbook's own commands, in the view's tool bar as a spreadsheet window has them.
  QToolBar* tools = mView->toolBar();
  QAction* first = tools->actions().value(0);
  auto addFileAction = [&](const char* name, const QString& caption,
                           const QList<QKeySequence>& keys) {
    auto* action = new QAction(caption, this);
    action->setObjectName(QString::fromUtf8(name));
    action->setShortcuts(keys);
    addAction(action);
    tools->insertAction(first, action);
    return action;
  };
  connect(addFileAction("actionOpen", tr("打开"), QKeySequence::keyBindings(QKeySequence::Open)),
          &QAction::triggered, this, &MainWindow::openProjectChosen);
  connect(addFileAction("actionSave", tr("保存"), QKeySequence::keyBindings(QKeySequence::Save)),
          &QAction::triggered, this, &MainWindow::saveProjectChosen);
  QList<QKeySequence> saveAsKeys{QKeySequence(Qt::Key_F12)};
  saveAsKeys += QKeySequence::keyBindings(QKeySequence::SaveAs);
  connect(addFileAction("actionSaveAs", tr("另存为"), saveAsKeys), &QAction::triggered, this,
          [this] {
            if (!mProject) return;
            const QString path = mPathChooser(true, mUntitledName + QStringLiteral(".xlsx"));
            if (!path.isEmpty()) saveProjectAs(path);
          });
  mPrint = new PrintCommands(this, mMessages, [this] { return mProject.get(); });
  mPrint->addActions(tools, first);
  tools->insertSeparator(first);
}

void MainWindow::buildBar() {
  for (const BarButton& design : kLargeButtons) {
    auto* button = new PictureButton(mBar);
    button->setObjectName(QString::fromUtf8(design.name));
    button->setGeometry(twipsRect(design.left, design.top, design.size, design.size));
    button->setPicture(toolPicture(design.picture, design.pictureSize),
                       PictureButton::PictureType::Icon);
    if (design.picture == ToolPicture::NewProject) {
      connect(button, &PictureButton::Click, this, &MainWindow::CreateProject);
    } else if (design.picture == ToolPicture::Calculate) {
      connect(button, &PictureButton::Click, this, &MainWindow::RunCalculation);
    } else {
      connect(button, &PictureButton::Click, this, &MainWindow::saveProjectChosen);
    }
  }

  mPicBox = new CaptionPanel(mBar);
  mPicBox->setObjectName(QStringLiteral("PicBox"));
  mPicBox->setCaption(tr("已知点"));
  mPicBox->setGeometry(twipsRect(0, 3840, 1245, 2655));
  struct List {
    const char* name;
    int top;
  };
  for (const List& list : {List{"ComboSZ_0", 600}, List{"ComboSZ_1", 1080}, List{"ComboPM_0", 1560},
                           List{"ComboPM_1", 2040}}) {
    auto* combo = new QComboBox(mPicBox);
    combo->setObjectName(QString::fromUtf8(list.name));
    combo->setGeometry(twipsRect(30, list.top, 1200, 300));
  }
  auto* startList = mPicBox->findChild<QComboBox*>(QStringLiteral("ComboSZ_0"));
  startList->addItem(tr("首水准点"));
  startList->setCurrentIndex(0);
  auto* endList = mPicBox->findChild<QComboBox*>(QStringLiteral("ComboSZ_1"));
  endList->addItem(tr("尾水准点"));
  endList->addItem(tr("同首水准点"));
  endList->setCurrentIndex(0);

  mButtonB1 = new PictureButton(mBar);
  mButtonB1->setObjectName(QStringLiteral("ButtonB1"));
  mButtonB1->setGeometry(twipsRect(0, 0, 615, 615));
  mButtonB1->setPicture(toolPicture(ToolPicture::ProjectFiles, 32),
                        PictureButton::PictureType::Icon);
  connect(mButtonB1, &PictureButton::Click, this, &MainWindow::showProjectFiles);
  mButtonB2 = new PictureButton(mBar);
  mButtonB2->setObjectName(QStringLiteral("ButtonB2"));
  mButtonB2->setGeometry(twipsRect(615, 0, 615, 615));
  mButtonB2->setPicture(toolPicture(ToolPicture::Settings, 32), PictureButton::PictureType::Icon);
  connect(mButtonB2, &PictureButton::Click, this, &MainWindow::showSettings);

  // Never so low that the known-points panel, which keeps to the bottom, covers the large
  // buttons.
  mBar->setMinimumHeight(
      twipsToPixels(kLargeButtons[2].top + kLargeButtons[2].size + 90 + 2655 + 30 + 615));
  mBar->installEventFilter(this);
  barResize();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == mBar && event->type() == QEvent::Resize) barResize();
  return QMainWindow::eventFilter(watched, event);
}

// The small buttons stay on the bar's bottom edge and the known-points panel 30 twips above
// them; the large buttons keep their places.
void MainWindow::barResize() {
  const int bottomTop = mBar->height() - mButtonB1->height();
  mButtonB1->move(0, bottomTop);
  mButtonB2->move(mButtonB2->x(), bottomTop);
  mPicBox->move(0, mButtonB1->y() - mPicBox->height() - twipsToPixels(30));
}

void MainWindow::updateTitle() {
  QString title = tr(kCaption);
  if (mProject) {
    const std::filesystem::path& path = mProject->Path();
    const QString name = path.empty() ? mUntitledName : fromPath(path.filename());
    title += QStringLiteral(" - ") + name + QStringLiteral("[*]");
  }
  setWindowTitle(title);
  setWindowModified(mProject && !mProject->Saved());
}

void MainWindow::showHostError(const host::HostError& error) {
  mMessages.show(
      this, tr("错误") + QString::number(error.Number()),
      tr("发生错误，错误内容：") + QStringLiteral("\r\n") + QString::fromUtf8(error.what()),
      MessageBoxes::Icon::Critical, MessageBoxes::Buttons::Ok);
}

void MainWindow::CreateProject() {
  if (mBusy || !askToKeepChanges()) return;
  const std::filesystem::path templatePath = host::FindProjectTemplate(toPath(mProgramDir));
  std::unique_ptr<host::Workbook> made;
  try {
    made = std::make_unique<host::Workbook>(host::Workbook::Open(templatePath));
  } catch (const host::HostError& error) {
    showHostError(error);
    return;
  }
  showProject(std::move(made), fromPath(templatePath.stem()) + QStringLiteral("1"));
}

void MainWindow::showProject(std::unique_ptr<host::Workbook> project, const QString& untitledName) {
  mView->setWorkbook(nullptr);
  mProject = std::move(project);
  mUntitledName = untitledName;
  mView->setWorkbook(mProject.get());
  mView->table()->setFocus();
  updateTitle();
}

void MainWindow::workOnProject(const QString& label, WorkbookView::Thaw thaw,
                               const std::function<void()>& work) {
  // The view must not read the project while the worker changes it: it shows a picture of
  // itself meanwhile.
  mBusy = true;
  mView->freeze();
  std::exception_ptr failure;
  try {
    runInBackground(this, label, work);
  } catch (...) {
    failure = std::current_exception();
  }
  mView->thaw(thaw);
  mBusy = false;
  updateTitle();
  if (failure) std::rethrow_exception(failure);
}

void MainWindow::RunCalculation() {
  if (!mProject || mBusy) return;
  const SettingsForm form = GetConfig(mSettings);
  const uint64_t seed = DrawSeed();
  CalculationOutcome outcome;
  try {
    workOnProject(tr("正在计算记录表……"), WorkbookView::Thaw::Reload,
                  [&] { outcome = RunRecordedCalculation(*mProject, form, seed); });
  } catch (const std::exception& error) {
    outcome.messages.push_back(
        {"错误7", std::string("发生错误，错误内容：\r\n") + error.what(), true});
  }
  for (const CalculationMessage& message : outcome.messages) {
    mMessages.show(this, QString::fromUtf8(message.title.c_str()),
                   QString::fromUtf8(message.text.c_str()), MessageBoxes::Icon::Critical,
                   MessageBoxes::Buttons::Ok);
  }
}

void MainWindow::UpdateQuestion() {
  if (askToReadAboutUpdates(mMessages, this)) mPageOpener(GuidePage::Update);
}

void MainWindow::showSettings() {
  if (mSettingsDialog == nullptr) {
    mSettingsDialog = new SettingsDialog(mSettings, mMessages, this);
    mSettingsDialog->setObjectName(QStringLiteral("SettingsDialog"));
    connect(mSettingsDialog, &SettingsDialog::settingsSaved, this,
            [this](const SurveySettings& saved) { mSettings = saved; });
  }
  mSettingsDialog->setSettings(mSettings);
  mSettingsDialog->exec();
  // Back to the grid, where the user was, so that the keys work at once.
  activateWindow();
  mView->table()->setFocus();
}

void MainWindow::showProjectFiles() { ProjectFilesDialog::showInstance(this); }

bool MainWindow::askToKeepChanges() {
  if (!mProject || mProject->Saved()) return true;
  const QString name =
      windowTitle().section(QStringLiteral(" - "), 1).remove(QStringLiteral("[*]"));
  const MessageBoxes::Answer answer = mMessages.show(
      this, tr(kCaption), tr("项目“%1”有未保存的更改（输入或计算结果）。\n是否保存？").arg(name),
      MessageBoxes::Icon::Warning, MessageBoxes::Buttons::SaveDiscardCancel);
  if (answer == MessageBoxes::Answer::Save) return saveProject();
  return answer == MessageBoxes::Answer::Discard;
}

void MainWindow::openProjectChosen() {
  if (!askToKeepChanges()) return;
  const QString path = mPathChooser(false, QString());
  if (!path.isEmpty()) openFile(path);
}

bool MainWindow::openProject(const QString& path) {
  if (!askToKeepChanges()) return false;
  return openFile(path);
}

bool MainWindow::openFile(const QString& path) {
  if (mBusy) return false;
  std::unique_ptr<host::Workbook> opened;
  mBusy = true;
  try {
    runInBackground(this, tr("正在打开“%1”……").arg(QFileInfo(path).fileName()), [&] {
      opened = std::make_unique<host::Workbook>(host::Workbook::Open(toPath(path)));
    });
  } catch (const host::HostError& error) {
    mBusy = false;
    showHostError(error);
    return false;
  }
  mBusy = false;
  showProject(std::move(opened), QFileInfo(path).completeBaseName() + QStringLiteral("1"));
  return true;
}

void MainWindow::saveProjectChosen() { saveProject(); }

bool MainWindow::saveProject() {
  if (!mProject) return false;
  if (mProject->Path().empty()) {
    const QString path = mPathChooser(true, mUntitledName + QStringLiteral(".xlsx"));
    return !path.isEmpty() && saveProjectAs(path);
  }
  // In place only while the file is still the one read: Save refuses to overwrite a newer one.
  return saveInBackground(fromPath(mProject->Path()), [this] { mProject->Save(); });
}

bool MainWindow::saveProjectAs(const QString& path) {
  if (!mProject) return false;
  QString target = path;
  if (QFileInfo(target).suffix().isEmpty()) target += QStringLiteral(".xlsx");
  return saveInBackground(target, [&] { mProject->SaveAs(toPath(target)); });
}

bool MainWindow::saveInBackground(const QString& target, const std::function<void()>& save) {
  if (mBusy) return false;
  try {
    workOnProject(tr("正在保存“%1”……").arg(QFileInfo(target).fileName()), WorkbookView::Thaw::Keep,
                  save);
  } catch (const host::HostError& error) {
    showHostError(error);
    return false;
  }
  return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // Closing drops the project: typed input and calculated tables not yet saved would be lost
  // without a word, so the user is asked first.
  if (mBusy || !askToKeepChanges()) {
    event->ignore();
    return;
  }
  event->accept();
}

}  // namespace vardex
