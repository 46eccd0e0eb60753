// The alignment calculator: two small forms, each with its button, and the answers beside them.
#include "app/alignment_calculator_dialog.hpp"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "alignment/alignment_error.hpp"
#include "controls/design_units.hpp"
#include "numeric/number_text.hpp"
#include "numeric/survey_functions.hpp"

namespace vardex {
namespace {

QString fromUtf8(const std::string& text) { return QString::fromUtf8(text.c_str()); }

QLineEdit* addBox(QFormLayout* form, const QString& label, const char* name, bool answer) {
  auto* box = new QLineEdit;
  box->setObjectName(QString::fromUtf8(name));
  // Answers can be selected and copied, not typed over.
  box->setReadOnly(answer);
  form->addRow(label, box);
  return box;
}

std::optional<double> readMetres(const QString& text) {
  const auto value = ParseNumericText(text.toStdString());
  if (!value || !std::isfinite(*value)) return std::nullopt;
  return value;
}

}  // namespace

AlignmentCalculatorDialog::AlignmentCalculatorDialog(AlignmentSource source, QWidget* parent)
    : QDialog(parent), mSource(std::move(source)) {
  setWindowTitle(tr("桩号坐标计算"));
  setFont(songFont(9, false));
  auto* layout = new QVBoxLayout(this);
  auto* both = new QHBoxLayout;
  layout->addLayout(both);

  auto* forward = new QGroupBox(tr("桩号、偏距 → 坐标"), this);
  auto* forwardForm = new QFormLayout(forward);
  mStation = addBox(forwardForm, tr("桩号"), "stationBox", false);
  mStation->setPlaceholderText(tr("如 K1+240"));
  mOffset = addBox(forwardForm, tr("偏距 (m)"), "offsetBox", false);
  mOffset->setPlaceholderText(tr("左负右正，不填为 0"));
  auto* forwardButton = new QPushButton(tr("计算坐标"), forward);
  forwardButton->setObjectName(QStringLiteral("toCoordinatesButton"));
  forwardForm->addRow(QString(), forwardButton);
  mX = addBox(forwardForm, tr("X (m)"), "xAnswer", true);
  mY = addBox(forwardForm, tr("Y (m)"), "yAnswer", true);
  mElevation = addBox(forwardForm, tr("设计高程 (m)"), "elevationAnswer", true);
  mAzimuth = addBox(forwardForm, tr("切线方位角"), "azimuthAnswer", true);
  both->addWidget(forward);

  auto* reverse = new QGroupBox(tr("坐标 → 桩号、偏距"), this);
  auto* reverseForm = new QFormLayout(reverse);
  mPointX = addBox(reverseForm, tr("X (m)"), "xBox", false);
  mPointY = addBox(reverseForm, tr("Y (m)"), "yBox", false);
  auto* reverseButton = new QPushButton(tr("计算桩号"), reverse);
  reverseButton->setObjectName(QStringLiteral("toStationButton"));
  reverseForm->addRow(QString(), reverseButton);
  mFootStation = addBox(reverseForm, tr("桩号"), "stationAnswer", true);
  mFootOffset = addBox(reverseForm, tr("偏距 (m)"), "offsetAnswer", true);
  both->addWidget(reverse);

  mStatus = new QLabel(this);
  mStatus->setObjectName(QStringLiteral("statusLabel"));
  mStatus->setWordWrap(true);
  mStatus->setStyleSheet(QStringLiteral("color: #b00000;"));
  layout->addWidget(mStatus);

  connect(forwardButton, &QPushButton::clicked, this, &AlignmentCalculatorDialog::toCoordinates);
  connect(reverseButton, &QPushButton::clicked, this, &AlignmentCalculatorDialog::toStation);
  connect(mStation, &QLineEdit::returnPressed, this, &AlignmentCalculatorDialog::toCoordinates);
  connect(mOffset, &QLineEdit::returnPressed, this, &AlignmentCalculatorDialog::toCoordinates);
  connect(mPointY, &QLineEdit::returnPressed, this, &AlignmentCalculatorDialog::toStation);
}

void AlignmentCalculatorDialog::report(const QString& text) { mStatus->setText(text); }

void AlignmentCalculatorDialog::toCoordinates() {
  for (QLineEdit* answer : {mX, mY, mElevation, mAzimuth}) answer->clear();
  const auto station = ParseStation(mStation->text().toStdString());
  if (!station) return report(tr("桩号“%1”无法识别：应如 K1+240 或 1240").arg(mStation->text()));
  const auto offset = mOffset->text().trimmed().isEmpty() ? std::optional<double>(0.0)
                                                          : readMetres(mOffset->text());
  if (!offset) return report(tr("偏距应为米数，实为“%1”").arg(mOffset->text()));
  try {
    const RoadPoint point = mSource().AtStation(*station, *offset);
    mX->setText(fromUtf8(FixedText(point.X, 4)));
    mY->setText(fromUtf8(FixedText(point.Y, 4)));
    mElevation->setText(point.Elevation ? fromUtf8(FixedText(*point.Elevation, 3))
                                        : tr("（无纵断面）"));
    mAzimuth->setText(fromUtf8(AngleToDmsText(point.Azimuth)));
    report(QString());
  } catch (const AlignmentError& error) {
    report(QString::fromUtf8(error.what()));
  }
}

void AlignmentCalculatorDialog::toStation() {
  for (QLineEdit* answer : {mFootStation, mFootOffset}) answer->clear();
  const auto x = readMetres(mPointX->text());
  const auto y = readMetres(mPointY->text());
  if (!x || !y) return report(tr("X、Y 应为米数"));
  try {
    const RoadPoint point = mSource().Nearest(*x, *y);
    mFootStation->setText(fromUtf8(StationText(point.Station, 3)));
    mFootOffset->setText(fromUtf8(FixedText(point.Offset, 3)));
    report(QString());
  } catch (const AlignmentError& error) {
    report(QString::fromUtf8(error.what()));
  }
}

}  // namespace vardex
