// The grid by keyboard alone on the example project: the keys that cross a large sheet, the
// cell-address box, and what the cell bar and a typed formula tell the user.
#include <QLineEdit>
#include <QScrollBar>
#include <QTabBar>
#include <QtTest>

#include "app_test_support.hpp"
#include "recording_message_boxes.hpp"
#include "support/qt_tests.hpp"

namespace vardex::test {
namespace {

QString currentCell(WorkbookView& view) {
  return QString::fromStdString(
      host::FormatCellRef(SheetModel::cellOf(view.table()->currentIndex())));
}

}  // namespace

class GridKeyboardTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void keysCrossTheSheet_data();
  void keysCrossTheSheet();
  void addressBoxGoesThere_data();
  void addressBoxGoesThere();
  void scrollingAddsNoRows();
  void cellBarAndFormula();

 private:
  RecordingMessageBoxes mMessages;
  std::unique_ptr<host::Workbook> mBook;
  std::unique_ptr<WorkbookView> mView;
};

void GridKeyboardTest::init() {
  mMessages.shown.clear();
  mBook = std::make_unique<host::Workbook>(host::Workbook::Open(ExampleFile("road-k1")));
  mView = std::make_unique<WorkbookView>(mMessages);
  mView->resize(900, 600);
  mView->setWorkbook(mBook.get());
  mView->showSheet(0);
  mView->show();
  QVERIFY(QTest::qWaitForWindowExposed(mView.get()));
}

void GridKeyboardTest::cleanup() {
  mView.reset();
  mBook.reset();
}

void GridKeyboardTest::keysCrossTheSheet_data() {
  QTest::addColumn<QString>("from");
  QTest::addColumn<int>("key");
  QTest::addColumn<int>("modifiers");
  QTest::addColumn<QString>("to");
  const int ctrl = Qt::ControlModifier;
  // "数据输入" of the example: points in A8:E32, headings above, nothing below.
  QTest::newRow("ctrl+down to the last point") << "A8" << int(Qt::Key_Down) << ctrl << "A32";
  QTest::newRow("ctrl+down from the last point to the grid's end")
      << "A32" << int(Qt::Key_Down) << ctrl << "A1000";
  QTest::newRow("ctrl+up from below the data to the last point")
      << "A600" << int(Qt::Key_Up) << ctrl << "A32";
  QTest::newRow("ctrl+right along a point row") << "A8" << int(Qt::Key_Right) << ctrl << "E8";
  QTest::newRow("ctrl+end to the last cell holding a value")
      << "B9" << int(Qt::Key_End) << ctrl << "G32";
  QTest::newRow("ctrl+home to A1") << "D600" << int(Qt::Key_Home) << ctrl << "A1";
}

void GridKeyboardTest::keysCrossTheSheet() {
  QFETCH(QString, from);
  QFETCH(int, key);
  QFETCH(int, modifiers);
  QFETCH(QString, to);
  goTo(*mView, from.toUtf8().constData());
  mView->table()->scrollTo(mView->table()->currentIndex());
  QTest::keyClick(mView->table(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
  const QString at = currentCell(*mView);
  QCOMPARE(at, to);
  // Whatever the frozen panes, the cell reached is in sight.
  const QRect shown = mView->table()->visualRect(mView->table()->currentIndex());
  QVERIFY2(mView->table()->viewport()->rect().intersects(shown), qPrintable(at));
}

void GridKeyboardTest::addressBoxGoesThere_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("sheet");
  QTest::addColumn<QString>("cell");  // "" for an address that is refused
  QTest::newRow("far down") << "A65048" << QString::fromUtf8("数据输入") << "A65048";
  QTest::newRow("other sheet") << QString::fromUtf8("水准表!A1") << QString::fromUtf8("水准表")
                               << "A1";
  QTest::newRow("block, lower case") << "c10:d12" << QString::fromUtf8("数据输入") << "C10";
  QTest::newRow("no such sheet") << QString::fromUtf8("水准!A1") << QString::fromUtf8("数据输入")
                                 << "";
  QTest::newRow("no cell") << "K1+240" << QString::fromUtf8("数据输入") << "";
}

void GridKeyboardTest::addressBoxGoesThere() {
  QFETCH(QString, typed);
  QFETCH(QString, sheet);
  QFETCH(QString, cell);
  goTo(*mView, "B9");
  mView->table()->setFocus();
  QTest::keyClick(mView->table(), Qt::Key_G, Qt::ControlModifier);
  QLineEdit* box = mView->addressBox();
  QVERIFY(box->hasFocus());
  box->insert(typed);  // as an input method puts it in
  QTest::keyClick(box, Qt::Key_Return);
  QCOMPARE(mView->tabBar()->tabText(mView->currentSheet()), sheet);
  QCOMPARE(mMessages.shown.size(), cell.isEmpty() ? 1 : 0);
  if (cell.isEmpty()) return;
  QCOMPARE(currentCell(*mView), cell);
  QVERIFY(mView->table()->hasFocus());
  const QRect shown = mView->table()->visualRect(mView->table()->currentIndex());
  QVERIFY(mView->table()->viewport()->rect().intersects(shown));
}

void GridKeyboardTest::scrollingAddsNoRows() {
  const int rows = mView->model()->rowCount();
  QScrollBar* bar = mView->table()->verticalScrollBar();
  for (int i = 0; i < 5; ++i) {
    bar->setValue(bar->maximum());
    QCoreApplication::processEvents();
  }
  QCOMPARE(mView->model()->rowCount(), rows);
}

void GridKeyboardTest::cellBarAndFormula() {
  // 4010 and five units in the last place, as a sum of readings may leave it.
  mBook->SheetAt(0).SetValue({9, 5}, 4010.0000000000023);
  goTo(*mView, "E9");
  auto* bar = mView->findChild<QLineEdit*>(QStringLiteral("cellContent"));
  QCOMPARE(bar->text(), QStringLiteral("4010"));

  typeAt(*mView, "E10", QStringLiteral("=E9+0.002"));
  QCOMPARE(value(mBook->SheetAt(0), "E10"), host::CellValue(std::string("=E9+0.002")));
  QCOMPARE(mMessages.shown.size(), 1);
  QVERIFY(mMessages.shown[0].text.contains(QStringLiteral("=E9+0.002")));
}

VARDEX_QT_TEST(GridKeyboardTest);

}  // namespace vardex::test

#include "grid_keyboard_test.moc"
