// Message boxes shown with QMessageBox.
#include "app/message_boxes.hpp"

#include <QMessageBox>

namespace vardex {
namespace {

QMessageBox::Icon boxIcon(MessageBoxes::Icon icon) {
  switch (icon) {
    case MessageBoxes::Icon::Question:
      return QMessageBox::Question;
    case MessageBoxes::Icon::Warning:
      return QMessageBox::Warning;
    case MessageBoxes::Icon::Critical:
      return QMessageBox::Critical;
    case MessageBoxes::Icon::Information:
      break;
  }
  return QMessageBox::Information;
}

}  // namespace

MessageBoxes::Answer DialogMessageBoxes::show(QWidget* parent, const QString& title,
                                              const QString& text, Icon icon, Buttons buttons) {
  const QMessageBox::StandardButtons choices =
      buttons == Buttons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok;
  QMessageBox box(boxIcon(icon), title, text, choices, parent);
  switch (box.exec()) {
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    default:
      return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
  }
}

}  // namespace vardex
