// The spreadsheet view as a surveyor uses it on a project made from the template: what the grid
// shows of the file's layout, typing, clearing, tab-separated copy and paste, and undo.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QTabBar>
#include <QUndoStack>
#include <QtTest>
#include <variant>

#include "app/tab_separated.hpp"
#include "app_test_support.hpp"
#include "recording_message_boxes.hpp"
#include "support/package.hpp"
#include "support/qt_tests.hpp"

namespace vardex::test {
namespace {

constexpr std::size_t kInputSheet = 0;  // "数据输入"

QString kindOf(const host::CellValue& cell) {
  return QStringList{QStringLiteral("empty"), QStringLiteral("number"), QStringLiteral("text")}
      .value(int(cell.index()), QStringLiteral("other"));
}

}  // namespace

class WorkbookViewTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void showsTheFileLayout();
  void typingEditsLikeSpreadsheet_data();
  void typingEditsLikeSpreadsheet();
  void deleteClearsContentsKeepsFormats();
  void pasteWritesBlockAsTyped_data();
  void pasteWritesBlockAsTyped();
  void copyGivesShownTexts();
  void undoGoesBackAcrossSheets();
  void tooWideNumberShowsHashes();
  void rowStyleComesBeforeColumnStyle();

 private:
  host::Workbook& book() { return *mBook; }
  WorkbookView& view() { return *mView; }

  RecordingMessageBoxes mMessages;
  std::unique_ptr<host::Workbook> mBook;
  std::unique_ptr<WorkbookView> mView;
};

void WorkbookViewTest::init() {
  mBook = std::make_unique<host::Workbook>(host::Workbook::Open(TemplateFile()));
  mView = std::make_unique<WorkbookView>(mMessages);
  mView->resize(900, 600);
  mView->setWorkbook(mBook.get());
  mView->show();
  QVERIFY(QTest::qWaitForWindowExposed(mView.get()));
}

void WorkbookViewTest::cleanup() {
  mView.reset();
  mBook.reset();
  QCOMPARE(mMessages.shown.size(), 0);
}

void WorkbookViewTest::showsTheFileLayout() {
  QCOMPARE(view().currentSheet(), 0);
  QCOMPARE(view().tabBar()->count(), 5);
  QCOMPARE(view().tabBar()->tabText(1), QString::fromUtf8("水准表"));
  SheetTable& table = *view().table();
  // 数据输入: column B is 15 characters wide, row 1 is 30 points high, A1:G1 is one merged
  // heading, and the rows above the point list are frozen.
  QCOMPARE(table.columnWidth(1), columnWidthPixels(15));
  QCOMPARE(table.rowHeight(0), rowHeightPixels(30));
  QCOMPARE(table.columnSpan(0, 0), 7);
  QCOMPARE(table.frozenRows(), 7);
  QCOMPARE(view().model()->headerData(27, Qt::Horizontal, Qt::DisplayRole).toString(),
           QStringLiteral("AB"));
  QCOMPARE(view().model()->index(0, 0).data().toString(), QString::fromUtf8("测量控制数据输入"));
  // The file's selection, A8, is where the user starts.
  QCOMPARE(table.currentIndex(), view().model()->index(7, 0));

  view().showSheet(1);
  QCOMPARE(view().tabBar()->currentIndex(), 1);
  QCOMPARE(table.frozenRows(), 4);
  QCOMPARE(&book().ActiveSheet(), &book().SheetAt(1));
}

void WorkbookViewTest::typingEditsLikeSpreadsheet_data() {
  QTest::addColumn<QString>("preset");  // typed into B4 first
  QTest::addColumn<bool>("f2");         // edit the cell instead of typing over it
  QTest::addColumn<QString>("typed");
  QTest::addColumn<int>("endKey");
  QTest::addColumn<QString>("kind");
  QTest::addColumn<QString>("shown");  // B4 under its format 0.000
  QTest::addColumn<QString>("current");

  QTest::newRow("number shown under the format, Enter moves down")
      << QString() << false << QStringLiteral("3412697.7361") << int(Qt::Key_Return)
      << QStringLiteral("number") << QStringLiteral("3412697.736") << QStringLiteral("B5");
  QTest::newRow("spaces around a number")
      << QString() << false << QStringLiteral(" -3.2 ") << int(Qt::Key_Return)
      << QStringLiteral("number") << QStringLiteral("-3.200") << QStringLiteral("B5");
  QTest::newRow("typing replaces the content")
      << QStringLiteral("12.5") << false << QStringLiteral("7") << int(Qt::Key_Tab)
      << QStringLiteral("number") << QStringLiteral("7.000") << QStringLiteral("C4");
  QTest::newRow("F2 edits the content")
      << QStringLiteral("12.5") << true << QStringLiteral("1") << int(Qt::Key_Return)
      << QStringLiteral("number") << QStringLiteral("12.510") << QStringLiteral("B5");
  QTest::newRow("text stays text")
      << QStringLiteral("12.5") << false << QStringLiteral("K1+240") << int(Qt::Key_Backtab)
      << QStringLiteral("text") << QStringLiteral("K1+240") << QStringLiteral("A4");
  QTest::newRow("an arrow ends an entry started by typing")
      << QString() << false << QStringLiteral("107.862") << int(Qt::Key_Right)
      << QStringLiteral("number") << QStringLiteral("107.862") << QStringLiteral("C4");
  QTest::newRow("an arrow moves the caret in an F2 edit")
      << QStringLiteral("12.5") << true << QStringLiteral("1") << int(Qt::Key_Left)
      << QStringLiteral("number") << QStringLiteral("12.500") << QStringLiteral("B4");
  QTest::newRow("escape keeps the old value")
      << QStringLiteral("12.5") << false << QStringLiteral("99") << int(Qt::Key_Escape)
      << QStringLiteral("number") << QStringLiteral("12.500") << QStringLiteral("B4");
}

void WorkbookViewTest::typingEditsLikeSpreadsheet() {
  QFETCH(QString, preset);
  QFETCH(bool, f2);
  QFETCH(QString, typed);
  QFETCH(int, endKey);
  QFETCH(QString, kind);
  QFETCH(QString, shown);
  QFETCH(QString, current);

  if (!preset.isEmpty()) typeAt(view(), "B4", preset);
  goTo(view(), "B4");
  if (f2) {
    QTest::keyClick(view().table(), Qt::Key_F2);
    QLineEdit* editor = openEditor(view());
    QVERIFY(editor != nullptr);
    QCOMPARE(editor->text(), preset);
    QTest::keyClick(editor, Qt::Key_End);
    QTest::keyClicks(editor, typed);
    QTest::keyClick(editor, Qt::Key(endKey));
  } else {
    typeOver(view(), typed, Qt::Key(endKey));
  }
  const host::Worksheet& sheet = book().SheetAt(kInputSheet);
  QCOMPARE(kindOf(value(sheet, "B4")), kind);
  QCOMPARE(text(sheet, "B4"), shown);
  QCOMPARE(view().model()->index(3, 1).data().toString(), shown);
  const QModelIndex at = view().table()->currentIndex();
  QCOMPARE(QString::fromStdString(host::FormatCellRef(SheetModel::cellOf(at))), current);
}

void WorkbookViewTest::deleteClearsContentsKeepsFormats() {
  typeAt(view(), "B4", QStringLiteral("3412697.736"));
  typeAt(view(), "B5", QStringLiteral("513031.251"));
  host::Worksheet& sheet = book().SheetAt(kInputSheet);
  const uint32_t style = sheet.StyleIndex({4, 2});
  QVERIFY(style != 0);

  select(view(), "A4:B5");
  QTest::keyClick(view().table(), Qt::Key_Delete);
  QCOMPARE(kindOf(value(sheet, "B4")), QStringLiteral("empty"));
  QCOMPARE(kindOf(value(sheet, "B5")), QStringLiteral("empty"));
  QCOMPARE(kindOf(value(sheet, "A4")), QStringLiteral("empty"));  // the label "X (m)"
  QCOMPARE(sheet.StyleIndex({4, 2}), style);

  view().undoStack()->undo();
  QCOMPARE(text(sheet, "B4"), QStringLiteral("3412697.736"));
  QCOMPARE(text(sheet, "A4"), QStringLiteral("X (m)"));
}

void WorkbookViewTest::pasteWritesBlockAsTyped_data() {
  QTest::addColumn<QString>("clipboard");
  QTest::addColumn<QString>("selection");
  QTest::addColumn<QStringList>("cells");  // ref=shown text, the third a number
  QTest::addColumn<QStringList>("untouched");
  const auto list = [](const char* items) { return QString::fromUtf8(items).split(u' '); };

  QTest::newRow("point list from a spreadsheet program")
      << QString::fromUtf8(
             "K1+240\t-12.5\t3412593.102\t512897.243\t108.070\r\n"
             "K1+280\t桥头\t3412626.931\t512918.588\t109.750\t109.748\r\n")
      << QStringLiteral("A8")
      << list("A8=K1+240 B8=-12.5 C8=3412593.102 E8=108.070 B9=桥头 F9=109.748") << list("F8 A10");
  QTest::newRow("one value fills the selection")
      << QStringLiteral("5\n") << QStringLiteral("C8:D9")
      << list("C8=5.000 D8=5.000 C9=5.000 D9=5.000") << list("E8 C10");
  QTest::newRow("block repeated down a whole multiple")
      << QStringLiteral("1\t2\n") << QStringLiteral("C8:D11")
      << list("C8=1.000 D9=2.000 C11=1.000 D11=2.000") << list("C12 E8");
  QTest::newRow("block larger than the selection goes to its corner")
      << QStringLiteral("1\t2\n3\t4\n") << QStringLiteral("C8:E10")
      << list("C8=1.000 D9=4.000 C9=3.000") << list("E8 C10");
}

void WorkbookViewTest::pasteWritesBlockAsTyped() {
  QFETCH(QString, clipboard);
  QFETCH(QString, selection);
  QFETCH(QStringList, cells);
  QFETCH(QStringList, untouched);

  QApplication::clipboard()->setText(clipboard);
  select(view(), selection.toUtf8().constData());
  trigger(view(), "actionPaste");
  const host::Worksheet& sheet = book().SheetAt(kInputSheet);
  for (const QString& cell : cells) {
    const QString ref = cell.section(u'=', 0, 0);
    QCOMPARE(text(sheet, ref.toUtf8().constData()), cell.section(u'=', 1));
  }
  // Numbers in the text are numbers in the sheet, whatever the cell's format shows.
  QCOMPARE(kindOf(value(sheet, cells.value(2).section(u'=', 0, 0).toUtf8().constData())),
           QStringLiteral("number"));
  for (const QString& ref : untouched) {
    QCOMPARE(kindOf(value(sheet, ref.toUtf8().constData())), QStringLiteral("empty"));
  }

  // The whole paste is one step back.
  QCOMPARE(view().undoStack()->count(), 1);
  view().undoStack()->undo();
  for (const QString& cell : cells) {
    const QString ref = cell.section(u'=', 0, 0);
    QCOMPARE(kindOf(value(sheet, ref.toUtf8().constData())), QStringLiteral("empty"));
  }
  view().undoStack()->redo();
  const QString first = cells.first();
  QCOMPARE(text(sheet, first.section(u'=', 0, 0).toUtf8().constData()), first.section(u'=', 1));
}

void WorkbookViewTest::copyGivesShownTexts() {
  typeAt(view(), "B4", QStringLiteral("3412697.7361"));
  typeAt(view(), "A6", QStringLiteral("D17"));
  select(view(), "A4:B6");
  trigger(view(), "actionCopy");
  const QList<QStringList> copied = parseTabSeparated(QApplication::clipboard()->text());
  const QList<QStringList> expected{{QStringLiteral("X (m)"), QStringLiteral("3412697.736")},
                                    {QStringLiteral("Y (m)"), QString()},
                                    {QStringLiteral("D17"), QString()}};
  QCOMPARE(copied, expected);

  // What was copied pastes back as the same shown texts elsewhere.
  select(view(), "C8");
  trigger(view(), "actionPaste");
  const host::Worksheet& sheet = book().SheetAt(kInputSheet);
  QCOMPARE(text(sheet, "D8"), QStringLiteral("3412697.736"));
  QCOMPARE(text(sheet, "C10"), QStringLiteral("D17"));
}

void WorkbookViewTest::undoGoesBackAcrossSheets() {
  typeAt(view(), "E5", QStringLiteral("BM7"));
  typeAt(view(), "E6", QStringLiteral("107.862"));
  view().showSheet(2);
  QCOMPARE(view().undoStack()->count(), 2);

  view().undoStack()->undo();
  QCOMPARE(view().currentSheet(), 0);
  const host::Worksheet& sheet = book().SheetAt(kInputSheet);
  QCOMPARE(kindOf(value(sheet, "E6")), QStringLiteral("empty"));
  QCOMPARE(text(sheet, "E5"), QStringLiteral("BM7"));
  view().undoStack()->undo();
  QCOMPARE(kindOf(value(sheet, "E5")), QStringLiteral("empty"));
  view().undoStack()->redo();
  view().undoStack()->redo();
  QCOMPARE(text(sheet, "E6"), QStringLiteral("107.862"));
}

void WorkbookViewTest::tooWideNumberShowsHashes() {
  // B4 is 15 characters wide and shows three decimals.
  const auto shown = [&](double number) {
    book().SheetAt(kInputSheet).SetValue(*host::ParseCellRef("B4"), number);
    view().model()->reload();
    const QModelIndex b4 = view().model()->index(3, 1);
    return view().table()->viewport()->grab(view().table()->visualRect(b4)).toImage();
  };
  // Any number too wide for the cell looks the same, never as some of its digits.
  QCOMPARE(shown(123456789012345.0), shown(987654321098765.0));
  QVERIFY(shown(1.5) != shown(2.5));
}

void WorkbookViewTest::rowStyleComesBeforeColumnStyle() {
  // Columns A:C plain (format 2), row 2 bordered (format 1); no cell of its own anywhere.
  host::Workbook book =
      OpenPackage({{"S", R"(<row r="2" s="1" customFormat="1"/><row r="3"/>)", "",
                    R"(<cols><col min="1" max="3" width="9" style="2"/></cols>)"}},
                  StyleSheet({}, {{}, {0, true}, {}}));
  SheetModel model;
  model.setSheet(&book.SheetAt(0));
  const auto rightEdge = [&](const char* ref) {
    const host::CellRef cell = *host::ParseCellRef(ref);
    return model.look(model.index(cell.row - 1, cell.column - 1), 1, 1).right.width;
  };
  QVERIFY(rightEdge("B2") > 0);
  QCOMPARE(rightEdge("B3"), 0);
}

VARDEX_QT_TEST(WorkbookViewTest);

}  // namespace vardex::test

#include "workbook_view_test.moc"
