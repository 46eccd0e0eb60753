// Grabs the settings dialog, the project files dialog and a few controls to PNG files in the
// folder given as the first argument, for a look at the layout.
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QTimer>
#include <cstdio>

#include "app/form_pj.hpp"
#include "controls/button_fx.hpp"
#include "controls/user_control1.hpp"
#include "recording_message_boxes.hpp"
#include "settings/dialog/form_set.hpp"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: dialog_screenshots OUTPUT_FOLDER\n");
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  vardex::test::RecordingMessageBoxes messages;

  vardex::FormSet formSet(vardex::InitConfig(), messages);
  formSet.show();
  vardex::FormPj* formPj = vardex::FormPj::showInstance(nullptr);

  QWidget strip;
  strip.resize(200, 130);
  auto* panel = new vardex::UserControl1(&strip);
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
    auto* button = new vardex::ButtonFx(&strip);
    button->setGeometry(10 + 50 * i, 102, 41, 28);
    button->setPicture(gear, vardex::ButtonFx::PictureType::Bitmap);
  }
  strip.show();

  QTimer::singleShot(300, &app, [&] {
    bool ok = formSet.grab().save(out.filePath(QStringLiteral("form_set.png")));
    ok = formPj->grab().save(out.filePath(QStringLiteral("form_pj.png"))) && ok;
    ok = strip.grab().save(out.filePath(QStringLiteral("controls.png"))) && ok;
    app.exit(ok ? 0 : 1);
  });
  return app.exec();
}
