// The picture button through real mouse events on its window: colours of each look, where the
// picture lands and how it combines with the face, hover tracking with the grab, and Click.
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

#include "controls/picture_button.hpp"
#include "support/qt_tests.hpp"

using vardex::PictureButton;

namespace {

const QColor kHoverFace(213, 239, 248);
const QColor kHoverFrame(122, 177, 232);
const QColor kPressedFace(184, 216, 233);
const QColor kPressedFrame(98, 163, 229);

// A window with one button at (20, 20), so that the pointer can leave the button and still be
// over the window.
struct Host {
  explicit Host(QSize buttonSize) {
    window.resize(120, 90);
    button = new PictureButton(&window);
    button->setGeometry(QRect(QPoint(20, 20), buttonSize));
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) qFatal("button window not exposed");
  }
  ~Host() { QTest::mouseMove(window.windowHandle(), QPoint(110, 80)); }

  QPoint at(QPoint buttonPoint) const { return button->mapTo(&window, buttonPoint); }
  void move(QPoint p) { QTest::mouseMove(window.windowHandle(), at(p)); }
  void press(QPoint p, Qt::MouseButton b = Qt::LeftButton) {
    QTest::mousePress(window.windowHandle(), b, {}, at(p));
  }
  void release(QPoint p, Qt::MouseButton b = Qt::LeftButton) {
    QTest::mouseRelease(window.windowHandle(), b, {}, at(p));
  }
  QImage image() const { return button->grab().toImage(); }
  QColor normalFace() const { return button->palette().color(QPalette::Button); }

  QWidget window;
  PictureButton* button = nullptr;
};

// A picture of one colour with one different pixel at (4, 4), so that a misplaced or mirrored
// picture shows.
QPixmap markedPicture(QSize size, QColor fill, QColor mark) {
  QImage image(size, QImage::Format_ARGB32);
  image.fill(fill);
  image.setPixelColor(4, 4, mark);
  return QPixmap::fromImage(image);
}

}  // namespace

class PictureButtonTest : public QObject {
  Q_OBJECT

 private slots:
  void looks_data();
  void looks();
  void picturePosition_data();
  void picturePosition();
  void bitmapCombinesWithFace_data();
  void bitmapCombinesWithFace();
  void hoverFollowsPointer();
  void clicks_data();
  void clicks();
};

void PictureButtonTest::looks_data() {
  QTest::addColumn<QString>("actions");  // m: move to centre, n: move elsewhere inside,
                                         // p: press, r: release
  QTest::addColumn<QColor>("face");      // invalid: the palette's button colour
  QTest::addColumn<QColor>("frame");

  QTest::newRow("normal is flat") << QString() << QColor() << QColor();
  QTest::newRow("hover") << QStringLiteral("m") << kHoverFace << kHoverFrame;
  QTest::newRow("pressed") << QStringLiteral("mp") << kPressedFace << kPressedFrame;
  QTest::newRow("released over the button") << QStringLiteral("mpr") << QColor() << QColor();
  QTest::newRow("move after release") << QStringLiteral("mprn") << kHoverFace << kHoverFrame;
  QTest::newRow("held and moved") << QStringLiteral("mpn") << kHoverFace << kHoverFrame;
}

void PictureButtonTest::looks() {
  QFETCH(QString, actions);
  QFETCH(QColor, face);
  QFETCH(QColor, frame);

  Host host(QSize(30, 20));
  if (!face.isValid()) face = frame = host.normalFace();
  for (const QChar action : actions) {
    if (action == u'm') host.move(QPoint(15, 10));
    if (action == u'n') host.move(QPoint(16, 11));
    if (action == u'p') host.press(QPoint(15, 10));
    if (action == u'r') host.release(QPoint(15, 10));
  }
  const QImage image = host.image();
  for (const QPoint inside : {QPoint(15, 10), QPoint(1, 1)})
    QCOMPARE(image.pixelColor(inside), face);
  for (const QPoint edge : {QPoint(0, 0), QPoint(15, 0), QPoint(0, 10), QPoint(29, 19),
                            QPoint(29, 10), QPoint(15, 19)}) {
    QCOMPARE(image.pixelColor(edge), frame);
  }
  if (actions.contains(QLatin1Char('p'))) host.release(QPoint(15, 10));
}

void PictureButtonTest::picturePosition_data() {
  QTest::addColumn<int>("buttonSize");
  QTest::addColumn<int>("pictureSize");
  QTest::addColumn<PictureButton::PictureType>("type");
  QTest::addColumn<QPoint>("topLeft");

  QTest::newRow("24 button, 16 icon")
      << 24 << 16 << PictureButton::PictureType::Icon << QPoint(4, 4);
  QTest::newRow("25 button, 16 icon, extra pixel right and below")
      << 25 << 16 << PictureButton::PictureType::Icon << QPoint(4, 4);
  QTest::newRow("16 button, 24 bitmap, clipped")
      << 16 << 24 << PictureButton::PictureType::Bitmap << QPoint(-4, -4);
  QTest::newRow("24 button, 16 bitmap")
      << 24 << 16 << PictureButton::PictureType::Bitmap << QPoint(4, 4);
  QTest::newRow("no picture") << 24 << 16 << PictureButton::PictureType::None << QPoint(4, 4);
}

void PictureButtonTest::picturePosition() {
  QFETCH(int, buttonSize);
  QFETCH(int, pictureSize);
  QFETCH(PictureButton::PictureType, type);
  QFETCH(QPoint, topLeft);

  // Icons: opaque red with a transparent mark. Bitmaps: black with a white mark. Either way the
  // mark shows the face, the rest the picture.
  const bool icon = type == PictureButton::PictureType::Icon;
  const QColor body = icon ? QColor(Qt::red) : QColor(Qt::black);
  Host host(QSize(buttonSize, buttonSize));
  host.button->setPicture(markedPicture(QSize(pictureSize, pictureSize), body,
                                        icon ? QColor(Qt::transparent) : QColor(Qt::white)),
                          type);
  const QColor face = host.normalFace();
  const QImage image = host.image();
  const QRect picture(topLeft, QSize(pictureSize, pictureSize));
  for (int y = 0; y < buttonSize; ++y) {
    for (int x = 0; x < buttonSize; ++x) {
      const bool onPicture = type != PictureButton::PictureType::None && picture.contains(x, y) &&
                             QPoint(x, y) - topLeft != QPoint(4, 4);
      const QColor expected = onPicture ? body : face;
      if (image.pixelColor(x, y) != expected) {
        QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) is %3, expected %4")
                             .arg(x)
                             .arg(y)
                             .arg(image.pixelColor(x, y).name(), expected.name())));
      }
    }
  }
}

void PictureButtonTest::bitmapCombinesWithFace_data() {
  QTest::addColumn<QColor>("bitmapColor");
  QTest::addColumn<QColor>("shown");

  QTest::newRow("white shows the hover face") << QColor(Qt::white) << kHoverFace;
  QTest::newRow("black stays black") << QColor(Qt::black) << QColor(Qt::black);
  // 213 & 0x80, 239 & 0xff, 248 & 0x0f: AND, not a copy.
  QTest::newRow("AND of each component") << QColor(0x80, 0xff, 0x0f) << QColor(128, 239, 8);
}

void PictureButtonTest::bitmapCombinesWithFace() {
  QFETCH(QColor, bitmapColor);
  QFETCH(QColor, shown);

  Host host(QSize(24, 24));
  QPixmap bitmap(16, 16);
  bitmap.fill(bitmapColor);
  host.button->setPicture(bitmap, PictureButton::PictureType::Bitmap);
  host.move(QPoint(2, 2));
  const QImage image = host.image();
  QCOMPARE(image.pixelColor(2, 2), kHoverFace);
  QCOMPARE(image.pixelColor(4, 4), shown);
  QCOMPARE(image.pixelColor(19, 19), shown);
  QCOMPARE(image.pixelColor(20, 20), kHoverFace);
}

void PictureButtonTest::hoverFollowsPointer() {
  Host host(QSize(24, 24));
  const QColor normal = host.normalFace();
  struct Step {
    QPoint pointer;
    QColor face;
    bool grabbed;
  };
  const Step steps[] = {
      {{12, 12}, kHoverFace, true}, {{24, 12}, kHoverFace, true},  // x == width still inside
      {{12, 24}, kHoverFace, true}, {{25, 12}, normal, false},    {{12, 12}, kHoverFace, true},
      {{12, 25}, normal, false},    {{-1, 12}, normal, false},    {{0, 0}, kHoverFace, true},
      {{-1, -1}, normal, false},
  };
  for (const Step& step : steps) {
    host.move(step.pointer);
    const QString where =
        QStringLiteral("pointer at (%1, %2)").arg(step.pointer.x()).arg(step.pointer.y());
    QVERIFY2(host.image().pixelColor(12, 12) == step.face, qPrintable(where));
    QVERIFY2((QWidget::mouseGrabber() == host.button) == step.grabbed, qPrintable(where));
  }
}

void PictureButtonTest::clicks_data() {
  QTest::addColumn<QString>("gesture");
  QTest::addColumn<int>("clicks");

  QTest::newRow("click") << QStringLiteral("click") << 1;
  QTest::newRow("double click runs the command twice") << QStringLiteral("double") << 2;
  QTest::newRow("released outside") << QStringLiteral("away") << 0;
  QTest::newRow("right button") << QStringLiteral("right") << 0;
}

void PictureButtonTest::clicks() {
  QFETCH(QString, gesture);
  QFETCH(int, clicks);

  Host host(QSize(24, 24));
  QSignalSpy spy(host.button, &PictureButton::Click);
  const QPoint centre(12, 12);
  host.move(centre);
  if (gesture == QStringLiteral("click")) {
    QTest::mouseClick(host.window.windowHandle(), Qt::LeftButton, {}, host.at(centre));
  } else if (gesture == QStringLiteral("double")) {
    QTest::mouseDClick(host.window.windowHandle(), Qt::LeftButton, {}, host.at(centre));
  } else if (gesture == QStringLiteral("away")) {
    host.press(centre);
    host.move(QPoint(40, 12));
    host.release(QPoint(40, 12));
  } else {
    QTest::mouseClick(host.window.windowHandle(), Qt::RightButton, {}, host.at(centre));
  }
  QCOMPARE(spy.count(), clicks);
  // Whatever happened, the button ends flat once released and left.
  host.move(QPoint(60, 12));
  QCOMPARE(host.image().pixelColor(12, 12), host.normalFace());
}

VARDEX_QT_TEST(PictureButtonTest);

#include "picture_button_test.moc"
