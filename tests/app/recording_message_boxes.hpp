// A MessageBoxes that records every message and answers from a queue, without a modal loop.
#pragma once

#include <QList>
#include <QString>

#include "app/message_boxes.hpp"

namespace vardex::test {

struct ShownMessage {
  QString title;
  QString text;
  MessageBoxes::Icon icon;
  MessageBoxes::Buttons buttons;
};

class RecordingMessageBoxes final : public MessageBoxes {
 public:
  Answer show(QWidget*, const QString& title, const QString& text, Icon icon,
              Buttons buttons) override {
    shown.append({title, text, icon, buttons});
    if (!answers.isEmpty()) return answers.takeFirst();
    if (buttons == Buttons::SaveDiscardCancel) return Answer::Cancel;
    return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
  }

  QList<ShownMessage> shown;
  QList<Answer> answers;  ///< given in turn; Ok, No or Cancel once used up
};

}  // namespace vardex::test
