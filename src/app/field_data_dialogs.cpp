// Layout and behaviour of the field data dialogs.
#include "app/field_data_dialogs.hpp"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vardex {
namespace {

struct FormatChoice {
  const char* name;
  const char* caption;
  const char* suffix;
};

constexpr FormatChoice kFormats[] = {
    {"csv", "CSV（点名,X,Y,H）", ".csv"},
    {"dat", "DAT（点名,编码,Y,X,H，东坐标在前）", ".dat"},
    {"gsi16", "Leica GSI-16（全站仪）", ".gsi"},
    {"dxf", "DXF（CAD：点和点名分层）", ".dxf"},
    {"landxml", "LandXML（CgPoints）", ".xml"},
};

}  // namespace

FieldImportDialog::FieldImportDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("导入观测数据"));
  auto* layout = new QVBoxLayout(this);

  mKinds = new QButtonGroup(this);
  auto* levelling =
      new QRadioButton(tr("水准观测：Leica GSI、M5 格式或 CSV 手簿（生成水准表）"), this);
  levelling->setObjectName(QStringLiteral("kindLevelling"));
  auto* stakeout = new QRadioButton(
      tr("放样实测坐标：CSV、DAT、GSI-16、DXF 或 LandXML（生成平面位置检测表）"), this);
  stakeout->setObjectName(QStringLiteral("kindStakeout"));
  mKinds->addButton(levelling, static_cast<int>(Kind::Levelling));
  mKinds->addButton(stakeout, static_cast<int>(Kind::Stakeout));
  levelling->setChecked(true);
  layout->addWidget(levelling);
  layout->addWidget(stakeout);

  layout->addWidget(new QLabel(tr("文件（水准观测可给多个，按路线顺序排列）："), this));
  mFiles = new QListWidget(this);
  mFiles->setObjectName(QStringLiteral("files"));
  mFiles->setDragDropMode(QAbstractItemView::InternalMove);
  layout->addWidget(mFiles);
  auto* fileButtons = new QHBoxLayout;
  auto* add = new QPushButton(tr("添加文件…"), this);
  add->setObjectName(QStringLiteral("addFiles"));
  auto* remove = new QPushButton(tr("移除"), this);
  remove->setObjectName(QStringLiteral("removeFile"));
  fileButtons->addWidget(add);
  fileButtons->addWidget(remove);
  fileButtons->addStretch();
  layout->addLayout(fileButtons);

  auto* form = new QFormLayout;
  mDistribution = new QComboBox(this);
  mDistribution->setObjectName(QStringLiteral("distribution"));
  mDistribution->addItem(tr("不分配"));
  mDistribution->addItem(tr("按测站数反号分配"));
  mDistribution->addItem(tr("按视距长度反号分配"));
  form->addRow(tr("闭合差分配："), mDistribution);
  layout->addLayout(form);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  mOk = buttons->button(QDialogButtonBox::Ok);
  mOk->setObjectName(QStringLiteral("ok"));
  mOk->setText(tr("导入"));
  buttons->button(QDialogButtonBox::Cancel)->setText(tr("取消"));
  layout->addWidget(buttons);

  mChooser = [this](Kind chosen) {
    const QString filter =
        chosen == Kind::Levelling
            ? tr("水准观测文件 (*.gsi *.GSI *.dat *.DAT *.m5 *.csv *.txt);;所有文件 (*)")
            : tr("坐标文件 (*.csv *.dat *.gsi *.dxf *.xml *.txt);;所有文件 (*)");
    return QFileDialog::getOpenFileNames(this, tr("选择观测文件"), QString(), filter);
  };
  connect(add, &QPushButton::clicked, this, &FieldImportDialog::addFiles);
  connect(remove, &QPushButton::clicked, this, [this] {
    delete mFiles->takeItem(mFiles->currentRow());
    updateControls();
  });
  connect(mKinds, &QButtonGroup::idClicked, this, [this] { updateControls(); });
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  updateControls();
}

FieldImportDialog::Kind FieldImportDialog::kind() const {
  return static_cast<Kind>(mKinds->checkedId());
}

QStringList FieldImportDialog::files() const {
  QStringList paths;
  for (int i = 0; i < mFiles->count(); ++i) paths << mFiles->item(i)->data(Qt::UserRole).toString();
  return paths;
}

FieldImportDialog::Distribution FieldImportDialog::distribution() const {
  return static_cast<Distribution>(mDistribution->currentIndex());
}

void FieldImportDialog::addFiles() {
  for (const QString& path : mChooser(kind())) {
    auto* item = new QListWidgetItem(QFileInfo(path).fileName(), mFiles);
    item->setData(Qt::UserRole, path);
    item->setToolTip(QDir::toNativeSeparators(path));
  }
  updateControls();
}

// A stake-out import reads one file; only a levelling line shares out its misclosure.
void FieldImportDialog::updateControls() {
  const bool levelling = kind() == Kind::Levelling;
  mDistribution->setEnabled(levelling);
  while (!levelling && mFiles->count() > 1) delete mFiles->takeItem(mFiles->count() - 1);
  mOk->setEnabled(mFiles->count() > 0);
}

StakeoutExportDialog::StakeoutExportDialog(const QString& suggestedFolder, QWidget* parent)
    : QDialog(parent), mFolder(suggestedFolder) {
  setWindowTitle(tr("导出放样点"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(
      tr("把“数据输入”表的测站、后视点和待放样点（设计坐标和设计高程）写成全站仪或 CAD 用的文件。"),
      this));
  auto* form = new QFormLayout;
  mFormat = new QComboBox(this);
  mFormat->setObjectName(QStringLiteral("format"));
  for (const FormatChoice& choice : kFormats) {
    mFormat->addItem(tr(choice.caption), QString::fromUtf8(choice.name));
  }
  form->addRow(tr("格式："), mFormat);
  mEncoding = new QComboBox(this);
  mEncoding->setObjectName(QStringLiteral("encoding"));
  mEncoding->addItem(tr("UTF-8"));
  mEncoding->addItem(tr("GBK（中文 Windows、国产仪器）"));
  form->addRow(tr("文字编码："), mEncoding);
  auto* pathRow = new QHBoxLayout;
  mPath = new QLineEdit(this);
  mPath->setObjectName(QStringLiteral("path"));
  auto* browse = new QPushButton(tr("浏览…"), this);
  browse->setObjectName(QStringLiteral("browse"));
  pathRow->addWidget(mPath, 1);
  pathRow->addWidget(browse);
  form->addRow(tr("文件："), pathRow);
  layout->addLayout(form);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  mOk = buttons->button(QDialogButtonBox::Ok);
  mOk->setObjectName(QStringLiteral("ok"));
  mOk->setText(tr("导出"));
  buttons->button(QDialogButtonBox::Cancel)->setText(tr("取消"));
  layout->addWidget(buttons);

  mChooser = [this](const QString& suggested) {
    return QFileDialog::getSaveFileName(this, tr("导出放样点"), suggested);
  };
  connect(browse, &QPushButton::clicked, this, &StakeoutExportDialog::browse);
  connect(mFormat, &QComboBox::currentIndexChanged, this, [this] { updateControls(); });
  connect(mPath, &QLineEdit::textChanged, this, [this] { updateControls(); });
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  updateControls();
}

QString StakeoutExportDialog::path() const { return mPath->text().trimmed(); }
QString StakeoutExportDialog::format() const { return mFormat->currentData().toString(); }
bool StakeoutExportDialog::gbk() const { return mEncoding->currentIndex() == 1; }

void StakeoutExportDialog::browse() {
  const QString suffix =
      QString::fromUtf8(kFormats[static_cast<std::size_t>(mFormat->currentIndex())].suffix);
  const QString suggested =
      path().isEmpty() ? QDir(mFolder).filePath(tr("放样点") + suffix) : path();
  const QString chosen = mChooser(suggested);
  if (!chosen.isEmpty()) mPath->setText(chosen);
}

// DXF and GSI are ASCII whatever is chosen; LandXML is always UTF-8.
void StakeoutExportDialog::updateControls() {
  const QString chosen = format();
  mEncoding->setEnabled(chosen == QStringLiteral("csv") || chosen == QStringLiteral("dat"));
  mOk->setEnabled(!path().isEmpty());
}

}  // namespace vardex
