// Runs the Qt tests of the controls library in one QApplication.
#include <QApplication>

int runCaptionPanelTests(int argc, char* argv[]);
int runPictureButtonTests(int argc, char* argv[]);

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  int failed = runCaptionPanelTests(argc, argv);
  failed += runPictureButtonTests(argc, argv);
  return failed == 0 ? 0 : 1;
}
