// Grabs the settings dialog, the project files dialog, the alignment's dialogs (the calculator
// with an answer and the curve table of the example road) and a few controls to PNG files in the
// folder given as the first argument, for a look at the layout.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "alignment/alignment_sheet.hpp"
#include "app/alignment_calculator_dialog.hpp"
#include "app/curve_table_dialog.hpp"
#include "app/project_files_dialog.hpp"
#include "app/settings_dialog.hpp"
#include "app/station_list_dialog.hpp"
#include "controls/caption_panel.hpp"
#include "controls/picture_button.hpp"
#include "host/workbook.hpp"
#include "recording_message_boxes.hpp"
#include "support/project_book.hpp"

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

  vardex::StationListDialog stationList(messages);
  stationList.setAlignmentRange(7000, 8825.874);
  stationList.findChild<QLineEdit*>(QStringLiteral("fromBox"))->setText(QStringLiteral("K7+300"));
  stationList.findChild<QLineEdit*>(QStringLiteral("toBox"))->setText(QStringLiteral("K7+640"));
  stationList.findChild<QLineEdit*>(QStringLiteral("offsetsBox"))
      ->setText(QStringLiteral("-7.5, 0, 7.5"));
  stationList.findChild<QCheckBox*>(QStringLiteral("mainPointsBox"))->setChecked(true);
  stationList.show();
  const vardex::RoadAlignment road = vardex::RoadAlignment::Build(vardex::ReadAlignmentSheet(
      vardex::host::Workbook::Open(vardex::test::ExampleFile("road-k7"))));
  vardex::AlignmentCalculatorDialog calculator([&] { return road; });
  const auto answer = [&](const char* box, const char* button, const char* text) {
    calculator.findChild<QLineEdit*>(QString::fromUtf8(box))->setText(QString::fromUtf8(text));
    calculator.findChild<QPushButton*>(QString::fromUtf8(button))->click();
  };
  answer("offsetBox", "toCoordinatesButton", "-7.5");
  answer("stationBox", "toCoordinatesButton", "K7+400");
  answer("xBox", "toStationButton", "3413000");
  answer("yBox", "toStationButton", "513240");
  calculator.show();
  vardex::CurveTableDialog curveTable;
  curveTable.setTable(vardex::MakeCurveTable(road));
  curveTable.show();

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
    ok = stationList.grab().save(out.filePath(QStringLiteral("station_list_dialog.png"))) && ok;
    ok = calculator.grab().save(out.filePath(QStringLiteral("alignment_calculator.png"))) && ok;
    ok = curveTable.grab().save(out.filePath(QStringLiteral("curve_table.png"))) && ok;
    app.exit(ok ? 0 : 1);
  });
  return app.exec();
}
