// Every message box of the desktop application goes through MessageBoxes, so that the texts,
// titles, icons and answers can be checked in tests without a modal loop.
#pragma once

#include <QString>

class QWidget;

namespace vardex {

/// Shows a message and returns the user's answer.
class MessageBoxes {
 public:
  enum class Icon { Information, Question, Warning, Critical };
  enum class Buttons { Ok, YesNo, SaveDiscardCancel };
  enum class Answer { Ok, Yes, No, Save, Discard, Cancel };

  virtual ~MessageBoxes() = default;

  /// Shows `text` under `title` with `icon` and `buttons`, modal to `parent` (may be null), and
  /// returns the button chosen. Closing the box without a choice answers Ok, No or Cancel.
  virtual Answer show(QWidget* parent, const QString& title, const QString& text, Icon icon,
                      Buttons buttons) = 0;

  /// An information box with a single OK button.
  void inform(QWidget* parent, const QString& title, const QString& text) {
    show(parent, title, text, Icon::Information, Buttons::Ok);
  }
};

/// The real thing: a QMessageBox for each message.
class DialogMessageBoxes final : public MessageBoxes {
 public:
  Answer show(QWidget* parent, const QString& title, const QString& text, Icon icon,
              Buttons buttons) override;
};

}  // namespace vardex
