// The alignment's dialogs through their real widgets: the fill dialog reading its boxes and
// refusing what does not read, the calculator both ways, and the menu "线路" on the example road
// filling "数据输入" and importing the road's LandXML into "线路数据".
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include "alignment/alignment_sheet.hpp"
#include "app/alignment_calculator_dialog.hpp"
#include "app/alignment_menu.hpp"
#include "app/curve_table_dialog.hpp"
#include "app/main_window.hpp"
#include "app/station_list_dialog.hpp"
#include "app/workbook_view.hpp"
#include "app_test_support.hpp"
#include "recording_message_boxes.hpp"
#include "support/qt_tests.hpp"

namespace vardex::test {
namespace {

QLineEdit* box(const QWidget& dialog, const char* name) { return child<QLineEdit>(dialog, name); }

void type(QWidget& dialog, const char* name, const QString& text) {
  QLineEdit* edit = box(dialog, name);
  edit->clear();
  QTest::keyClicks(edit, text);
}

RoadAlignment exampleRoad() {
  return RoadAlignment::Build(ReadAlignmentSheet(host::Workbook::Open(ExampleFile("road-k7"))));
}

QString utf8(const std::string& text) { return QString::fromUtf8(text.c_str()); }

}  // namespace

class AlignmentDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void fillDialogReadsTheBoxes();
  void fillDialogRefusesWhatDoesNotRead_data();
  void fillDialogRefusesWhatDoesNotRead();
  void calculatorWorksBothWays();
  void menuFillsTheListAndImportsLandXml();
};

void AlignmentDialogsTest::fillDialogReadsTheBoxes() {
  RecordingMessageBoxes messages;
  StationListDialog dialog(messages);
  dialog.setAlignmentRange(7000, 8825.874);
  QCOMPARE(box(dialog, "fromBox")->text(), QStringLiteral("K7+000.000"));
  QCOMPARE(box(dialog, "toBox")->text(), QStringLiteral("K8+825.874"));
  dialog.show();
  type(dialog, "fromBox", QStringLiteral("K7+300"));
  type(dialog, "toBox", QStringLiteral("7640"));
  type(dialog, "everyBox", QStringLiteral("20"));
  type(dialog, "offsetsBox", QStringLiteral("-7.5, 0, 7.5"));
  type(dialog, "atBox", QStringLiteral("K7+455.5"));
  QTest::mouseClick(dialog.findChild<QCheckBox*>(QStringLiteral("mainPointsBox")), Qt::LeftButton);
  press(dialog, "fillButton");
  QCOMPARE(dialog.result(), int(QDialog::Accepted));
  QCOMPARE(messages.shown.size(), 0);
  const StationListRequest& request = dialog.request();
  QCOMPARE(request.From, std::optional<double>(7300));
  QCOMPARE(request.To, std::optional<double>(7640));
  QCOMPARE(request.Every, 20.0);
  QCOMPARE(request.Offsets, (std::vector<double>{-7.5, 0, 7.5}));
  QCOMPARE(request.At, std::vector<double>{7455.5});
  QVERIFY(request.MainPoints);
}

void AlignmentDialogsTest::fillDialogRefusesWhatDoesNotRead_data() {
  QTest::addColumn<QString>("boxName");
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("says");
  QTest::newRow("station") << "fromBox"
                           << "K7-300" << QString::fromUtf8("桩号“K7-300”无法识别");
  QTest::newRow("interval") << "everyBox"
                            << "0" << QString::fromUtf8("整桩间距应为大于 0 的米数");
  QTest::newRow("offsets") << "offsetsBox"
                           << "-7.5;7.5" << QString::fromUtf8("偏距应为逗号分隔");
  QTest::newRow("more stations") << "atBox"
                                 << "K7+400,," << QString::fromUtf8("加桩应为");
  QTest::newRow("nothing to list") << "everyBox"
                                   << "" << QString::fromUtf8("请填写整桩间距或加桩");
}

void AlignmentDialogsTest::fillDialogRefusesWhatDoesNotRead() {
  QFETCH(QString, boxName);
  QFETCH(QString, typed);
  QFETCH(QString, says);
  RecordingMessageBoxes messages;
  StationListDialog dialog(messages);
  dialog.setAlignmentRange(7000, 8825.874);
  dialog.show();
  type(dialog, boxName.toUtf8().constData(), typed);
  press(dialog, "fillButton");
  QVERIFY(dialog.isVisible());
  QCOMPARE(messages.shown.size(), 1);
  QVERIFY2(messages.shown[0].text.contains(says), qPrintable(messages.shown[0].text));
}

void AlignmentDialogsTest::calculatorWorksBothWays() {
  const RoadAlignment road = exampleRoad();
  AlignmentCalculatorDialog dialog([&] { return road; });
  dialog.show();
  type(dialog, "stationBox", QStringLiteral("K7+400"));
  type(dialog, "offsetBox", QStringLiteral("-7.5"));
  press(dialog, "toCoordinatesButton");
  const RoadPoint point = road.AtStation(7400, -7.5);
  QCOMPARE(box(dialog, "xAnswer")->text(), utf8(FixedText(point.X, 4)));
  QCOMPARE(box(dialog, "yAnswer")->text(), utf8(FixedText(point.Y, 4)));
  QCOMPARE(box(dialog, "elevationAnswer")->text(), utf8(FixedText(*point.Elevation, 3)));
  QVERIFY(box(dialog, "azimuthAnswer")->text().contains(QChar(0x2033)));

  type(dialog, "xBox", box(dialog, "xAnswer")->text());
  type(dialog, "yBox", box(dialog, "yAnswer")->text());
  press(dialog, "toStationButton");
  QCOMPARE(box(dialog, "stationAnswer")->text(), QStringLiteral("K7+400.000"));
  QCOMPARE(box(dialog, "offsetAnswer")->text(), QStringLiteral("-7.500"));
  QVERIFY(dialog.findChild<QLabel*>(QStringLiteral("statusLabel"))->text().isEmpty());

  // What the alignment does not reach is said under the boxes, and no stale answer stays.
  type(dialog, "stationBox", QStringLiteral("K7+685"));
  press(dialog, "toCoordinatesButton");
  QVERIFY(box(dialog, "xAnswer")->text().isEmpty());
  QVERIFY(dialog.findChild<QLabel*>(QStringLiteral("statusLabel"))
              ->text()
              .contains(QString::fromUtf8("断链")));
}

void AlignmentDialogsTest::menuFillsTheListAndImportsLandXml() {
  RecordingMessageBoxes messages;
  ProgramFolder folder(true);
  MainWindow window(messages, folder.path());
  window.show();
  QVERIFY(window.openProject(folder.copyExample("road-k7")));
  auto* menu = window.findChild<AlignmentMenu*>();
  QVERIFY(menu != nullptr);

  bool filled = false;
  QTimer::singleShot(0, &window, [&] {
    auto* dialog = qobject_cast<StationListDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    type(*dialog, "fromBox", QStringLiteral("K7+300"));
    type(*dialog, "toBox", QStringLiteral("K7+400"));
    type(*dialog, "offsetsBox", QStringLiteral("-7.5,7.5"));
    press(*dialog, "fillButton");
    filled = true;
  });
  trigger(window, "menuFillStations");
  QVERIFY(filled);
  const host::Worksheet& input = window.project()->Sheet("数据输入");
  QCOMPARE(input.Text({8, 1}), std::string("K7+300"));
  QCOMPARE(input.Text({19, 1}), std::string("K7+400"));  // six stations, two offsets each
  QVERIFY(input.Text({20, 1}).empty());
  QCOMPARE(window.view()->currentSheet(), 0);
  QVERIFY(window.isWindowModified());
  QCOMPARE(messages.shown.size(), 1);
  QVERIFY(messages.shown[0].text.contains(QString::fromUtf8("已填写 12 个点")));

  // The curve table of the road's three intersection points.
  trigger(window, "menuCurveTable");
  QTableWidget* curves = menu->curveTable()->grid();
  QCOMPARE(curves->rowCount(), 3);
  QCOMPARE(curves->item(1, 0)->text(), QStringLiteral("JD2"));
  QCOMPARE(curves->item(1, 12)->text(), QString::fromUtf8("—"));  // no transitions at JD2

  // The road's own LandXML, read into "线路数据"; its cross slopes stay.
  menu->setFileChooser([] {
    auto xml = ExampleFile("road-k7");
    return qPath(xml.replace_extension(".xml"));
  });
  window.project()->Sheet("线路数据").SetValue({6, 2}, 1.0);  // JD1 typed wrong
  trigger(window, "menuImportLandXml");
  QCOMPARE(messages.shown.size(), 2);
  QVERIFY2(messages.shown[1].text.contains(QString::fromUtf8("已读入线路“K7 主线”：3 个交点")),
           qPrintable(messages.shown[1].text));
  QCOMPARE(window.project()->Sheet("线路数据").Text({6, 2}), std::string("3412900.000"));
  QCOMPARE(window.project()->Sheet("线路数据").Text({5, 13}), std::string("K7+000"));

  // A file that is not LandXML: said, and the sheet stays as it is.
  menu->setFileChooser([&] { return folder.path(QStringLiteral("work.xltx")); });
  trigger(window, "menuImportLandXml");
  QCOMPARE(messages.shown.size(), 3);
  QCOMPARE(messages.shown[2].icon, MessageBoxes::Icon::Critical);
  QCOMPARE(window.project()->Sheet("线路数据").Text({6, 2}), std::string("3412900.000"));
}

VARDEX_QT_TEST(AlignmentDialogsTest);

}  // namespace vardex::test

#include "alignment_dialogs_test.moc"
