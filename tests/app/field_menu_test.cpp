// The field data menu items through the real widgets: 导入观测数据… with a levelling line, a
// stake-out file and a bad file, and 导出放样点… to a file, on the sample project road-k1.
#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "app/field_data_dialogs.hpp"
#include "app/main_window.hpp"
#include "app_test_support.hpp"
#include "recording_message_boxes.hpp"
#include "support/qt_tests.hpp"

namespace vardex::test {
namespace {

QString example(const char* name) {
  return QStringLiteral(VARDEX_FIELD_EXAMPLES "/") + QString::fromUtf8(name);
}

template <typename T>
T* part(QDialog& dialog, const char* name) {
  auto* found = dialog.findChild<T*>(QString::fromUtf8(name));
  if (found == nullptr) qFatal("no widget %s", name);
  return found;
}

// Fills the import dialog as a user would: the kind, the files through "添加文件…", the
// distribution, then "导入".
MainWindow::DialogRunner importing(bool stakeout, QStringList files, int distribution = 0) {
  return [=](QDialog& dialog) {
    auto& import = dynamic_cast<FieldImportDialog&>(dialog);
    if (stakeout) QTest::mouseClick(part<QAbstractButton>(dialog, "kindStakeout"), Qt::LeftButton);
    import.setFileChooser([files](FieldImportDialog::Kind) { return files; });
  QTest::mouseClick(part<QPushButton>(dialog, "addFiles"), Qt::LeftButton);
  part<QComboBox>(dialog, "distribution")->setCurrentIndex(distribution);
  QTest::mouseClick(part<QPushButton>(dialog, "ok"), Qt::LeftButton);
  return dialog.result();
};
}

}  // namespace

class FieldMenuTest : public QObject {
  Q_OBJECT

 private slots:
  void levellingLineFromTwoFiles();
  void badFieldFileLeavesTheProject();
  void stakeoutFileMarksTheTables();
  void exportWritesTheChosenFormat();
};

void FieldMenuTest::levellingLineFromTwoFiles() {
  RecordingMessageBoxes messages;
  ProgramFolder folder(true);
  MainWindow window(messages, folder.path());
  QVERIFY(window.openProject(folder.copyExample("road-k1")));
  window.setDialogRunner(importing(false, {example("road-k1-a.gsi"), example("road-k1-b.gsi")}, 1));
  window.findChild<QAction*>(QStringLiteral("menuImportField"))->trigger();

  QCOMPARE(messages.shown.size(), 1);
  QCOMPARE(messages.shown[0].icon, MessageBoxes::Icon::Information);
  QVERIFY2(messages.shown[0].text.contains(QStringLiteral("与“数据输入”匹配的点：25 个")),
           qPrintable(messages.shown[0].text));
  QVERIFY(messages.shown[0].text.contains(QStringLiteral("CK1")));
  const auto& sheet = window.project()->Sheet("水准表");
  QCOMPARE(text(sheet, "A5"), QStringLiteral("BM7"));
  QCOMPARE(text(sheet, "J3"), QStringLiteral("改正数\n(mm)"));
  QVERIFY(window.isWindowModified());
}

void FieldMenuTest::badFieldFileLeavesTheProject() {
  RecordingMessageBoxes messages;
  ProgramFolder folder(true);
  MainWindow window(messages, folder.path());
  QVERIFY(window.openProject(folder.copyExample("road-k1")));
  const QString bad = folder.path(QStringLiteral("bad.gsi"));
  QFile file(bad);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write("410001+?......1\n110002+00000BM7 331.06+0001523\n");
  file.close();
  window.setDialogRunner(importing(false, {bad}));
  window.findChild<QAction*>(QStringLiteral("menuImportField"))->trigger();

  QCOMPARE(messages.shown.size(), 1);
  QCOMPARE(messages.shown[0].icon, MessageBoxes::Icon::Critical);
  QVERIFY2(messages.shown[0].text.contains(QStringLiteral("未能导入，项目未改动")),
           qPrintable(messages.shown[0].text));
  QVERIFY(messages.shown[0].text.contains(QStringLiteral("文件“bad.gsi”第 2 行")));
  QVERIFY(!window.isWindowModified());
}

void FieldMenuTest::stakeoutFileMarksTheTables() {
  RecordingMessageBoxes messages;
  ProgramFolder folder(true);
  MainWindow window(messages, folder.path());
  QVERIFY(window.openProject(folder.copyExample("road-k1")));
  window.setDialogRunner(importing(true, {example("road-k1-stakeout.csv")}));
  window.findChild<QAction*>(QStringLiteral("menuImportField"))->trigger();

  QCOMPARE(messages.shown.size(), 1);
  // A point out of tolerance: the report is a warning.
  QCOMPARE(messages.shown[0].icon, MessageBoxes::Icon::Warning);
  QVERIFY2(messages.shown[0].text.contains(QStringLiteral("超限")),
           qPrintable(messages.shown[0].text));
  QVERIFY(messages.shown[0].text.contains(QStringLiteral("实测 24 个")));
}

void FieldMenuTest::exportWritesTheChosenFormat() {
  RecordingMessageBoxes messages;
  ProgramFolder folder(true);
  MainWindow window(messages, folder.path());
  QVERIFY(window.openProject(folder.copyExample("road-k1")));
  const QString target = folder.path(QStringLiteral("放样点.dat"));
  window.setDialogRunner([&](QDialog& dialog) {
    auto& exporting = dynamic_cast<StakeoutExportDialog&>(dialog);
    auto* format = part<QComboBox>(dialog, "format");
    format->setCurrentIndex(format->findData(QStringLiteral("dat")));
    exporting.setPathChooser([&](const QString&) { return target; });
    QTest::mouseClick(part<QPushButton>(dialog, "browse"), Qt::LeftButton);
    QTest::mouseClick(part<QPushButton>(dialog, "ok"), Qt::LeftButton);
    return dialog.result();
  });
  window.findChild<QAction*>(QStringLiteral("menuExportStakeout"))->trigger();

  QCOMPARE(messages.shown.size(), 1);
  QVERIFY(messages.shown[0].text.contains(QStringLiteral("已导出 27 个点")));
  QFile written(target);
  QVERIFY(written.open(QIODevice::ReadOnly));
  // The station first, east before north as the DAT convention keeps them.
  QCOMPARE(written.readLine(), QByteArray("D17,,513031.251,3412697.736,114.206\r\n"));
}

VARDEX_QT_TEST(FieldMenuTest);

}  // namespace vardex::test

#include "field_menu_test.moc"
