// Caption panel drawing.
#include "controls/caption_panel.hpp"

#include <QPainter>
#include <QShowEvent>
#include <algorithm>
#include <cmath>

#include "controls/design_units.hpp"

namespace vardex {
namespace {

const QColor kTextColor(2, 45, 123);
const QColor kHeaderStart(211, 224, 247);
const QColor kHeaderEnd(167, 197, 237);
const QColor kBodyStart(239, 244, 252);
const QColor kBodyEnd(220, 232, 250);
const QColor kBorder(173, 193, 220);

// Colour components carried as floating-point running values down a gradient.
struct RunningColor {
  double red;
  double green;
  double blue;
};

RunningColor running(const QColor& color) {
  return {static_cast<double>(color.red()), static_cast<double>(color.green()),
          static_cast<double>(color.blue())};
}

// Nearest whole component, an exact half going to the even neighbour (the default rounding
// mode); clamped because the header's last line runs one step past its end colour.
int component(double value) { return std::clamp(static_cast<int>(std::nearbyint(value)), 0, 255); }

QColor rounded(const RunningColor& color) {
  return QColor(component(color.red), component(color.green), component(color.blue));
}

// Axis-aligned line including both end points, one logical pixel thick also on high-dpi screens
// (a cosmetic pen would be one device pixel).
void drawLine(QPainter& painter, QPoint from, QPoint to, const QColor& color) {
  painter.fillRect(QRect(from, to).normalized(), color);
}

}  // namespace

CaptionPanel::CaptionPanel(QWidget* parent) : QWidget(parent) {}

QSize CaptionPanel::sizeHint() const { return twipsRect(0, 0, 4800, 3600).size(); }

QFont CaptionPanel::captionFont() { return songFont(9, true); }

void CaptionPanel::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  drawSurface();
  update();
}

void CaptionPanel::paintEvent(QPaintEvent*) {
  if (mSurface.isNull()) return;
  QPainter painter(this);
  painter.drawImage(0, 0, mSurface);
}

void CaptionPanel::drawSurface() {
  mWidth = width();
  mHeight = height();
  mTextRect = QRect(QPoint(8, 4), QPoint(mWidth - 3 - 1, 16 - 1));  // right and bottom exclusive
  if (mWidth <= 0 || mHeight <= 0) {
    mSurface = QImage();
    return;
  }
  const qreal ratio = devicePixelRatioF();
  mSurface = QImage(QSize(mWidth, mHeight) * ratio, QImage::Format_RGB32);
  mSurface.setDevicePixelRatio(ratio);
  mSurface.fill(palette().color(QPalette::Window));
  QPainter painter(&mSurface);
  drawHeaderBand(painter);
  drawBodyBand(painter);
  drawFrame(painter);
}

void CaptionPanel::drawHeaderBand(QPainter& painter) {
  // 18 steps over 20 lines: the 19th line has the end colour, the 20th one step beyond it.
  RunningColor value = running(kHeaderStart);
  const RunningColor end = running(kHeaderEnd);
  const RunningColor step{(value.red - end.red) / 18, (value.green - end.green) / 18,
                          (value.blue - end.blue) / 18};
  for (int i = 0; i < 20; ++i) {
    drawLine(painter, QPoint(1, i), QPoint(mWidth - 1, i), rounded(value));
    value.red -= step.red;
    value.green -= step.green;
    value.blue -= step.blue;
  }
  drawLine(painter, QPoint(4, 4), QPoint(4, 16), kBorder);

  if (mCaption.isEmpty() || !mTextRect.isValid()) return;
  painter.save();
  painter.setClipRect(mTextRect);
  painter.setFont(captionFont());
  painter.setPen(kTextColor);
  painter.drawText(mTextRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, mCaption);
  painter.restore();
}

void CaptionPanel::drawBodyBand(QPainter& painter) {
  // A 21-pixel panel has no room for a body: its one body line would be the bottom border, and
  // the step would divide by zero. Lower panels have no body lines at all.
  const int steps = mHeight - 21;
  if (steps <= 0) return;
  RunningColor value = running(kBodyStart);
  const RunningColor end = running(kBodyEnd);
  const RunningColor step{(value.red - end.red) / steps, (value.green - end.green) / steps,
                          (value.blue - end.blue) / steps};
  for (int y = 20; y < mHeight; ++y) {
    drawLine(painter, QPoint(1, y), QPoint(mWidth - 1, y), rounded(value));
    value.red -= step.red;
    value.green -= step.green;
    value.blue -= step.blue;
  }
}

void CaptionPanel::drawFrame(QPainter& painter) {
  const int right = mWidth - 1;
  const int bottom = mHeight - 1;
  drawLine(painter, QPoint(0, 0), QPoint(right, 0), kBorder);
  drawLine(painter, QPoint(0, 0), QPoint(0, bottom), kBorder);
  drawLine(painter, QPoint(0, bottom), QPoint(mWidth, bottom), kBorder);
  drawLine(painter, QPoint(right, 0), QPoint(right, bottom), kBorder);
}

}  // namespace vardex
