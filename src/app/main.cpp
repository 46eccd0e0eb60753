// vardex-gui: the desktop application. `vardex-gui FILE` opens FILE as the project, as a file
// manager's "open with" does.
//
// Hidden options, for the pictures of the user guide (scripts/make-screenshots):
//   --open FILE        the same as FILE
//   --calculate        run the calculation once the window shows
//   --sheet N          show sheet N (0-based) of the project
//   --screenshot PNG   save a picture of the window to PNG and quit
//   --size WxH         the window's size in pixels
#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include "app/main_window.hpp"
#include "app/message_boxes.hpp"
#include "app/qt_translations.hpp"
#include "app/workbook_view.hpp"
#include "host/platform.hpp"
#include "host/workbook.hpp"

namespace {

QCommandLineOption hiddenOption(const char* name, const char* valueName = nullptr) {
  QCommandLineOption option(QString::fromUtf8(name));
  if (valueName != nullptr) option.setValueName(QString::fromUtf8(valueName));
  option.setFlags(QCommandLineOption::HiddenFromHelp);
  return option;
}

}  // namespace

int main(int argc, char* argv[]) {
  // A save interrupted from the terminal leaves no temporary file behind.
  vardex::host::platform::InstallInterruptCleanup();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vardex"));
  QApplication::setApplicationVersion(QStringLiteral(VARDEX_VERSION));
  vardex::installQtTranslations(app);

  QCommandLineParser parser;
  const QCommandLineOption open = hiddenOption("open", "file");
  const QCommandLineOption calculate = hiddenOption("calculate");
  const QCommandLineOption sheet = hiddenOption("sheet", "index");
  const QCommandLineOption screenshot = hiddenOption("screenshot", "png");
  const QCommandLineOption size = hiddenOption("size", "WxH");
  parser.addOptions({open, calculate, sheet, screenshot, size});
  parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("项目工作簿（.xlsx）"),
                               QStringLiteral("[file]"));
  parser.addHelpOption();
  parser.process(app);

  vardex::DialogMessageBoxes messages;
  vardex::MainWindow window(messages);
  if (parser.isSet(size)) {
    const QStringList parts = parser.value(size).split(QLatin1Char('x'));
    if (parts.size() == 2) window.resize(parts[0].toInt(), parts[1].toInt());
  }
  window.show();
  QString file = parser.value(open);
  if (file.isEmpty() && !parser.positionalArguments().isEmpty()) {
    file = parser.positionalArguments().constFirst();
  }
  if (!file.isEmpty() && !window.openProject(file) && parser.isSet(screenshot)) return 1;
  if (parser.isSet(calculate)) window.RunCalculation();
  if (parser.isSet(sheet)) window.view()->showSheet(parser.value(sheet).toInt());
  if (parser.isSet(screenshot)) {
    const QString target = parser.value(screenshot);
    QTimer::singleShot(0, &window, [&window, target] {
      const bool saved = window.grab().save(target);
      QApplication::exit(saved ? 0 : 1);
    });
    // The picture shows a calculated project as it stands; nothing is asked on the way out.
    const int result = QApplication::exec();
    window.hide();
    if (window.project() != nullptr) window.project()->SetSaved(true);
    return result;
  }
  return QApplication::exec();
}
