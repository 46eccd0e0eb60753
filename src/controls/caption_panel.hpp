// Caption panel: a container that frames a group of controls under a caption, with a light-blue
// gradient header, a marker line, a paler gradient body and a thin border.
#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>

namespace vardex {

/// A captioned panel. Its controls are its children and move with it.
///
/// The panel draws itself once each time it is shown, into an image of its size at that moment,
/// and repaints from that image: resizing it afterwards does not redraw it, and a new `Caption`
/// shows only from the next show on.
class CaptionPanel : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ caption WRITE setCaption)

 public:
  explicit CaptionPanel(QWidget* parent = nullptr);

  QString caption() const { return mCaption; }
  /// Stores the caption; it shows the next time the panel is shown.
  void setCaption(const QString& caption) { mCaption = caption; }

  /// Where the caption was last drawn, in pixels; empty before the first show.
  QRect textRect() const { return mTextRect; }

  /// 4800 by 3600 twips, the size a new panel is given.
  QSize sizeHint() const override;

  /// Bold 9-point "宋体" (or its fallback) in which the caption is drawn.
  static QFont captionFont();

 protected:
  void showEvent(QShowEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void drawSurface();
  void drawHeaderBand(QPainter& painter);
  void drawBodyBand(QPainter& painter);
  void drawFrame(QPainter& painter);

  int mHeight = 0;  ///< surface height in pixels, taken at the last show
  int mWidth = 0;   ///< surface width in pixels, taken at the last show
  QRect mTextRect;
  QString mCaption;
  QImage mSurface;
};

}  // namespace vardex
