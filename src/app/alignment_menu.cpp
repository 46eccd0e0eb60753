// The alignment commands of the main window.
#include "app/alignment_menu.hpp"

#include <QAction>
#include <QFileDialog>
#include <QInputDialog>
#include <QMenu>
#include <filesystem>

#include "alignment/alignment_error.hpp"
#include "alignment/alignment_sheet.hpp"
#include "alignment/curve_table.hpp"
#include "alignment/landxml.hpp"
#include "alignment/station_list.hpp"
#include "app/alignment_calculator_dialog.hpp"
#include "app/curve_table_dialog.hpp"
#include "app/main_window.hpp"
#include "app/message_boxes.hpp"
#include "app/station_list_dialog.hpp"
#include "app/workbook_view.hpp"
#include "host/workbook.hpp"

namespace vardex {
namespace {

QString fromUtf8(const std::string& text) { return QString::fromUtf8(text.c_str()); }

// Lets the view go while the core writes into the workbook, and shows it again afterwards,
// whatever happens in between.
class Suspended {
 public:
  explicit Suspended(WorkbookView& view) : mView(view) { mView.freeze(); }
  ~Suspended() { mView.thaw(WorkbookView::Thaw::Reload); }
  Suspended(const Suspended&) = delete;
  Suspended& operator=(const Suspended&) = delete;

 private:
  WorkbookView& mView;
};

}  // namespace

AlignmentMenu::AlignmentMenu(MainWindow& window, MessageBoxes& messages)
    : QObject(&window), mWindow(window), mMessages(messages) {
  mMenu = new QMenu(tr("线路(&L)"), &window);
  mMenu->setObjectName(QStringLiteral("menuAlignment"));
  auto add = [this](const char* name, const QString& caption, void (AlignmentMenu::*slot)()) {
    QAction* action = mMenu->addAction(caption);
    action->setObjectName(QString::fromUtf8(name));
    connect(action, &QAction::triggered, this, slot);
  };
  add("menuFillStations", tr("填写待放样点…"), &AlignmentMenu::fillStations);
  add("menuAlignmentCalculator", tr("桩号坐标计算…"), &AlignmentMenu::showCalculator);
  add("menuCurveTable", tr("曲线要素表…"), &AlignmentMenu::showCurveTable);
  mMenu->addSeparator();
  add("menuImportLandXml", tr("导入 LandXML 线路…"), &AlignmentMenu::importLandXml);

  mFileChooser = [this] {
    return QFileDialog::getOpenFileName(&mWindow, tr("导入 LandXML 线路"), QString(),
                                        tr("LandXML 文件 (*.xml)"));
  };
  mNameChooser = [this](const QStringList& names) {
    bool ok = false;
    const QString name =
        QInputDialog::getItem(&mWindow, tr("导入 LandXML 线路"),
                              tr("文件中有几条线路，请选择一条："), names, 0, false, &ok);
    return ok ? name : QString();
  };
}

bool AlignmentMenu::haveProject() {
  if (mWindow.project() != nullptr) return true;
  mMessages.inform(&mWindow, tr("线路"), tr("请先新建或打开一个项目。"));
  return false;
}

void AlignmentMenu::showError(const char* what) {
  mMessages.show(&mWindow, tr("线路"), QString::fromUtf8(what), MessageBoxes::Icon::Critical,
                 MessageBoxes::Buttons::Ok);
}

void AlignmentMenu::showChangedSheet(const char* name) {
  host::Workbook& book = *mWindow.project();
  for (std::size_t i = 0; i < book.SheetCount(); ++i) {
    if (book.SheetAt(i).Name() == name) mWindow.view()->showSheet(static_cast<int>(i));
  }
  mWindow.setWindowModified(true);
}

void AlignmentMenu::fillStations() {
  if (!haveProject()) return;
  host::Workbook& book = *mWindow.project();
  try {
    const RoadAlignment road = RoadAlignment::Build(ReadAlignmentSheet(book));
    if (mStationList == nullptr) {
      mStationList = new StationListDialog(mMessages, &mWindow);
      mStationList->setObjectName(QStringLiteral("StationListDialog"));
    }
    mStationList->setAlignmentRange(road.Stations().StartStation(), road.Stations().EndStation());
    if (mStationList->exec() != QDialog::Accepted) return;
    const std::vector<StakeOutRow> rows = ListStations(road, mStationList->request());
    {
      const Suspended suspended(*mWindow.view());
      WritePointList(book, rows);
    }
    showChangedSheet("数据输入");
    QString done =
        tr("已填写 %1 个点（“数据输入”第 8 行至第 %2 行）。").arg(rows.size()).arg(rows.size() + 7);
    if (!road.HasProfile()) done += tr("\n线路没有纵断面，设计高程（E 列）未填。");
    mMessages.inform(&mWindow, tr("线路"), done);
  } catch (const AlignmentError& error) {
    showError(error.what());
  }
}

void AlignmentMenu::showCalculator() {
  if (!haveProject()) return;
  if (mCalculator == nullptr) {
    mCalculator = new AlignmentCalculatorDialog(
        [this] {
          if (mWindow.project() == nullptr) throw AlignmentError(tr("没有项目").toStdString());
          return RoadAlignment::Build(ReadAlignmentSheet(*mWindow.project()));
        },
        &mWindow);
    mCalculator->setObjectName(QStringLiteral("AlignmentCalculatorDialog"));
  }
  mCalculator->show();
  mCalculator->raise();
  mCalculator->activateWindow();
}

void AlignmentMenu::showCurveTable() {
  if (!haveProject()) return;
  try {
    const CurveTable table =
        MakeCurveTable(RoadAlignment::Build(ReadAlignmentSheet(*mWindow.project())));
    if (mCurveTable == nullptr) {
      mCurveTable = new CurveTableDialog(&mWindow);
      mCurveTable->setObjectName(QStringLiteral("CurveTableDialog"));
    }
    mCurveTable->setTable(table);
    mCurveTable->show();
    mCurveTable->raise();
  } catch (const AlignmentError& error) {
    showError(error.what());
  }
}

void AlignmentMenu::importLandXml() {
  if (!haveProject()) return;
  const QString path = mFileChooser();
  if (path.isEmpty()) return;
  const std::filesystem::path file(path.toStdU16String());
  try {
    QStringList names;
    for (const std::string& name : LandXmlAlignmentNames(file)) names << fromUtf8(name);
    QString chosen;
    if (names.size() > 1) {
      chosen = mNameChooser(names);
      if (chosen.isEmpty()) return;
    }
    const AlignmentInput input = ReadLandXml(file, chosen.toStdString());
    const RoadAlignment road = RoadAlignment::Build(input);
    {
      const Suspended suspended(*mWindow.view());
      WriteAlignmentSheet(*mWindow.project(), input);
    }
    showChangedSheet("线路数据");
    mMessages.inform(&mWindow, tr("线路"),
                     tr("已读入线路“%1”：%2 个交点，%3 个变坡点，%4 处断链；横坡未改动。")
                         .arg(fromUtf8(input.Name))
                         .arg(road.Horizontal().Curves().size())
                         .arg(input.Grades.size())
                         .arg(input.Equations.size()));
  } catch (const AlignmentError& error) {
    showError(error.what());
  }
}

}  // namespace vardex
