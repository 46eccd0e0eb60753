// Settings dialog layout and its two buttons.
#include "app/settings_dialog.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

#include "app/message_boxes.hpp"
#include "controls/caption_panel.hpp"
#include "controls/design_units.hpp"

namespace vardex {
namespace {

// Lengths of the design in twips, relative to the panel or dialog that holds the control.
constexpr int kLabelLeft = 240;
constexpr int kCheckLabelLeft = 720;
constexpr int kLabelWidth = 1500;
constexpr int kCheckLabelWidth = 2415;
constexpr int kLabelHeight = 180;
constexpr int kBoxLeft = 1800;
constexpr int kBoxWidth = 1095;
constexpr int kBoxHeight = 270;
constexpr int kCheckLeft = 360;
constexpr int kCheckSize = 200;

enum class Box { PM0, PM1, SZ0, SZ1, SZ2, SZ3, SZ4, SZ5, SZ6, SZ7, CheckSZ, CheckZJD, CheckMiters };

// The rows of the settings panel, top to bottom.
struct Row {
  int top;
  int labelIndex;
  const char* caption;
  Box box;
};

constexpr Row kRows[] = {
    {570, 0, "平面位置负误差", Box::PM0},
    {960, 1, "平面位置正误差", Box::PM1},
    {1440, 9, "水准尺最小读数", Box::SZ0},
    {1830, 10, "水准尺最大读数", Box::SZ1},
    {2280, 2, "水准中间点负误差", Box::SZ2},
    {2670, 3, "水准中间点正误差", Box::SZ3},
    {3120, 4, "水准点闭合负误差", Box::SZ4},
    {3510, 5, "水准点闭合正误差", Box::SZ5},
    {3960, 6, "水准快速转站值", Box::SZ6},
    {4320, 7, "水准转站点前缀", Box::SZ7},
    {4800, 8, "显示转点高程", Box::CheckSZ},
    {5040, 16, "显示中间点", Box::CheckZJD},
    {5280, 17, "以m为单位显示前后视", Box::CheckMiters},
};

// The three promoted parts of Vardex: label index, name, tooltip, page.
struct Promotion {
  int labelIndex;
  const char* name;
  const char* tooltip;
  GuidePage page;
};

constexpr Promotion kPromotions[] = {
    {21, "命令行工具 vardex", "不开窗口，在命令行中计算项目工作簿的三张记录表，适合批量处理。",
     GuidePage::CommandLine},
    {19, "记录检查 vardex check",
     "检查计算出的水准表、放线记录表和平面位置检测表：闭合差、读数是否在尺上、坐标偏差，逐格指出问"
     "题。",
     GuidePage::RecordCheck},
    {18, "示例项目", "随程序提供的示例项目工作簿：看数据输入表怎样填写，并可直接计算。",
     GuidePage::ExampleProject},
};

std::string utf8(const QLineEdit* box) { return box->text().toStdString(); }

QString fromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

SettingsDialog::SettingsDialog(const SurveySettings& settings, MessageBoxes& messages,
                               QWidget* parent)
    : QDialog(parent), mSettings(settings), mMessages(messages) {
  mPageOpener = [this](GuidePage page) { openGuidePage(page, mMessages, this); };
  setWindowTitle(tr("软件设置"));
  setModal(true);
  setFont(songFont(9, false));
  // The width of the two panels side by side; the height as designed.
  setFixedSize(twipsToPixels(3255 + 4695), twipsToPixels(6720));

  buildSettingsPanel();
  buildAboutPanel();

  auto* cmdSet = new QPushButton(tr("设置"), this);
  cmdSet->setObjectName(QStringLiteral("CmdSet"));
  cmdSet->setGeometry(twipsRect(4440, 6240, 1455, 375));
  connect(cmdSet, &QPushButton::clicked, this, &SettingsDialog::setConfig);

  auto* cmdOk = new QPushButton(tr("关闭"), this);
  cmdOk->setObjectName(QStringLiteral("CmdOK"));
  cmdOk->setGeometry(twipsRect(6240, 6240, 1455, 375));
  connect(cmdOk, &QPushButton::clicked, this, &SettingsDialog::reject);
}

GuidePage SettingsDialog::pageForLabel(int index) {
  for (const Promotion& promotion : kPromotions) {
    if (promotion.labelIndex == index) return promotion.page;
  }
  return GuidePage::Home;
}

void SettingsDialog::buildSettingsPanel() {
  auto* panel = new CaptionPanel(this);
  panel->setObjectName(QStringLiteral("settingsPanel"));
  panel->setCaption(tr("水准平面设置"));
  panel->setGeometry(twipsRect(0, 0, 3255, 6015));

  for (const Row& row : kRows) {
    const bool isCheck = row.box >= Box::CheckSZ;
    addLabel(panel, row.labelIndex, tr(row.caption),
             isCheck ? twipsRect(kCheckLabelLeft, row.top, kCheckLabelWidth, kLabelHeight)
                     : twipsRect(kLabelLeft, row.top, kLabelWidth, kLabelHeight));
    if (isCheck) {
      auto* check = new QCheckBox(panel);
      check->setGeometry(twipsRect(kCheckLeft, row.top, kCheckSize, kCheckSize));
      QCheckBox*& slot = row.box == Box::CheckSZ    ? mCheckSZ
                         : row.box == Box::CheckZJD ? mCheckZJD
                                                    : mCheckMiters;
      slot = check;
      check->setObjectName(row.box == Box::CheckSZ    ? QStringLiteral("CheckSZ")
                           : row.box == Box::CheckZJD ? QStringLiteral("CheckZJD")
                                                      : QStringLiteral("CheckMiters"));
      continue;
    }
    auto* box = new QLineEdit(panel);
    box->setGeometry(twipsRect(kBoxLeft, row.top, kBoxWidth, kBoxHeight));
    const int n = static_cast<int>(row.box);
    if (n < 2) {
      mTextPM[static_cast<std::size_t>(n)] = box;
      box->setObjectName(QStringLiteral("TextPM_%1").arg(n));
    } else {
      mTextSZ[static_cast<std::size_t>(n - 2)] = box;
      box->setObjectName(QStringLiteral("TextSZ_%1").arg(n - 2));
    }
  }
  mTextSZ[6]->setToolTip(tr("越小转站越快，值【0 ～ (（尺最大读数-尺最小读数）/2)】"));

  // The class of the line, which sets the allowable misclosure, below the switches: the class
  // and whether the set-ups or the length count.
  constexpr int kClassTop = 5580;
  constexpr int kClassLeft = 1200;
  constexpr int kClassWidth = 840;
  addLabel(panel, 22, tr("水准等级"), twipsRect(kLabelLeft, kClassTop, 900, kLabelHeight));
  mComboClass = new QComboBox(panel);
  mComboClass->setObjectName(QStringLiteral("ComboClass"));
  for (const char* name : {"三等", "四等", "图根", "等外"}) mComboClass->addItem(tr(name));
  mComboClass->setGeometry(twipsRect(kClassLeft, kClassTop - 60, kClassWidth, kBoxHeight + 30));
  mComboBasis = new QComboBox(panel);
  mComboBasis->setObjectName(QStringLiteral("ComboBasis"));
  mComboBasis->addItem(tr("√n"), QStringLiteral("n"));
  mComboBasis->addItem(tr("√L"), QStringLiteral("L"));
  mComboBasis->setGeometry(twipsRect(kClassLeft + kClassWidth + 30, kClassTop - 60,
                                     kBoxLeft + kBoxWidth - kClassLeft - kClassWidth - 30,
                                     kBoxHeight + 30));
  mComboClass->setToolTip(
      tr("允许闭合差：三等 ±12√L、±4√n；四等 ±20√L、±6√n；图根、等外 ±40√L、±12√n（毫米）。"
         "n 为测站数，L 为路线长度（千米）；随机生成的记录总按测站数。"));
}

void SettingsDialog::buildAboutPanel() {
  auto* panel = new CaptionPanel(this);
  panel->setObjectName(QStringLiteral("aboutPanel"));
  panel->setCaption(tr("关于 V1.31"));
  panel->setGeometry(twipsRect(3240, 2040, 4695, 3975));

  QLabel* note = addLabel(panel, 15,
                          tr("V1.31 版本\n"
                             "设置只在本次运行中有效，每次启动恢复默认值。\n"
                             "点击本窗口中的文字可打开用户指南。"),
                          twipsRect(240, 420, 4320, 900));
  note->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  QLabel* heading = addLabel(panel, 20, tr("推广："), twipsRect(240, 1500, 1200, kLabelHeight));
  heading->setFont(songFont(9, true));

  int top = 1860;
  for (const Promotion& promotion : kPromotions) {
    QLabel* label = addLabel(panel, promotion.labelIndex, tr(promotion.name),
                             twipsRect(480, top, 3960, kLabelHeight));
    label->setToolTip(tr(promotion.tooltip));
    label->setStyleSheet(QStringLiteral("color: #022d7b; text-decoration: underline;"));
    top += 360;
  }
}

QLabel* SettingsDialog::addLabel(QWidget* panel, int index, const QString& text,
                                 const QRect& designed) {
  auto* label = new QLabel(text, panel);
  label->setObjectName(QStringLiteral("LabelInfo_%1").arg(index));
  label->setGeometry(fitLineHeight(designed, font()));
  label->setCursor(Qt::PointingHandCursor);
  label->installEventFilter(this);
  mLabelIndex[label] = index;
  return label;
}

void SettingsDialog::showEvent(QShowEvent* event) {
  // A window restored from the task bar is shown again by the system; only a show by the program
  // starts a new editing round.
  if (!event->spontaneous()) getConfig();
  QDialog::showEvent(event);
}

bool SettingsDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const auto* label = qobject_cast<QWidget*>(watched);
    const auto found = mLabelIndex.find(watched);
    if (found != mLabelIndex.end() && label != nullptr && mouse->button() == Qt::LeftButton &&
        label->rect().contains(mouse->position().toPoint())) {
      mPageOpener(pageForLabel(found->second));
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void SettingsDialog::getConfig() {
  const SettingsForm form = GetConfig(mSettings);
  for (std::size_t i = 0; i < mTextPM.size(); ++i) mTextPM[i]->setText(fromUtf8(form.TextPM[i]));
  for (std::size_t i = 0; i < mTextSZ.size(); ++i) mTextSZ[i]->setText(fromUtf8(form.TextSZ[i]));
  mCheckSZ->setChecked(form.CheckSZ);
  mCheckZJD->setChecked(form.CheckZJD);
  mCheckMiters->setChecked(form.CheckMiters);
  mComboClass->setCurrentText(fromUtf8(form.LevelClass));
  mComboBasis->setCurrentIndex(mComboBasis->findData(fromUtf8(form.ClosureBy)));
}

void SettingsDialog::setConfig() {
  SettingsForm form;
  for (std::size_t i = 0; i < mTextPM.size(); ++i) form.TextPM[i] = utf8(mTextPM[i]);
  for (std::size_t i = 0; i < mTextSZ.size(); ++i) form.TextSZ[i] = utf8(mTextSZ[i]);
  form.CheckSZ = mCheckSZ->isChecked();
  form.CheckZJD = mCheckZJD->isChecked();
  form.CheckMiters = mCheckMiters->isChecked();
  form.LevelClass = mComboClass->currentText().toStdString();
  form.ClosureBy = mComboBasis->currentData().toString().toStdString();

  const SetConfigResult result = SetConfig(form);
  if (result.settings) {
    mSettings = *result.settings;
    emit settingsSaved(mSettings);
  }
  mMessages.inform(this, fromUtf8(kSettingsMessageTitle), fromUtf8(result.message));
}

}  // namespace vardex
