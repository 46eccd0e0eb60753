// What the program says about itself: the About box of "软件" and the answer of "检查更新".
#pragma once

#include <QString>

class QWidget;

namespace vardex {

class MessageBoxes;

/// The version of this build, e.g. "1.3.0".
QString installedVersion();

/// The About box: name, version, build date and where the user guide is.
void showAboutBox(MessageBoxes& messages, QWidget* parent, const QString& programDir);

/// Tells the installed version (nothing is looked up anywhere) and asks whether to read the
/// guide's page on getting a newer one. True when the user says yes.
bool askToReadAboutUpdates(MessageBoxes& messages, QWidget* parent);

}  // namespace vardex
