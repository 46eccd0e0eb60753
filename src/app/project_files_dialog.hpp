// Project files dialog: the four files of a project with a path box and a browse button each,
// and the project buttons. Display only in this version: nothing in it has an effect.
#pragma once

#include <QDialog>

namespace vardex {

class CaptionPanel;

/// The project files dialog. One instance per process, shown modeless; closing it destroys it,
/// so the next show starts again from the design texts.
class ProjectFilesDialog : public QDialog {
  Q_OBJECT

 public:
  explicit ProjectFilesDialog(QWidget* parent = nullptr);

  /// Shows the process's project files dialog beside `parent`, creating it on first use, and
  /// brings it to the front. Returns the dialog, which deletes itself when closed.
  static ProjectFilesDialog* showInstance(QWidget* parent);

 private:
  CaptionPanel* mPanel = nullptr;
};

}  // namespace vardex
