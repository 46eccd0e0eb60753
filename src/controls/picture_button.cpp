// Picture button drawing and mouse handling.
#include "controls/picture_button.hpp"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace vardex {
namespace {

struct StateColors {
  QColor face;
  QColor frame;
};

StateColors colorsFor(PictureButton::State state, const QPalette& palette) {
  switch (state) {
    case PictureButton::State::Pressed:
      return {QColor(184, 216, 233), QColor(98, 163, 229)};
    case PictureButton::State::Hover:
      return {QColor(213, 239, 248), QColor(122, 177, 232)};
    case PictureButton::State::Normal:
      break;
  }
  // Face and frame alike, so the button looks flat.
  const QColor face = palette.color(QPalette::Button);
  return {face, face};
}

int roundedPixels(qreal length) { return static_cast<int>(std::nearbyint(length)); }

}  // namespace

PictureButton::PictureButton(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setFocusPolicy(Qt::NoFocus);
}

QSize PictureButton::sizeHint() const {
  return mPicture.isNull() ? QSize(24, 24) : mPicture.deviceIndependentSize().toSize();
}

void PictureButton::setPicture(const QPixmap& picture, PictureType type) {
  mPicture = picture;
  mPictureType = picture.isNull() ? PictureType::None : type;
  drawButton(State::Normal);
}

void PictureButton::drawButton(State state) {
  mState = state;
  update();
}

void PictureButton::paintEvent(QPaintEvent*) {
  // The button is composed in an image of its own: the AND of a bitmap needs a raster operation,
  // which not every paint device offers.
  const qreal ratio = devicePixelRatioF();
  QImage surface(QSize(mWidth, mHeight) * ratio, QImage::Format_RGB32);
  if (surface.isNull()) return;
  surface.setDevicePixelRatio(ratio);

  const QSizeF picSize = mPicture.isNull() ? QSizeF() : mPicture.deviceIndependentSize();
  mPicWidth = roundedPixels(picSize.width());
  mPicHeight = roundedPixels(picSize.height());

  const StateColors colors = colorsFor(mState, palette());
  QPainter painter(&surface);
  painter.fillRect(QRect(0, 0, mWidth, mHeight), colors.face);
  painter.fillRect(QRect(0, 0, mWidth, 1), colors.frame);
  painter.fillRect(QRect(0, mHeight - 1, mWidth, 1), colors.frame);
  painter.fillRect(QRect(0, 0, 1, mHeight), colors.frame);
  painter.fillRect(QRect(mWidth - 1, 0, 1, mHeight), colors.frame);

  // Integer division truncates toward zero: an odd remainder leaves the extra pixel right of and
  // below the picture, and a larger picture starts left of or above the surface.
  const QRect target((mWidth - mPicWidth) / 2, (mHeight - mPicHeight) / 2, mPicWidth, mPicHeight);
  if (mPictureType == PictureType::Icon) {
    painter.drawPixmap(target, mPicture);
  } else if (mPictureType == PictureType::Bitmap) {
    painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    painter.drawImage(target, mPicture.toImage().convertToFormat(QImage::Format_RGB32));
  }
  painter.end();

  QPainter(this).drawImage(0, 0, surface);
}

void PictureButton::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  mWidth = width();
  mHeight = height();
  drawButton(State::Normal);
}

void PictureButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) mPressed = true;
  drawButton(State::Pressed);
}

void PictureButton::mouseReleaseEvent(QMouseEvent* event) {
  drawButton(State::Normal);
  if (event->button() != Qt::LeftButton) return;
  const bool clicked =
      mPressed && !mReleaseEndsDoubleClick && isInside(event->position().toPoint());
  mPressed = false;
  mReleaseEndsDoubleClick = false;
  if (clicked) emitClick();
}

void PictureButton::mouseDoubleClickEvent(QMouseEvent* event) {
  drawButton(State::Pressed);
  if (event->button() != Qt::LeftButton) return;
  // The double click raises the second Click itself; its release then raises none.
  mPressed = false;
  mReleaseEndsDoubleClick = true;
  emitClick();
}

void PictureButton::mouseMoveEvent(QMouseEvent* event) {
  if (!isEnabled()) return;
  if (isInside(event->position().toPoint())) {
    if (QWidget::mouseGrabber() != this) grabMouse();
    drawButton(State::Hover);
  } else {
    drawButton(State::Normal);
    releaseGrab();
  }
}

void PictureButton::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  // With the grab held the next move decides; without it (someone else grabbed the mouse) this is
  // the last word the button gets.
  if (QWidget::mouseGrabber() != this) drawButton(State::Normal);
}

void PictureButton::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  releaseGrab();
  drawButton(State::Normal);
}

void PictureButton::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::EnabledChange && !isEnabled()) {
    releaseGrab();
    drawButton(State::Normal);
  }
}

bool PictureButton::isInside(QPoint position) const {
  return position.x() >= 0 && position.x() <= mWidth && position.y() >= 0 &&
         position.y() <= mHeight;
}

void PictureButton::releaseGrab() {
  if (QWidget::mouseGrabber() == this) releaseMouse();
}

void PictureButton::emitClick() {
  // The host may open a modal dialog from Click; a grab kept here would starve that dialog of
  // mouse input. The next move over the button takes the grab again.
  releaseGrab();
  emit Click();
}

}  // namespace vardex
