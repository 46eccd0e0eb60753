// The main window's commands as the surveyor meets them: a run's messages never sit under a
// progress window, every calculation leaves the record that `vardex calc --seed` reproduces, the
// grid keeps the keyboard, the save items save, and the about, update and new-project commands
// say and do what they claim.
#include <QApplication>
#include <QCursor>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <QTranslator>
#include <QtTest>

#include "app/about_box.hpp"
#include "app/main_window.hpp"
#include "app/qt_translations.hpp"
#include "app_test_support.hpp"
#include "controls/picture_button.hpp"
#include "project/provenance.hpp"
#include "recording_message_boxes.hpp"
#include "support/qt_tests.hpp"

Q_DECLARE_METATYPE(vardex::MessageBoxes::Answer)

namespace vardex::test {
namespace {

// Records messages as a user sees them: each stays up a while, as a real box does, and notes
// whether a progress window showed meanwhile.
class LingeringMessageBoxes final : public MessageBoxes {
 public:
  Answer show(QWidget*, const QString& title, const QString&, Icon, Buttons) override {
    QTest::qWait(700);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (qobject_cast<QProgressDialog*>(widget) != nullptr && widget->isVisible()) {
        underProgress << title;
      }
    }
    ++count;
    return Answer::Ok;
  }
  int count = 0;
  QStringList underProgress;
};

// The three record tables of the file at `path`, cell by cell.
QString recordTables(const QString& path) {
  const host::Workbook book = host::Workbook::Open(path.toStdU16String());
  std::string tables;
  for (const std::string& name : {kLevelling, kStakeOut, kInspection}) {
    const host::RangeRef used = *book.Sheet(name).UsedRange();
    tables += name + "\n" + DumpSheet(book.Sheet(name), used.last.row, used.last.column);
  }
  return QString::fromStdString(tables);
}

// The main window beside the template with a copy of the example project open.
struct ExampleWindow {
  RecordingMessageBoxes messages;
  ProgramFolder folder{true};
  const QString project = folder.copyExample("road-k1");
  MainWindow window{messages, folder.path()};
  const bool opened = window.openProject(project);
};

// One row per named command, in the column "command".
void commandRows(std::initializer_list<const char*> commands) {
  QTest::addColumn<QByteArray>("command");
  for (const char* command : commands) QTest::newRow(command) << QByteArray(command);
}

int runCli(const QStringList& arguments) {
  return QProcess::execute(QStringLiteral(VARDEX_CLI), arguments);
}

}  // namespace

class ProjectCommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void noMessageUnderProgress();
  void calculationRecordsWhatReproducesIt();
  void gridKeepsTheFocus();
  void longWorkKeepsTheWindowAlive_data();
  void longWorkKeepsTheWindowAlive();
  void saveItemsSave_data();
  void saveItemsSave();
  void newTemplateAsksFirst_data();
  void newTemplateAsksFirst();
  void aboutAndUpdateTellTheVersion();
  void qtTextsAndTitlesReadWhole();
};

void ProjectCommandsTest::noMessageUnderProgress() {
  LingeringMessageBoxes messages;
  ProgramFolder folder(true);
  MainWindow window(messages, folder.path());
  window.show();
  QVERIFY(window.openProject(folder.copyExample("road-k1")));
  typeAt(*window.view(), "E9", QStringLiteral("abc"));
  activate(window, "calculateButton");
  QVERIFY(messages.count > 0);
  QCOMPARE(messages.underProgress, QStringList());
}

void ProjectCommandsTest::calculationRecordsWhatReproducesIt() {
  RecordingMessageBoxes messages;
  ProgramFolder folder(true);
  const QString project = folder.copyExample("road-k1");
  // Calculated by the command line first: the app's run must replace that record.
  QCOMPARE(runCli({QStringLiteral("calc"), QStringLiteral("--seed"), QStringLiteral("7"), project}),
           0);
  {
    MainWindow window(messages, folder.path());
    QVERIFY(window.openProject(project));
    activate(window, "calculateButton");
    activate(window, "actionSave");
  }
  QCOMPARE(messages.shown.size(), 0);
  const auto recorded = ReadProvenance(host::Workbook::Open(project.toStdU16String()));
  QVERIFY(recorded && recorded->seed && *recorded->seed != 7);
  QCOMPARE(runCli({QStringLiteral("check"), project}), 0);

  const QString again = folder.path(QStringLiteral("again.xlsx"));
  QCOMPARE(runCli({QStringLiteral("calc"), QStringLiteral("--seed"),
                   QString::number(*recorded->seed), project, QStringLiteral("-o"), again}),
           0);
  QCOMPARE(recordTables(again), recordTables(project));
}

void ProjectCommandsTest::gridKeepsTheFocus() {
  RecordingMessageBoxes messages;
  ProgramFolder folder(true);
  MainWindow window(messages, folder.path());
  window.show();
  QApplication::setActiveWindow(&window);
  QVERIFY(QTest::qWaitForWindowActive(&window));
  QVERIFY(window.openProject(folder.copyExample("road-k1")));
  QWidget* grid = window.view()->table();
  QCOMPARE(QApplication::focusWidget(), grid);

  activate(window, "calculateButton");
  QCOMPARE(QApplication::focusWidget(), grid);
  QTest::keyClick(grid, Qt::Key_PageDown, Qt::ControlModifier);
  QCOMPARE(window.view()->tabBar()->tabText(window.view()->currentSheet()),
           QString::fromStdString(kStakeOut));
  QCOMPARE(QApplication::focusWidget(), grid);
  QTimer::singleShot(0, &window, [] { QApplication::activeModalWidget()->close(); });
  activate(window, "ButtonB2");
  QTRY_COMPARE(QApplication::focusWidget(), grid);
}

void ProjectCommandsTest::longWorkKeepsTheWindowAlive_data() {
  commandRows({"open", "actionSave", "calculateButton"});
}

void ProjectCommandsTest::longWorkKeepsTheWindowAlive() {
  QFETCH(QByteArray, command);
  ExampleWindow example;
  QVERIFY(example.opened);
  MainWindow& window = example.window;
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  WorkbookView& view = *window.view();
  const QRect grid = view.table()->geometry();
  const QImage before = view.grab(grid).toImage().convertToFormat(QImage::Format_RGB32);
  // Posted now, delivered at the first turn of the event loop: during the command when its work
  // runs off the interface thread, after it when the work holds the thread.
  bool busy = false;
  QImage during;
  QMetaObject::invokeMethod(
      &window,
      [&] {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        busy = cursor != nullptr && cursor->shape() == Qt::BusyCursor;
        during = view.grab(grid).toImage().convertToFormat(QImage::Format_RGB32);
      },
      Qt::QueuedConnection);
  if (command == "open") {
    QVERIFY(window.openProject(example.project));
  } else {
    activate(window, command.constData());
  }
  QVERIFY(busy);
  QVERIFY(during == before);  // the grid stays in sight, not blanked
  QCOMPARE(example.messages.shown.size(), 0);
}

void ProjectCommandsTest::saveItemsSave_data() {
  commandRows({"menuSavePointPM", "menuSavePointSZ", "menuSaveSheet", "ButtonSave"});
}

void ProjectCommandsTest::saveItemsSave() {
  QFETCH(QByteArray, command);
  ExampleWindow example;
  QVERIFY(example.opened);
  typeAt(*example.window.view(), "E5", QStringLiteral("BM9"));
  activate(example.window, command.constData());
  QCOMPARE(example.messages.shown.size(), 0);
  QVERIFY(example.window.project()->Saved());
  const host::Workbook saved = host::Workbook::Open(example.project.toStdU16String());
  QCOMPARE(text(saved.SheetAt(0), "E5"), QStringLiteral("BM9"));
}

void ProjectCommandsTest::newTemplateAsksFirst_data() {
  QTest::addColumn<MessageBoxes::Answer>("answer");
  QTest::addColumn<bool>("replaced");
  QTest::newRow("save") << MessageBoxes::Answer::Save << true;
  QTest::newRow("discard") << MessageBoxes::Answer::Discard << true;
  QTest::newRow("cancel") << MessageBoxes::Answer::Cancel << false;
}

void ProjectCommandsTest::newTemplateAsksFirst() {
  QFETCH(MessageBoxes::Answer, answer);
  QFETCH(bool, replaced);
  ExampleWindow example;
  QVERIFY(example.opened);
  example.messages.answers = {answer};
  typeAt(*example.window.view(), "E5", QStringLiteral("BM9"));
  activate(example.window, "menuNew");
  QCOMPARE(example.messages.shown.size(), 1);
  QCOMPARE(example.messages.shown[0].buttons, MessageBoxes::Buttons::SaveDiscardCancel);
  QCOMPARE(example.window.project()->Path().empty(), replaced);
  const host::Workbook onDisk = host::Workbook::Open(example.project.toStdU16String());
  QCOMPARE(text(onDisk.SheetAt(0), "E5") == QStringLiteral("BM9"),
           answer == MessageBoxes::Answer::Save);
}

void ProjectCommandsTest::aboutAndUpdateTellTheVersion() {
  RecordingMessageBoxes messages;
  messages.answers = {MessageBoxes::Answer::Ok, MessageBoxes::Answer::Yes};
  ProgramFolder folder(true);
  MainWindow window(messages, folder.path());
  QList<GuidePage> opened;
  window.setPageOpener([&](GuidePage page) { opened << page; });
  activate(window, "menuAboutsoft");
  activate(window, "menuupdate");
  QCOMPARE(messages.shown.size(), 2);
  for (const auto& shown : messages.shown) {
    QVERIFY2(shown.text.contains(installedVersion()), qPrintable(shown.text));
    QVERIFY(!shown.text.contains(QString::fromUtf8("检查到有新版本")));
  }
  QCOMPARE(opened, QList<GuidePage>{GuidePage::Update});
}

void ProjectCommandsTest::qtTextsAndTitlesReadWhole() {
  QVERIFY(installQtTranslations(*QCoreApplication::instance()));
  const QString title = QString::fromUtf8("平面水准设置：一个很长的标题");
  QString saveText;
  int boxWidth = 0;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    QVERIFY(box != nullptr);
    saveText = box->button(QMessageBox::Save)->text();
    boxWidth = box->width();
    box->button(QMessageBox::Cancel)->click();
  });
  DialogMessageBoxes().show(nullptr, title, QStringLiteral("?"), MessageBoxes::Icon::Question,
                            MessageBoxes::Buttons::SaveDiscardCancel);
  // The other suites of this program read Qt's own texts in English.
  for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>()) {
    QCoreApplication::removeTranslator(translator);
    delete translator;
  }
  QCOMPARE(saveText, QString::fromUtf8("保存"));
  QVERIFY(boxWidth > QFontMetrics(QApplication::font()).horizontalAdvance(title));
}

VARDEX_QT_TEST(ProjectCommandsTest);

}  // namespace vardex::test

#include "project_commands_test.moc"
