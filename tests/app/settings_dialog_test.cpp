// The settings dialog as the user drives it: filled from the settings in force, saves through the
// save rule with one message, keeps typed texts after a refused save, discards on close, and
// opens guide pages from its labels.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "app/settings_dialog.hpp"
#include "app_test_support.hpp"
#include "recording_message_boxes.hpp"
#include "support/qt_tests.hpp"

Q_DECLARE_METATYPE(vardex::GuidePage)

namespace vardex::test {
namespace {

const QString kTitle = QString::fromUtf8("平面水准设置");
const QString kSaved = QString::fromUtf8("设置已经保存");

QLineEdit* box(SettingsDialog& dialog, const char* name) { return child<QLineEdit>(dialog, name); }

QCheckBox* check(SettingsDialog& dialog, const char* name) {
  return child<QCheckBox>(dialog, name);
}

void type(QLineEdit* target, const QString& text) {
  target->selectAll();
  QTest::keyClick(target, Qt::Key_Delete);
  QTest::keyClicks(target, text);
}

QStringList boxTexts(SettingsDialog& dialog) {
  QStringList texts;
  for (const char* name : {"TextPM_0", "TextPM_1", "TextSZ_0", "TextSZ_1", "TextSZ_2", "TextSZ_3",
                           "TextSZ_4", "TextSZ_5", "TextSZ_6", "TextSZ_7"}) {
    texts << box(dialog, name)->text();
  }
  return texts;
}

}  // namespace

class SettingsDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void fillsBoxesFromSettingsInForce();
  void refusedSaveKeepsTypedTexts();
  void saveHandsBackSettingsForNextCalculation();
  void closeDiscardsTypedTexts();
  void labelOpensGuidePage_data();
  void labelOpensGuidePage();
};

void SettingsDialogTest::fillsBoxesFromSettingsInForce() {
  const SurveySettings settings{.StaffMinReading = 0.35,
                                .StaffMaxReading = 3.9,
                                .MidTolMinus = -1.5,
                                .MidTolPlus = 4,
                                .ClosureTolMinus = -2.25,
                                .ClosureTolPlus = 1,
                                .QuickTransferValue = 0.45,
                                .TurnPointPrefix = "转点",
                                .ShowTurnPointElevation = true,
                                .ShowMidPoints = false,
                                .ReadingsInMeters = false,
                                .PlaneTolMinus = -7,
                                .PlaneTolPlus = 6.5};

  RecordingMessageBoxes messages;
  SettingsDialog dialog(settings, messages);
  dialog.show();
  QCOMPARE(boxTexts(dialog).join(u'|'),
           QString::fromUtf8("-7|6.5|0.35|3.9|-1.5|4|-2.25|1|0.45|转点"));
  QVERIFY(check(dialog, "CheckSZ")->isChecked());
  QVERIFY(!check(dialog, "CheckZJD")->isChecked());
  QVERIFY(!check(dialog, "CheckMiters")->isChecked());
  QVERIFY(messages.shown.isEmpty());
}

// The save rule's messages are tested with the rule; here one shows how the dialog passes them on.
void SettingsDialogTest::refusedSaveKeepsTypedTexts() {
  RecordingMessageBoxes messages;
  const SurveySettings inForce = InitConfig();
  SettingsDialog dialog(inForce, messages);
  QSignalSpy saved(&dialog, &SettingsDialog::settingsSaved);
  dialog.show();
  QLineEdit* edited = box(dialog, "TextSZ_6");
  const QString designText = edited->text();
  type(edited, QStringLiteral("2.3"));  // half the staff range
  const QStringList typedTexts = boxTexts(dialog);

  press(dialog, "CmdSet");
  QCOMPARE(messages.shown.size(), 1);
  QCOMPARE(messages.shown[0].text, QString::fromUtf8("请保证水准快速转站正确性,设置未保存"));
  QCOMPARE(messages.shown[0].title, kTitle);
  QCOMPARE(messages.shown[0].icon, MessageBoxes::Icon::Information);
  QCOMPARE(messages.shown[0].buttons, MessageBoxes::Buttons::Ok);
  QCOMPARE(boxTexts(dialog), typedTexts);
  QCOMPARE(saved.count(), 0);
  QVERIFY(dialog.settings() == inForce);
  QVERIFY(dialog.isVisible());

  // Corrected and saved again in the same opening.
  type(edited, designText);
  press(dialog, "CmdSet");
  QCOMPARE(messages.shown.size(), 2);
  QCOMPARE(messages.shown[1].text, kSaved);
  QCOMPARE(saved.count(), 1);
}

void SettingsDialogTest::saveHandsBackSettingsForNextCalculation() {
  RecordingMessageBoxes messages;
  // What the main window does: keep the settings in force and swap in each saved copy.
  SurveySettings inForce = InitConfig();
  SettingsDialog dialog(inForce, messages);
  connect(&dialog, &SettingsDialog::settingsSaved, this,
          [&inForce](const SurveySettings& saved) { inForce = saved; });
  dialog.show();

  type(box(dialog, "TextSZ_6"), QStringLiteral("1.20"));
  type(box(dialog, "TextSZ_7"), QStringLiteral("TP"));
  type(box(dialog, "TextPM_0"), QStringLiteral("5"));
  type(box(dialog, "TextPM_1"), QStringLiteral("-5.0"));
  check(dialog, "CheckSZ")->click();
  check(dialog, "CheckZJD")->click();
  press(dialog, "CmdSet");

  QCOMPARE(messages.shown.size(), 1);
  QCOMPARE(messages.shown[0].text, kSaved);
  QCOMPARE(messages.shown[0].title, kTitle);
  // A reversed plane pair is stored as typed.
  const SurveySettings expected{.QuickTransferValue = 1.2,
                                .TurnPointPrefix = "TP",
                                .ShowTurnPointElevation = true,
                                .ShowMidPoints = false,
                                .PlaneTolMinus = 5,
                                .PlaneTolPlus = -5};
  QVERIFY(inForce == expected);
  QVERIFY(dialog.settings() == expected);
  QVERIFY(dialog.isVisible());

  // Shown again, or anew on the settings in force, the boxes hold the saved numbers.
  press(dialog, "CmdOK");
  dialog.show();
  SettingsDialog reopened(inForce, messages);
  reopened.show();
  for (SettingsDialog* shown : {&dialog, &reopened}) {
    QCOMPARE(box(*shown, "TextSZ_6")->text(), QStringLiteral("1.2"));
    QCOMPARE(box(*shown, "TextPM_1")->text(), QStringLiteral("-5"));
  }
}

void SettingsDialogTest::closeDiscardsTypedTexts() {
  RecordingMessageBoxes messages;
  const SurveySettings inForce = InitConfig();
  SettingsDialog dialog(inForce, messages);
  QSignalSpy saved(&dialog, &SettingsDialog::settingsSaved);
  dialog.show();
  type(box(dialog, "TextSZ_0"), QStringLiteral("0.5"));
  check(dialog, "CheckMiters")->click();

  press(dialog, "CmdOK");
  QVERIFY(!dialog.isVisible());
  QCOMPARE(dialog.result(), int(QDialog::Rejected));
  QCOMPARE(saved.count(), 0);
  QVERIFY(messages.shown.isEmpty());
  QVERIFY(dialog.settings() == inForce);

  dialog.show();
  QCOMPARE(box(dialog, "TextSZ_0")->text(), QStringLiteral("0.2"));
  QVERIFY(check(dialog, "CheckMiters")->isChecked());
}

void SettingsDialogTest::labelOpensGuidePage_data() {
  QTest::addColumn<int>("labelIndex");
  QTest::addColumn<GuidePage>("page");

  QTest::newRow("first promotion") << 21 << GuidePage::CommandLine;
  QTest::newRow("second promotion") << 19 << GuidePage::RecordCheck;
  QTest::newRow("third promotion") << 18 << GuidePage::ExampleProject;
  QTest::newRow("caption of a setting") << 10 << GuidePage::Home;
}

void SettingsDialogTest::labelOpensGuidePage() {
  QFETCH(int, labelIndex);
  QFETCH(GuidePage, page);

  RecordingMessageBoxes messages;
  SettingsDialog dialog(InitConfig(), messages);
  QList<GuidePage> opened;
  dialog.setPageOpener([&opened](GuidePage p) { opened << p; });
  dialog.show();
  const QString settingsBefore = boxTexts(dialog).join(QLatin1Char('|'));

  auto* label = dialog.findChild<QLabel*>(QStringLiteral("LabelInfo_%1").arg(labelIndex));
  QVERIFY(label != nullptr);
  QTest::mouseClick(label, Qt::LeftButton);
  QCOMPARE(opened, QList<GuidePage>({page}));
  QVERIFY(dialog.isVisible());
  QCOMPARE(boxTexts(dialog).join(QLatin1Char('|')), settingsBefore);
  QVERIFY(messages.shown.isEmpty());
}

VARDEX_QT_TEST(SettingsDialogTest);

}  // namespace vardex::test

#include "settings_dialog_test.moc"
