// Project files dialog layout.
#include "app/project_files_dialog.hpp"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include "controls/caption_panel.hpp"
#include "controls/design_units.hpp"

namespace vardex {
namespace {

// One file row as designed, lengths in twips relative to the panel.
struct FileRow {
  int index;  // of its label, path box and browse button in the design
  const char* label;
  int labelLeft, labelTop, labelWidth;
  int boxTop;
  int buttonTop;
};

constexpr FileRow kFileRows[] = {
    {2, "项目文件(*.Pj)", 480, 510, 1260, 480, 480},
    {3, "项目数据库(*.xls)", 240, 1080, 1530, 1050, 1050},
    {1, "导线点文件(*.dxd)", 240, 1470, 1530, 1440, 1440},
    {0, "水准点文件(*.szd)", 240, 1920, 1530, 1890, 1920},
};

struct FootButton {
  const char* objectName;
  const char* caption;
  int left;
};

constexpr FootButton kFootButtons[] = {
    {"Command6", "新建项目", 360},
    {"Command7", "重载项目", 2880},
    {"CommandSave", "保存项目", 4560},
};

// The browse buttons are Command1 to Command4, each one above the index of its row's path box.
QString browseButtonName(int index) { return QStringLiteral("Command%1").arg(index + 1); }

}  // namespace

ProjectFilesDialog::ProjectFilesDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("项目管理器"));
  setFont(songFont(9, false));
  setFixedSize(twipsRect(0, 0, 6600, 2775).size());

  mPanel = new CaptionPanel(this);
  mPanel->setObjectName(QStringLiteral("filesPanel"));
  mPanel->setCaption(tr("项目文件设置"));
  mPanel->setGeometry(rect());

  for (const FileRow& row : kFileRows) {
    auto* label = new QLabel(tr(row.label), mPanel);
    label->setObjectName(QStringLiteral("LabelInfo_%1").arg(row.index));
    label->setGeometry(
        fitLineHeight(twipsRect(row.labelLeft, row.labelTop, row.labelWidth, 180), font()));

    auto* box = new QLineEdit(tr("期待2.0版本"), mPanel);
    box->setObjectName(QStringLiteral("TextPM_%1").arg(row.index));
    box->setGeometry(twipsRect(1920, row.boxTop, 3615, 270));

    auto* browse = new QPushButton(QStringLiteral("..."), mPanel);
    browse->setObjectName(browseButtonName(row.index));
    browse->setGeometry(twipsRect(5640, row.buttonTop, 735, 255));
  }

  for (const FootButton& foot : kFootButtons) {
    auto* button = new QPushButton(tr(foot.caption), mPanel);
    button->setObjectName(QString::fromUtf8(foot.objectName));
    button->setGeometry(twipsRect(foot.left, 2280, 1455, 375));
  }
}

ProjectFilesDialog* ProjectFilesDialog::showInstance(QWidget* parent) {
  static QPointer<ProjectFilesDialog> instance;
  if (!instance) {
    instance = new ProjectFilesDialog(parent);
    instance->setAttribute(Qt::WA_DeleteOnClose);
  }
  instance->show();
  instance->raise();
  instance->activateWindow();
  return instance;
}

}  // namespace vardex
