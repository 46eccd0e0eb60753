// Grabs the settings dialog, the project files dialog and a few controls to PNG files in the
// folder given as the first argument, for a look at the layout.
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QTimer>
#include <cstdio>

#include "app/project_files_dialog.hpp"
#include "app/settings_dialog.hpp"
#include "controls/caption_panel.hpp"
#include "controls/picture_button.hpp"
#include "recording_message_boxes.hpp"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: dialog_screenshots OUTPUT_FOLDER\n");
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  vardex::test::RecordingMessageBoxes messages;

  vardex::SettingsDialog settingsDialog(vardex::InitConfig(), messages);
  settingsDialog.show();
  vardex::ProjectFilesDialog* projectFilesDialog =
      vardex::ProjectFilesDialog::showInstance(nullptr);

  QWidget strip;
  strip.resize(200, 130);
  auto* panel = new vardex::CaptionPanel(&strip);
  panel->setCaption(QString::fromUtf8("已知点"));
  panel->setGeometry(0, 0, 200, 100);
  QPixmap gear(32, 32);
  gear.fill(Qt::white);
  {
    QPainter painter(&gear);
    painter.setPen(QPen(Qt::black, 3));
    painter.drawEllipse(8, 8, 16, 16);
  }
  for (int i = 0; i < 3; ++i) {
    auto* button = new vardex::PictureButton(&strip);
    button->setGeometry(10 + 50 * i, 102, 41, 28);
    button->setPicture(gear, vardex::PictureButton::PictureType::Bitmap);
  }
  strip.show();

  QTimer::singleShot(300, &app, [&] {
    bool ok = settingsDialog.grab().save(out.filePath(QStringLiteral("settings_dialog.png")));
    ok =
        projectFilesDialog->grab().save(out.filePath(QStringLiteral("project_files_dialog.png"))) &&
        ok;
    ok = strip.grab().save(out.filePath(QStringLiteral("controls.png"))) && ok;
    app.exit(ok ? 0 : 1);
  });
  return app.exec();
}
