// Picture button: a flat tool-bar button showing one picture, lit light blue while the pointer is
// over it and darker blue while a mouse button is held on it.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>

namespace vardex {

/// An owner-drawn button with no caption and no keyboard focus. Raises `Click` on a click and
/// again on a double click, so a double click runs the host's command twice.
///
/// While the pointer is over it the button holds the mouse grab, so that it still hears the first
/// move outside and can go back to the flat look; the pointer counts as inside up to and including
/// x == width() and y == height().
class PictureButton : public QWidget {
  Q_OBJECT

 public:
  /// How a picture is drawn: an icon over the face with its transparency; a bitmap combined with
  /// the face by AND, so that white areas show the face colour and dark areas stay dark.
  enum class PictureType { None, Bitmap, Icon };
  Q_ENUM(PictureType)

  /// The looks of the button: flat in the button-face colour, pressed, or hovered.
  enum class State { Normal = 0, Pressed = 1, Hover = 2 };
  Q_ENUM(State)

  explicit PictureButton(QWidget* parent = nullptr);

  /// Sets the picture shown centred on the face and redraws the button flat. A null pixmap or
  /// PictureType::None shows no picture. A picture larger than the button is clipped.
  void setPicture(const QPixmap& picture, PictureType type);
  QPixmap picture() const { return mPicture; }
  PictureType pictureType() const { return mPictureType; }

  QSize sizeHint() const override;

 signals:
  void Click();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void drawButton(State state);
  bool isInside(QPoint position) const;
  void releaseGrab();
  void emitClick();

  int mWidth = 0;      ///< pixels, taken at each resize
  int mHeight = 0;     ///< pixels, taken at each resize
  int mPicWidth = 0;   ///< pixels, taken at each redraw
  int mPicHeight = 0;  ///< pixels, taken at each redraw
  QPixmap mPicture;
  PictureType mPictureType = PictureType::None;
  State mState = State::Normal;
  bool mPressed = false;                 ///< a left press started on the button
  bool mReleaseEndsDoubleClick = false;  ///< the next release belongs to a double click
};

}  // namespace vardex
