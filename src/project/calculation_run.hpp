// The calculate command: regenerates the levelling record and then the two plane tables of a
// project workbook, and ends with "水准表" shown. Shared by the command-line tool and the desktop
// app, which differ only in how they show the messages it returns.
#pragma once

#include <string>
#include <vector>

#include "host/workbook.hpp"
#include "numeric/numeric_helpers.hpp"
#include "settings/survey_settings.hpp"

namespace vardex {

/// One message for the user, shown as a message box by the desktop app and printed by the CLI.
struct CalculationMessage {
  std::string title;  ///< message-box title: "Error" for the levelling input, "错误<n>" otherwise
  std::string text;   ///< what failed, naming the sheet and cell where the cause says so
  bool endedRun = false;  ///< true when the run stopped here and later steps did not run
};

/// What a run did. A run with no messages wrote all three record tables.
struct CalculationOutcome {
  bool levellingWritten = false;  ///< "水准表" was regenerated
  bool planeWritten = false;  ///< "放线记录表" and "平面位置检测表" were regenerated
  std::vector<CalculationMessage> messages;

  /// True when every table was written and nothing needs telling.
  bool Complete() const noexcept { return levellingWritten && planeWritten && messages.empty(); }
};

/// Regenerates the record tables of `project`: the levelling record, then the plane tables, then
/// activates "水准表". Returns at once with an empty outcome when `project` is null (no project is
/// open). Screen updating is off while the generators write and is on again when this returns,
/// whatever happened.
///
/// A levelling input that cannot be read (a text where a number belongs, no sheet "数据输入") is
/// reported under the title "Error"; the levelling record is then left as it was and the plane
/// tables are still generated. Any other failure of a generator or of the final activation ends
/// the run where it stands with one message naming the table being written and the cause. The
/// generators write nothing when they fail, so a table is either fully regenerated or untouched.
/// A table regenerated no longer counts as made from field data (the workbook's properties say
/// so no more).
/// Draws every simulated value from `random`. Throws only std::bad_alloc.
CalculationOutcome RunCalculation(host::Workbook* project, const SurveySettings& settings,
                                  RandomSource& random);

/// A calculation as both programs run it: RunCalculation with values drawn from a source seeded
/// with `seed` and the settings `form` (texts as typed), then the workbook's provenance replaced.
/// A complete run records `form` and `seed`; a run that rewrote some tables but not all removes
/// the earlier record, which no longer describes the tables; a run that wrote nothing leaves it.
/// A form that does not validate ends the run before it starts, with the settings message.
CalculationOutcome RunRecordedCalculation(host::Workbook& project, const SettingsForm& form,
                                          uint64_t seed);

}  // namespace vardex
