// The fill-the-point-list dialog: its boxes and the reading of what is typed in them.
#include "app/station_list_dialog.hpp"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "app/message_boxes.hpp"
#include "controls/design_units.hpp"
#include "numeric/number_text.hpp"

namespace vardex {
namespace {

QString fromUtf8(const std::string& text) { return QString::fromUtf8(text.c_str()); }

QLineEdit* addBox(QFormLayout* form, const QString& label, const char* name, const QString& hint) {
  auto* box = new QLineEdit;
  box->setObjectName(QString::fromUtf8(name));
  box->setPlaceholderText(hint);
  form->addRow(label, box);
  return box;
}

// Comma-separated numbers (or stations); empty when one does not read.
std::optional<std::vector<double>> readList(const QString& text,
                                            std::optional<double> (*read)(const std::string&)) {
  std::vector<double> values;
  for (const QString& part : text.split(QLatin1Char(','))) {
    const auto value = read(part.trimmed().toStdString());
    if (!value) return std::nullopt;
    values.push_back(*value);
  }
  return values;
}

std::optional<double> readMetres(const std::string& text) {
  const auto value = ParseNumericText(text);
  if (!value || !std::isfinite(*value)) return std::nullopt;
  return value;
}

std::optional<double> readStation(const std::string& text) { return ParseStation(text); }

}  // namespace

StationListDialog::StationListDialog(MessageBoxes& messages, QWidget* parent)
    : QDialog(parent), mMessages(messages) {
  setWindowTitle(tr("填写待放样点"));
  setModal(true);
  setFont(songFont(9, false));

  auto* layout = new QVBoxLayout(this);
  mRange = new QLabel(this);
  mRange->setObjectName(QStringLiteral("rangeLabel"));
  layout->addWidget(mRange);

  auto* form = new QFormLayout;
  mFrom = addBox(form, tr("起始桩号"), "fromBox", tr("如 K1+200"));
  mTo = addBox(form, tr("终止桩号"), "toBox", tr("如 K1+560"));
  mEvery = addBox(form, tr("整桩间距 (m)"), "everyBox", tr("如 20；不填则不取整桩"));
  mOffsets = addBox(form, tr("偏距 (m)"), "offsetsBox", tr("逗号分隔，左负右正，如 -7.5, 0, 7.5"));
  mAt = addBox(form, tr("加桩"), "atBox", tr("逗号分隔，如 K1+245.5, K1+250"));
  mMainPoints = new QCheckBox(tr("加上曲线主点（ZH、HY、QZ、YH、HZ）"), this);
  mMainPoints->setObjectName(QStringLiteral("mainPointsBox"));
  form->addRow(QString(), mMainPoints);
  layout->addLayout(form);
  mEvery->setText(QStringLiteral("20"));
  mOffsets->setText(QStringLiteral("0"));

  auto* note = new QLabel(tr("点位填入“数据输入”表第 8 行起（A 点名，B 偏距，C X，D Y，"
                             "E 设计高程），原有点位被替换。"),
                          this);
  note->setWordWrap(true);
  layout->addWidget(note);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* fillButton = buttons->addButton(tr("填写"), QDialogButtonBox::AcceptRole);
  fillButton->setObjectName(QStringLiteral("fillButton"));
  QPushButton* cancelButton = buttons->addButton(tr("取消"), QDialogButtonBox::RejectRole);
  cancelButton->setObjectName(QStringLiteral("cancelButton"));
  connect(fillButton, &QPushButton::clicked, this, &StationListDialog::fill);
  connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
  layout->addWidget(buttons);
}

void StationListDialog::setAlignmentRange(double start, double end) {
  const QString first = fromUtf8(StationText(start, 3));
  const QString last = fromUtf8(StationText(end, 3));
  mRange->setText(tr("线路自 %1 至 %2").arg(first, last));
  if (mFrom->text().trimmed().isEmpty()) mFrom->setText(first);
  if (mTo->text().trimmed().isEmpty()) mTo->setText(last);
}

void StationListDialog::fill() {
  StationListRequest request;
  auto refuse = [this](QLineEdit* box, const QString& what) {
    mMessages.show(this, windowTitle(), what, MessageBoxes::Icon::Warning,
                   MessageBoxes::Buttons::Ok);
    box->setFocus();
    box->selectAll();
  };
  const std::pair<QLineEdit*, std::optional<double>*> range[] = {{mFrom, &request.From},
                                                                 {mTo, &request.To}};
  for (const auto& [box, target] : range) {
    if (box->text().trimmed().isEmpty()) continue;
    *target = ParseStation(box->text().toStdString());
    if (!*target) {
      return refuse(box, tr("桩号“%1”无法识别：应如 K1+200 或 1200").arg(box->text()));
    }
  }
  if (!mEvery->text().trimmed().isEmpty()) {
    const auto every = readMetres(mEvery->text().toStdString());
    if (!every || *every <= 0) {
      return refuse(mEvery, tr("整桩间距应为大于 0 的米数，实为“%1”").arg(mEvery->text()));
    }
    request.Every = *every;
  }
  const struct {
    QLineEdit* box;
    std::vector<double>* target;
    std::optional<double> (*read)(const std::string&);
    QString what;
  } lists[] = {
      {mOffsets, &request.Offsets, readMetres, tr("偏距应为逗号分隔的米数，如 -7.5, 0, 7.5")},
      {mAt, &request.At, readStation, tr("加桩应为逗号分隔的桩号，如 K1+245.5, K1+250")}};
  for (const auto& list : lists) {
    if (list.box->text().trimmed().isEmpty()) continue;
    const auto values = readList(list.box->text(), list.read);
    if (!values) return refuse(list.box, tr("%1，实为“%2”").arg(list.what, list.box->text()));
    *list.target = *values;
  }
  request.MainPoints = mMainPoints->isChecked();
  if (request.Every <= 0 && request.At.empty() && !request.MainPoints) {
    return refuse(mEvery, tr("请填写整桩间距或加桩，或选择加上曲线主点"));
  }
  mRequest = request;
  accept();
}

}  // namespace vardex
