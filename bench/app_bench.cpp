// Times what a surveyor waits for in the desktop app on synthetic projects of 10,000 and 65,000
// points: opening a calculated project, switching to each sheet, calculating and saving, each
// through the main window as the commands run it and until the grid has painted. Prints the best
// of N runs: wall seconds, and processor seconds of the whole process (all threads), which stay
// steady on a busy machine. Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.
//
//   vardex-app-bench [POINTS...] [--runs N]
//
// The projects are made by vardex-make-project, looked for beside this program, and calculated
// once by the app before the timing starts.
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTabBar>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <limits>
#include <vector>

#include "app/main_window.hpp"
#include "app/message_boxes.hpp"
#include "app/sheet_table.hpp"
#include "app/workbook_view.hpp"
#include "host/workbook.hpp"

namespace {

// Answers every question as a user in a hurry would, and prints what it was told.
class QuietMessageBoxes final : public vardex::MessageBoxes {
 public:
  Answer show(QWidget*, const QString& title, const QString& text, Icon, Buttons buttons) override {
    std::fprintf(stderr, "message: %s: %s\n", qPrintable(title), qPrintable(text));
    return buttons == Buttons::SaveDiscardCancel ? Answer::Discard : Answer::No;
  }
};

struct Seconds {
  double wall = std::numeric_limits<double>::max();
  double cpu = std::numeric_limits<double>::max();
};

Seconds best(const Seconds& a, const Seconds& b) {
  return {std::min(a.wall, b.wall), std::min(a.cpu, b.cpu)};
}

// How long `step` takes until the window has painted what it changed.
Seconds timed(vardex::MainWindow& window, const std::function<void()>& step) {
  QElapsedTimer clock;
  const std::clock_t cpuStart = std::clock();
  clock.start();
  step();
  QCoreApplication::processEvents();
  window.repaint();
  return {static_cast<double>(clock.nsecsElapsed()) / 1e9,
          static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC};
}

void makeProject(int points, const QString& path) {
  const QString maker =
      QCoreApplication::applicationDirPath() + QStringLiteral("/vardex-make-project");
  const QString templ = QCoreApplication::applicationDirPath() + QStringLiteral("/work.xltx");
  if (QProcess::execute(
          maker, {templ, QStringLiteral("--synthetic"), QString::number(points), path}) != 0) {
    std::fprintf(stderr, "vardex-app-bench: %s failed\n", qPrintable(maker));
    std::exit(1);
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::vector<int> sizes;
  int runs = 3;
  const QStringList args = QCoreApplication::arguments().mid(1);
  for (qsizetype i = 0; i < args.size(); ++i) {
    if (args[i] == QStringLiteral("--runs") && i + 1 < args.size()) {
      runs = std::max(1, args[++i].toInt());
    } else {
      sizes.push_back(args[i].toInt());
    }
  }
  if (sizes.empty()) sizes = {10000, 65000};

  QTemporaryDir dir;
  QuietMessageBoxes messages;
  std::printf("seconds, wall / processor\n%8s %15s %15s %15s %15s  %s\n", "points", "open", "save",
              "calculate", "switch sheet", "(slowest sheet)");
  for (const int points : sizes) {
    const QString path = dir.filePath(QStringLiteral("p%1.xlsx").arg(points));
    makeProject(points, path);
    {
      vardex::MainWindow window(messages);
      if (!window.openProject(path)) return 1;
      window.RunCalculation();
      if (!window.saveProject()) return 1;
    }
    Seconds open;
    Seconds save;
    Seconds calc;
    Seconds switchWorst;
    QString slowest;
    for (int run = 0; run < runs; ++run) {
      vardex::MainWindow window(messages);
      window.resize(1280, 800);
      window.show();
      QCoreApplication::processEvents();
      open = best(open, timed(window, [&] { window.openProject(path); }));
      vardex::WorkbookView& view = *window.view();
      // Every sheet in turn, each from the one before; the project opens at "水准表".
      Seconds worst{0, 0};
      for (int sheet = 0; sheet < view.tabBar()->count(); ++sheet) {
        const Seconds seconds = timed(window, [&] { view.showSheet(sheet); });
        if (seconds.cpu > worst.cpu) {
          worst = seconds;
          slowest = view.tabBar()->tabText(sheet);
        }
      }
      switchWorst = best(switchWorst, worst);
      calc = best(calc, timed(window, [&] { window.RunCalculation(); }));
      save = best(save, timed(window, [&] { window.saveProject(); }));
    }
    std::printf("%8d %7.3f /%6.3f %7.3f /%6.3f %7.3f /%6.3f %7.3f /%6.3f  %s\n", points, open.wall,
                open.cpu, save.wall, save.cpu, calc.wall, calc.cpu, switchWorst.wall,
                switchWorst.cpu, qPrintable(slowest));
    std::fflush(stdout);
  }
  return 0;
}
