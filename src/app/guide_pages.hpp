// Pages of the user guide that ships with the program: the one table of their file names, and
// opening a page in the desktop's browser.
#pragma once

#include <QCoreApplication>
#include <QString>

class QWidget;

namespace vardex {

class MessageBoxes;

/// The guide pages the program links to.
enum class GuidePage {
  Home,            ///< the guide's start page
  CommandLine,     ///< the command-line tool `vardex`
  RecordCheck,     ///< `vardex check`, the check of the calculated record tables
  ExampleProject,  ///< the example project workbook shipped with the program
  Update,          ///< where new versions come from
};

/// File name of `page` inside the guide folder, e.g. "cli.html".
QString guidePageFileName(GuidePage page);

/// Absolute path of `page`, looked up in `programDir`/guide (the build tree) and then in
/// `programDir`/../share/vardex/guide (an installation); empty when neither holds it.
QString findGuidePage(GuidePage page, const QString& programDir);

/// Opens `page` with the desktop's document opener. When the page is not installed the user is
/// told through `messages` (with `parent` as the message's parent) instead; whether a browser
/// actually opened is not known and not reported.
void openGuidePage(GuidePage page, MessageBoxes& messages, QWidget* parent,
                   const QString& programDir = QCoreApplication::applicationDirPath());

}  // namespace vardex
