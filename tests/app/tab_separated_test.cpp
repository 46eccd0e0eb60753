// Clipboard text of cell blocks: what the common spreadsheet programs put on the clipboard reads
// as the block they copied, and what the view copies reads back whole.
#include <QtTest>

#include "app/tab_separated.hpp"
#include "support/qt_tests.hpp"

namespace vardex::test {
using Rows = QList<QStringList>;

class TabSeparatedTest : public QObject {
  Q_OBJECT

 private slots:
  void parsesSpreadsheetClipboard_data();
  void parsesSpreadsheetClipboard();
  void writtenTextReadsBackWhole_data();
  void writtenTextReadsBackWhole();
};

void TabSeparatedTest::parsesSpreadsheetClipboard_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<Rows>("rows");
  const auto s = [](const char* text) { return QString::fromUtf8(text); };

  QTest::newRow("empty") << QString() << Rows{};
  QTest::newRow("one cell with line end") << s("K1+240\r\n") << Rows{{s("K1+240")}};
  QTest::newRow("one cell without line end") << s("12.5") << Rows{{s("12.5")}};
  QTest::newRow("CR LF rows") << s("A\t1\r\nB\t2\r\n") << Rows{{s("A"), s("1")}, {s("B"), s("2")}};
  QTest::newRow("LF rows") << s("A\t1\nB\t2\n") << Rows{{s("A"), s("1")}, {s("B"), s("2")}};
  QTest::newRow("CR rows") << s("A\rB\r") << Rows{{s("A")}, {s("B")}};
  QTest::newRow("empty fields keep their places")
      << s("\tx\t\r\n") << Rows{{QString(), s("x"), QString()}};
  QTest::newRow("empty middle row") << s("a\n\nb\n") << Rows{{s("a")}, {QString()}, {s("b")}};
  QTest::newRow("ragged rows") << s("a\tb\tc\nd\n") << Rows{{s("a"), s("b"), s("c")}, {s("d")}};
  QTest::newRow("quoted line break")
      << s("\"BM7\r\n首点\"\t107.862\r\n") << Rows{{s("BM7\r\n首点"), s("107.862")}};
  QTest::newRow("quoted tab and doubled quote")
      << s("\"a\tb\"\t\"say \"\"hi\"\"\"\n") << Rows{{s("a\tb"), s("say \"hi\"")}};
  QTest::newRow("unclosed quote is literal") << s("\"abc\tx\n") << Rows{{s("\"abc"), s("x")}};
  QTest::newRow("quote inside a field is literal") << s("5\"\t6\n") << Rows{{s("5\""), s("6")}};
  QTest::newRow("text after closing quote") << s("\"ab\"c\td\n") << Rows{{s("abc"), s("d")}};
}

void TabSeparatedTest::parsesSpreadsheetClipboard() {
  QFETCH(QString, text);
  QFETCH(Rows, rows);
  QCOMPARE(parseTabSeparated(text), rows);
}

void TabSeparatedTest::writtenTextReadsBackWhole_data() {
  QTest::addColumn<Rows>("rows");
  QTest::addColumn<QString>("lineEnd");
  QTest::addColumn<QString>("text");
  const auto s = [](const char* text) { return QString::fromUtf8(text); };

  QTest::newRow("plain block") << Rows{{s("D17"), s("3412697.736")}, {s("D16"), s("106.978")}}
                               << s("\r\n") << s("D17\t3412697.736\r\nD16\t106.978\r\n");
  QTest::newRow("empty cells") << Rows{{QString(), s("x"), QString()}} << s("\n") << s("\tx\t\n");
  QTest::newRow("line break quoted")
      << Rows{{s("偏距(m)\n或备注"), s("1")}} << s("\n") << s("\"偏距(m)\n或备注\"\t1\n");
  QTest::newRow("leading quote doubled")
      << Rows{{s("\"q\" x")}} << s("\n") << s("\"\"\"q\"\" x\"\n");
  QTest::newRow("inner quote as is") << Rows{{s("5\"")}} << s("\n") << s("5\"\n");
}

void TabSeparatedTest::writtenTextReadsBackWhole() {
  QFETCH(Rows, rows);
  QFETCH(QString, lineEnd);
  QFETCH(QString, text);
  QCOMPARE(toTabSeparated(rows, lineEnd), text);
  QCOMPARE(parseTabSeparated(text), rows);
}

VARDEX_QT_TEST(TabSeparatedTest);

}  // namespace vardex::test

#include "tab_separated_test.moc"
