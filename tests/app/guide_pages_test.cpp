// Finding the user guide beside the program or in an installation, opening a page with the
// desktop's opener, and telling the user when the page is missing.
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include "app/guide_pages.hpp"
#include "recording_message_boxes.hpp"
#include "support/qt_tests.hpp"

namespace vardex::test {
namespace {

// A program folder "bin" with the guide beside it, under ../share/vardex/guide, or both.
struct Layout {
  explicit Layout(bool beside, bool installed) {
    programDir = root.filePath(QStringLiteral("bin"));
    QDir().mkpath(programDir);
    if (beside) besidePage = write(QStringLiteral("bin/guide"));
    if (installed) installedPage = write(QStringLiteral("share/vardex/guide"));
  }

  QString write(const QString& folder) {
    QDir().mkpath(root.filePath(folder));
    QFile file(root.filePath(folder + QStringLiteral("/check.html")));
    if (!file.open(QIODevice::WriteOnly)) qFatal("cannot write the guide page");
    file.write("<html></html>");
    return QFileInfo(file).absoluteFilePath();
  }

  QTemporaryDir root;
  QString programDir;
  QString besidePage;
  QString installedPage;
};

}  // namespace

class GuidePagesTest : public QObject {
  Q_OBJECT

 public slots:
  void recordUrl(const QUrl& url) { mOpened << url; }

 private slots:
  void init() {
    mOpened.clear();
    QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "recordUrl");
  }
  void cleanup() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

  void findsPage_data();
  void findsPage();
  void opensFoundPage();
  void tellsWhenPageIsMissing();

 private:
  QList<QUrl> mOpened;
};

void GuidePagesTest::findsPage_data() {
  QTest::addColumn<bool>("beside");
  QTest::addColumn<bool>("installed");
  QTest::addColumn<QString>("expected");  // "beside", "installed" or empty

  QTest::newRow("build tree") << true << false << QStringLiteral("beside");
  QTest::newRow("installation") << false << true << QStringLiteral("installed");
  QTest::newRow("beside the program wins") << true << true << QStringLiteral("beside");
  QTest::newRow("nowhere") << false << false << QString();
}

void GuidePagesTest::findsPage() {
  QFETCH(bool, beside);
  QFETCH(bool, installed);
  QFETCH(QString, expected);

  Layout layout(beside, installed);
  const QString found = findGuidePage(GuidePage::RecordCheck, layout.programDir);
  const QString want = expected == QStringLiteral("beside")      ? layout.besidePage
                       : expected == QStringLiteral("installed") ? layout.installedPage
                                                                 : QString();
  QCOMPARE(found, want);
  QCOMPARE(findGuidePage(GuidePage::Home, layout.programDir), QString());
}

void GuidePagesTest::opensFoundPage() {
  Layout layout(false, true);
  RecordingMessageBoxes messages;
  openGuidePage(GuidePage::RecordCheck, messages, nullptr, layout.programDir);
  QCOMPARE(mOpened, QList<QUrl>({QUrl::fromLocalFile(layout.installedPage)}));
  QVERIFY(messages.shown.isEmpty());
}

void GuidePagesTest::tellsWhenPageIsMissing() {
  Layout layout(true, false);
  RecordingMessageBoxes messages;
  openGuidePage(GuidePage::Update, messages, nullptr, layout.programDir);
  QVERIFY(mOpened.isEmpty());
  QCOMPARE(messages.shown.size(), 1);
  QVERIFY(messages.shown[0].text.contains(guidePageFileName(GuidePage::Update)));
  QCOMPARE(messages.shown[0].icon, MessageBoxes::Icon::Warning);
}

VARDEX_QT_TEST(GuidePagesTest);

}  // namespace vardex::test

#include "guide_pages_test.moc"
