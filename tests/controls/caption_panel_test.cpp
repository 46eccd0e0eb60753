// Pixels of the caption panel: header gradient with its rounding, marker, caption clipping, body
// gradient, frame, low panels, and when a new caption shows.
#include <QImage>
#include <QtTest>

#include "controls/caption_panel.hpp"
#include "support/qt_tests.hpp"

using vardex::CaptionPanel;

namespace {

const QColor kBorder(173, 193, 220);
const QColor kTextColor(2, 45, 123);

QImage grabShown(CaptionPanel& panel) { return panel.grab().toImage(); }

// Pixels of the header row y, from x 5 (right of the marker) to the right border, that differ
// from the row's gradient colour (read at x 2, where nothing else is drawn), inside or outside
// `area`.
struct Ink {
  int inside = 0;
  int outside = 0;
  int nearestToTextColor = 1000;  // smallest |dr|+|dg|+|db| to the caption colour
};

Ink headerInk(const QImage& image, const QRect& area) {
  Ink ink;
  for (int y = 1; y < 20; ++y) {
    const QColor background = image.pixelColor(2, y);
    for (int x = 5; x < image.width() - 1; ++x) {
      const QColor pixel = image.pixelColor(x, y);
      if (pixel == background) continue;
      (area.contains(x, y) ? ink.inside : ink.outside)++;
      ink.nearestToTextColor =
          std::min(ink.nearestToTextColor, std::abs(pixel.red() - kTextColor.red()) +
                                               std::abs(pixel.green() - kTextColor.green()) +
                                               std::abs(pixel.blue() - kTextColor.blue()));
    }
  }
  return ink;
}

}  // namespace

class CaptionPanelTest : public QObject {
  Q_OBJECT

 private slots:
  void drawing_data();
  void drawing();
  void captionStaysInItsRectangle_data();
  void captionStaysInItsRectangle();
  void newCaptionShowsAtNextShow();
};

void CaptionPanelTest::drawing_data() {
  QTest::addColumn<QSize>("size");
  QTest::addColumn<QPoint>("point");
  QTest::addColumn<QColor>("color");

  const QSize panel(200, 100);
  QTest::newRow("frame covers the first header line") << panel << QPoint(100, 0) << kBorder;
  // 224 - 1.5 = 222.5 goes to the even 222.
  QTest::newRow("second header line, half to even")
      << panel << QPoint(100, 1) << QColor(209, 222, 246);
  QTest::newRow("header line starts at x 1") << panel << QPoint(1, 10) << QColor(187, 209, 241);
  QTest::newRow("19th header line has the end colour")
      << panel << QPoint(100, 18) << QColor(167, 197, 237);
  QTest::newRow("20th header line one step beyond")
      << panel << QPoint(100, 19) << QColor(165, 196, 236);
  QTest::newRow("above the marker") << panel << QPoint(4, 3) << QColor(204, 220, 245);
  QTest::newRow("marker top") << panel << QPoint(4, 4) << kBorder;
  QTest::newRow("marker bottom") << panel << QPoint(4, 16) << kBorder;
  QTest::newRow("below the marker") << panel << QPoint(4, 17) << QColor(169, 198, 238);
  QTest::newRow("first body line") << panel << QPoint(100, 20) << QColor(239, 244, 252);
  QTest::newRow("middle body line") << panel << QPoint(100, 59) << QColor(230, 238, 251);
  QTest::newRow("last body line above the border")
      << panel << QPoint(100, 98) << QColor(220, 232, 250);
  QTest::newRow("right border") << panel << QPoint(199, 50) << kBorder;
  QTest::newRow("bottom border") << panel << QPoint(100, 99) << kBorder;

  // Four body steps make every rounding visible: 234.25, 251.5 (to even 252), 229.5 (to 230).
  const QSize low(200, 25);
  QTest::newRow("25 high, body line 2") << low << QPoint(100, 21) << QColor(234, 241, 252);
  QTest::newRow("25 high, body line 3") << low << QPoint(100, 22) << QColor(230, 238, 251);
  QTest::newRow("25 high, body line 4") << low << QPoint(100, 23) << QColor(225, 235, 250);
  QTest::newRow("25 high, bottom border") << low << QPoint(100, 24) << kBorder;

  const QSize noBody(200, 21);
  QTest::newRow("21 high, 20th header line") << noBody << QPoint(100, 19) << QColor(165, 196, 236);
  QTest::newRow("21 high, bottom border") << noBody << QPoint(100, 20) << kBorder;

  const QSize headerOnly(60, 12);
  QTest::newRow("12 high, bottom border") << headerOnly << QPoint(30, 11) << kBorder;
  QTest::newRow("12 high, header line") << headerOnly << QPoint(30, 10) << QColor(187, 209, 241);
}

void CaptionPanelTest::drawing() {
  QFETCH(QSize, size);
  QFETCH(QPoint, point);
  QFETCH(QColor, color);

  CaptionPanel panel;
  panel.resize(size);
  panel.show();
  const QImage image = grabShown(panel);
  QCOMPARE(image.size(), size);
  QCOMPARE(image.pixelColor(point), color);
}

void CaptionPanelTest::captionStaysInItsRectangle_data() {
  QTest::addColumn<QString>("caption");
  QTest::addColumn<bool>("drawsText");

  QTest::newRow("empty") << QString() << false;
  QTest::newRow("short") << QString::fromUtf8("水准平面设置") << true;
  QTest::newRow("longer than the rectangle")
      << QString::fromUtf8("水准平面设置水准平面设置水准平面设置水准平面设置") << true;
}

void CaptionPanelTest::captionStaysInItsRectangle() {
  QFETCH(QString, caption);
  QFETCH(bool, drawsText);

  CaptionPanel panel;
  panel.setCaption(caption);
  panel.resize(200, 100);
  panel.show();
  // Left 8, top 4, right 200 - 3 and bottom 16, the right and bottom edges excluded.
  const QRect expectedRect(8, 4, 189, 12);
  QCOMPARE(panel.textRect(), expectedRect);

  const Ink ink = headerInk(grabShown(panel), expectedRect);
  QCOMPARE(ink.outside, 0);
  QCOMPARE(ink.inside > 0, drawsText);
  if (drawsText) QVERIFY2(ink.nearestToTextColor < 90, "caption is not drawn in dark blue");
}

void CaptionPanelTest::newCaptionShowsAtNextShow() {
  CaptionPanel panel;
  panel.setCaption(QString::fromUtf8("已知点"));
  panel.resize(200, 100);
  panel.show();
  const QImage before = grabShown(panel);
  QVERIFY(headerInk(before, panel.textRect()).inside > 0);

  panel.setCaption(QString());
  QCOMPARE(panel.caption(), QString());
  QCOMPARE(grabShown(panel), before);

  panel.hide();
  panel.show();
  QCOMPARE(headerInk(grabShown(panel), panel.textRect()).inside, 0);
}

VARDEX_QT_TEST(CaptionPanelTest);

#include "caption_panel_test.moc"
