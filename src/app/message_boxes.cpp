// Message boxes shown with QMessageBox.
#include "app/message_boxes.hpp"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
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

// Room the title bar takes besides the title: the window's icon and its buttons.
constexpr int kTitleBarExtra = 140;

// A message box is as wide as its text needs, and the title bar cuts a longer title ("平…置"):
// the box is widened to hold the title whole.
void fitTitle(QMessageBox& box, const QString& title) {
  auto* grid = qobject_cast<QGridLayout*>(box.layout());
  if (grid == nullptr) return;
  const int width = QFontMetrics(QApplication::font()).horizontalAdvance(title) + kTitleBarExtra;
  grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                grid->rowCount(), 0, 1, grid->columnCount());
}

}  // namespace

MessageBoxes::Answer DialogMessageBoxes::show(QWidget* parent, const QString& title,
                                              const QString& text, Icon icon, Buttons buttons) {
  QMessageBox::StandardButtons choices = QMessageBox::Ok;
  if (buttons == Buttons::YesNo) choices = QMessageBox::Yes | QMessageBox::No;
  if (buttons == Buttons::SaveDiscardCancel) {
    choices = QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel;
  }
  QMessageBox box(boxIcon(icon), title, text, choices, parent);
  fitTitle(box, title);
  if (buttons == Buttons::SaveDiscardCancel) {
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
  }
  switch (box.exec()) {
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    case QMessageBox::Save:
      return Answer::Save;
    case QMessageBox::Discard:
      return Answer::Discard;
    case QMessageBox::Cancel:
      return Answer::Cancel;
    default:
      break;
  }
  switch (buttons) {
    case Buttons::YesNo:
      return Answer::No;
    case Buttons::SaveDiscardCancel:
      return Answer::Cancel;
    case Buttons::Ok:
      break;
  }
  return Answer::Ok;
}

}  // namespace vardex
