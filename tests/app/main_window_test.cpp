// The main window as the surveyor meets it: a project made from the template, a calculation of
// typed input, the settings in force, saving and reopening, the question before unsaved work is
// closed, and the tool bar's layout.
#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <QtTest>

#include "app/main_window.hpp"
#include "app/settings_dialog.hpp"
#include "app_test_support.hpp"
#include "controls/picture_button.hpp"
#include "recording_message_boxes.hpp"
#include "support/qt_tests.hpp"

Q_DECLARE_METATYPE(vardex::MessageBoxes::Answer)

namespace vardex::test {
namespace {

const QString kCreateErrorStart = QString::fromUtf8("发生错误，错误内容：\r\n");

// Every cell of `column` in the used part of `sheet`, as shown.
QStringList columnTexts(const host::Worksheet& sheet, int32_t column) {
  QStringList texts;
  const auto used = sheet.UsedRange();
  if (!used) return texts;
  for (int32_t row = 1; row <= used->last.row; ++row) {
    texts << QString::fromUtf8(sheet.Text({row, column}).c_str());
  }
  return texts;
}

// Types a small project into "数据输入" as a surveyor does: control data cell by cell, the points
// pasted from a coordinate list.
void typeSmallProject(MainWindow& window) {
  WorkbookView& view = *window.view();
  view.showSheet(0);
  const std::pair<const char*, const char*> cells[] = {
      {"A6", "D17"}, {"B4", "3412697.736"}, {"B5", "513031.251"}, {"B6", "114.206"},
      {"C6", "D16"}, {"D4", "3412447.753"}, {"D5", "512865.247"}, {"D6", "106.978"},
      {"E5", "BM7"}, {"E6", "107.862"},     {"F5", "BM8"},        {"F6", "108.915"}};
  for (const auto& [ref, typed] : cells) typeAt(view, ref, QString::fromUtf8(typed));
  QApplication::clipboard()->setText(
      QStringLiteral("P1\t-12.5\t3412593.102\t512897.243\t108.070\r\n"
                     "P2\t0\t3412586.432\t512907.815\t108.320\r\n"
                     "P3\t12.5\t3412579.762\t512918.387\t108.070\r\n"));
  goTo(view, "A8");
  trigger(view, "actionPaste");
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void createProject_data();
  void createProject();
  void typedInputCalculatedSavedAndReopened();
  void calculationFailureIsNamed();
  void savedSettingsApplyToNextCalculation();
  void closeAsksOnlyForUnsavedWork_data();
  void closeAsksOnlyForUnsavedWork();
  void barKeepsSmallButtonsAtBottom_data();
  void barKeepsSmallButtonsAtBottom();
};

void MainWindowTest::createProject_data() {
  QTest::addColumn<bool>("withTemplate");
  QTest::addColumn<QByteArray>("command");
  QTest::newRow("menu, template present") << true << QByteArray("menuNew");
  QTest::newRow("button, template present") << true << QByteArray("newProjectButton");
  QTest::newRow("menu, template missing") << false << QByteArray("menuNew");
  QTest::newRow("button, template missing") << false << QByteArray("newProjectButton");
}

void MainWindowTest::createProject() {
  QFETCH(bool, withTemplate);
  QFETCH(QByteArray, command);
  RecordingMessageBoxes messages;
  ProgramFolder folder(withTemplate);
  MainWindow window(messages, folder.path());
  const auto create = [&] { activate(window, command.constData()); };

  // The window starts without a project, on the default settings.
  QVERIFY(window.project() == nullptr);
  QCOMPARE(window.view()->currentSheet(), -1);
  QVERIFY(window.settings() == InitConfig());

  create();
  if (withTemplate) {
    QCOMPARE(messages.shown.size(), 0);
    QVERIFY(window.project() != nullptr);
    QVERIFY(window.project()->Path().empty());
    QCOMPARE(window.view()->tabBar()->tabText(0), QString::fromUtf8("数据输入"));
    QVERIFY(window.windowTitle().contains(QStringLiteral("work1")));
    QVERIFY(!window.isWindowModified());
    return;
  }
  QCOMPARE(messages.shown.size(), 1);
  QCOMPARE(messages.shown[0].title, QString::fromUtf8("错误1004"));
  QVERIFY2(messages.shown[0].text.startsWith(kCreateErrorStart),
           qPrintable(messages.shown[0].text));
  QVERIFY(messages.shown[0].text.size() > kCreateErrorStart.size());
  QCOMPARE(messages.shown[0].buttons, MessageBoxes::Buttons::Ok);
  QVERIFY(window.project() == nullptr);

  // A later request, with the template back in its place, makes the project.
  folder.putTemplate();
  create();
  QCOMPARE(messages.shown.size(), 1);
  QVERIFY(window.project() != nullptr);
}

void MainWindowTest::typedInputCalculatedSavedAndReopened() {
  RecordingMessageBoxes messages;
  ProgramFolder folder(true);
  const QString saved = folder.path(QString::fromUtf8("K1 路段.xlsx"));
  QString calculatedB5;
  {
    MainWindow window(messages, folder.path());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    trigger(window, "menuNew");
    typeSmallProject(window);
    click(window, "calculateButton");
    QCOMPARE(messages.shown.size(), 0);
    host::Workbook& book = *window.project();
    QCOMPARE(window.view()->tabBar()->tabText(window.view()->currentSheet()),
             QString::fromUtf8("水准表"));
    QCOMPARE(&book.ActiveSheet(), book.FindSheet("水准表"));
    QVERIFY(window.isWindowModified());
    const QStringList levelling = columnTexts(*book.FindSheet("水准表"), 1);
    QVERIFY2(levelling.contains(QStringLiteral("BM8")) &&
                 levelling.filter(QStringLiteral("P2")).size() == 1,
             qPrintable(levelling.join(u'|')));
    for (const char* plane : {"放线记录表", "平面位置检测表"}) {
      QCOMPARE(text(*book.FindSheet(plane), "A8"), QStringLiteral("P1"));
    }
    // The grid shows the new table without being asked.
    QCOMPARE(window.view()->model()->index(4, 0).data().toString(), QStringLiteral("BM7"));
    calculatedB5 = text(*book.FindSheet("水准表"), "B5");

    window.setPathChooser([&](bool forSaving, const QString& suggested) {
      return forSaving && suggested == QStringLiteral("work1.xlsx") ? saved : QString();
    });
    trigger(window, "actionSave");
    QVERIFY(QFileInfo::exists(saved));
    QVERIFY(!window.isWindowModified());
    QVERIFY(window.windowTitle().contains(QString::fromUtf8("K1 路段.xlsx")));
  }
  MainWindow reopened(messages, folder.path());
  QVERIFY(reopened.openProject(saved));
  host::Workbook& book = *reopened.project();
  QCOMPARE(text(book.SheetAt(0), "B4"), QStringLiteral("3412697.736"));
  QCOMPARE(text(book.SheetAt(0), "A10"), QStringLiteral("P3"));
  QCOMPARE(text(*book.FindSheet("水准表"), "B5"), calculatedB5);
  QCOMPARE(messages.shown.size(), 0);
}

void MainWindowTest::calculationFailureIsNamed() {
  RecordingMessageBoxes messages;
  ProgramFolder folder(true);
  const QString bare = folder.path(QStringLiteral("bare.xlsx"));
  host::Workbook().SaveAs(bare.toStdU16String());
  MainWindow window(messages, folder.path());
  QVERIFY(window.openProject(bare));

  trigger(window, "menuClac");
  QVERIFY(!messages.shown.isEmpty());
  QString all;
  for (const auto& message : messages.shown) {
    QVERIFY(!message.title.isEmpty());
    QCOMPARE(message.buttons, MessageBoxes::Buttons::Ok);
    all += message.text;
  }
  QVERIFY2(all.contains(QString::fromUtf8("数据输入")), qPrintable(all));
  // The window is usable again afterwards.
  QVERIFY(window.view()->isEnabled());
  QCOMPARE(window.view()->tabBar()->count(), 1);
}

void MainWindowTest::savedSettingsApplyToNextCalculation() {
  RecordingMessageBoxes messages;
  ProgramFolder folder(true);
  MainWindow window(messages, folder.path());
  QVERIFY(window.openProject(folder.copyExample("road-k1")));

  bool dialogSeen = false;
  QTimer::singleShot(0, &window, [&] {
    auto* dialog = qobject_cast<SettingsDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    dialogSeen = true;
    child<QLineEdit>(*dialog, "TextSZ_7")->setText(QStringLiteral("TP"));
    press(*dialog, "CmdSet");
    press(*dialog, "CmdOK");
  });
  click(window, "ButtonB2");
  QVERIFY(dialogSeen);
  QCOMPARE(window.settings().TurnPointPrefix, std::string("TP"));
  QCOMPARE(messages.shown.size(), 1);  // the dialog's "saved"

  window.RunCalculation();
  QCOMPARE(messages.shown.size(), 1);
  const QStringList points = columnTexts(*window.project()->FindSheet("水准表"), 1);
  QVERIFY2(points.contains(QStringLiteral("TP1")), qPrintable(points.join(u'|')));
  QVERIFY(points.filter(QStringLiteral("ZD")).isEmpty());
}

void MainWindowTest::closeAsksOnlyForUnsavedWork_data() {
  QTest::addColumn<QString>("project");  // none, saved, typed, calculated
  QTest::addColumn<MessageBoxes::Answer>("answer");
  QTest::addColumn<bool>("asked");
  QTest::addColumn<bool>("closed");
  QTest::addColumn<bool>("written");  // the project went to its file before closing
  using A = MessageBoxes::Answer;
  QTest::newRow("no project") << QStringLiteral("none") << A::Cancel << false << true << false;
  QTest::newRow("saved project") << QStringLiteral("saved") << A::Cancel << false << true << false;
  QTest::newRow("typed, cancel") << QStringLiteral("typed") << A::Cancel << true << false << false;
  QTest::newRow("typed, save") << QStringLiteral("typed") << A::Save << true << true << true;
  QTest::newRow("calculated, discard")
      << QStringLiteral("calculated") << A::Discard << true << true << false;
  QTest::newRow("calculated, save")
      << QStringLiteral("calculated") << A::Save << true << true << true;
}

void MainWindowTest::closeAsksOnlyForUnsavedWork() {
  QFETCH(QString, project);
  QFETCH(MessageBoxes::Answer, answer);
  QFETCH(bool, asked);
  QFETCH(bool, closed);
  QFETCH(bool, written);
  RecordingMessageBoxes messages;
  ProgramFolder folder(true);
  const QString untitledTarget = folder.path(QStringLiteral("saved-on-close.xlsx"));
  const QString sample = folder.copyExample("road-k1");
  const QDateTime sampleTime = QFileInfo(sample).lastModified();
  MainWindow window(messages, folder.path());
  window.setPathChooser(
      [&](bool forSaving, const QString&) { return forSaving ? untitledTarget : QString(); });
  window.show();
  if (project == QStringLiteral("saved")) QVERIFY(window.openProject(sample));
  if (project == QStringLiteral("typed")) {
    window.CreateProject();
    typeAt(*window.view(), "E5", QStringLiteral("BM7"));
  }
  if (project == QStringLiteral("calculated")) {
    QVERIFY(window.openProject(sample));
    window.RunCalculation();
  }
  QCOMPARE(messages.shown.size(), 0);
  messages.answers = {answer};

  QCOMPARE(window.close(), closed);
  QCOMPARE(messages.shown.size(), asked ? 1 : 0);
  if (asked) {
    QCOMPARE(messages.shown[0].buttons, MessageBoxes::Buttons::SaveDiscardCancel);
    QVERIFY(messages.shown[0].text.contains(QString::fromUtf8("未保存")));
  }
  QCOMPARE(window.isVisible(), !closed);
  if (project == QStringLiteral("typed")) QCOMPARE(QFileInfo::exists(untitledTarget), written);
  if (project == QStringLiteral("calculated")) {
    QCOMPARE(window.project()->Saved(), written);
    QCOMPARE(QFileInfo(sample).lastModified() != sampleTime, written);
  }
}

void MainWindowTest::barKeepsSmallButtonsAtBottom_data() {
  QTest::addColumn<int>("height");
  QTest::newRow("design height") << 0;
  QTest::newRow("taller") << 1200;
  QTest::newRow("too low for the bar") << 300;
}

void MainWindowTest::barKeepsSmallButtonsAtBottom() {
  QFETCH(int, height);
  RecordingMessageBoxes messages;
  ProgramFolder folder(true);
  MainWindow window(messages, folder.path());
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  if (height > 0) window.resize(window.width(), height);
  QCoreApplication::sendPostedEvents();
  QApplication::processEvents();

  QWidget* bar = child(window, "bar");
  QCOMPARE(bar->width(), 85);  // 1275 twips
  QCOMPARE(bar->geometry().right(), window.centralWidget()->width() - 1);
  QCOMPARE(bar->height(), window.centralWidget()->height());
  QWidget* b1 = child(window, "ButtonB1");
  QWidget* b2 = child(window, "ButtonB2");
  QWidget* panel = child(window, "PicBox");
  QCOMPARE(b1->geometry(), QRect(0, bar->height() - 41, 41, 41));
  QCOMPARE(b2->geometry(), QRect(41, bar->height() - 41, 41, 41));
  QCOMPARE(panel->geometry(), QRect(0, b1->y() - 177 - 2, 83, 177));
  // However low the window, the known-points panel leaves the large buttons uncovered.
  QVERIFY(panel->y() > child(window, "ButtonSave")->geometry().bottom());
}

VARDEX_QT_TEST(MainWindowTest);

}  // namespace vardex::test

#include "main_window_test.moc"
