// The project files dialog: one modeless instance whose buttons change nothing and which starts
// afresh after being closed.
#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include "app/project_files_dialog.hpp"
#include "controls/caption_panel.hpp"
#include "support/qt_tests.hpp"

namespace vardex::test {
namespace {

QStringList pathTexts(ProjectFilesDialog& dialog) {
  QStringList texts;
  for (int i = 0; i < 4; ++i) {
    auto* box = dialog.findChild<QLineEdit*>(QStringLiteral("TextPM_%1").arg(i));
    texts << (box != nullptr ? box->text() : QStringLiteral("<missing>"));
  }
  return texts;
}

const QStringList kComingInVersion2(4, QString::fromUtf8("期待2.0版本"));

void closeAndDelete(ProjectFilesDialog* dialog) {
  dialog->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

class ProjectFilesDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void oneInstanceStartingAfreshAfterClose();
};

void ProjectFilesDialogTest::oneInstanceStartingAfreshAfterClose() {
  QPointer<ProjectFilesDialog> first = ProjectFilesDialog::showInstance(nullptr);
  QVERIFY(first->isVisible());
  QVERIFY(!first->isModal());
  QCOMPARE(pathTexts(*first), kComingInVersion2);
  auto* panel = first->findChild<CaptionPanel*>();
  QVERIFY(panel != nullptr);
  QCOMPARE(panel->caption(), QString::fromUtf8("项目文件设置"));
  QCOMPARE(panel->geometry(), first->rect());
  // Its seven buttons (four browse, three project) open nothing and change no path.
  const QList<QPushButton*> buttons = first->findChildren<QPushButton*>();
  QCOMPARE(buttons.size(), 7);
  const int windowsBefore = int(QApplication::topLevelWidgets().size());
  for (QPushButton* button : buttons) QTest::mouseClick(button, Qt::LeftButton);
  QCoreApplication::processEvents();
  QVERIFY(first->isVisible());
  QCOMPARE(pathTexts(*first), kComingInVersion2);
  QCOMPARE(int(QApplication::topLevelWidgets().size()), windowsBefore);

  first->findChild<QLineEdit*>(QStringLiteral("TextPM_0"))->setText(QStringLiteral("a.szd"));
  QCOMPARE(ProjectFilesDialog::showInstance(nullptr), first.data());
  QCOMPARE(pathTexts(*first).first(), QStringLiteral("a.szd"));

  closeAndDelete(first);
  QVERIFY(first.isNull());
  ProjectFilesDialog* second = ProjectFilesDialog::showInstance(nullptr);
  QCOMPARE(pathTexts(*second), kComingInVersion2);
  closeAndDelete(second);
}

VARDEX_QT_TEST(ProjectFilesDialogTest);

}  // namespace vardex::test

#include "project_files_dialog_test.moc"
