// new, calc and check: each opens workbooks through the engine, calls one core function and
// turns its result or error into lines on the terminal and an exit code.
#include "cli/commands.hpp"

#include <unistd.h>

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <system_error>

#include "cli/batch.hpp"
#include "cli/cli_text.hpp"
#include "cli/exit_codes.hpp"
#include "cli/output.hpp"
#include "cli/settings_options.hpp"
#include "host/cell_ref.hpp"
#include "host/host_error.hpp"
#include "host/workbook.hpp"
#include "levelling/levelling_check.hpp"
#include "levelling/measured_check.hpp"
#include "numeric/numeric_helpers.hpp"
#include "plane/plane_check.hpp"
#include "project/calculation_run.hpp"
#include "project/provenance.hpp"

namespace vardex::cli {
namespace {

JobReport CalculateOne(const CalcCommand& command, std::size_t index) {
  const std::filesystem::path& input = command.inputs[index];
  const std::string name = input.string();
  JobReport report;
  try {
    host::Workbook book = host::Workbook::Open(input);
    const uint64_t seed = command.seed ? *command.seed : DrawSeed();
    const std::unique_ptr<RandomSource> random = MakeSeededRandomSource(seed);
    const CalculationOutcome outcome = RunCalculation(&book, command.settings, *random);
    if (!outcome.Complete()) {
      // Half a calculation is not a record anyone should file: nothing is saved.
      for (const CalculationMessage& message : outcome.messages) {
        report.lines.push_back(text::Failed(name, Indented(message.title + "：" + message.text)));
      }
      report.lines.push_back(text::NotSaved(name));
      return report;
    }
    RecordProvenance(book, command.form, seed);
    const std::filesystem::path target = command.output ? *command.output : input;
    book.SaveAs(target);
    report.ok = true;
    report.lines.push_back(text::Saved(target.string()));
  } catch (const host::HostError& error) {
    // The engine's messages name the file already.
    report.lines.push_back(Indented(error.what()));
  } catch (const std::exception& error) {
    report.lines.push_back(text::Failed(name, Indented(error.what())));
  }
  return report;
}

std::string CellName(host::CellRef cell) {
  try {
    return host::FormatCellRef(cell);
  } catch (const std::exception&) {
    return "?";
  }
}

}  // namespace

int RunNew(const NewCommand& command) {
  const std::string name = command.project.string();
  std::error_code error;
  if (!command.force && std::filesystem::exists(command.project, error)) {
    PrintLine(stderr, text::Exists(name));
    return kExitFailed;
  }
  try {
    host::Workbook book = host::Workbook::Open(command.templateFile);
    book.SaveAs(command.project);
  } catch (const host::HostError& failure) {
    PrintLine(stderr, text::ErrorTitle(failure.Number()));
    PrintLine(stderr, std::string(text::kErrorLead));
    PrintLine(stderr, failure.what());
    return kExitFailed;
  }
  PrintLine(stdout, text::Created(name));
  return kExitOk;
}

int RunCalc(const CalcCommand& command) {
  const std::size_t count = command.inputs.size();
  const bool batch = count > 1;
  Progress progress(count, batch && isatty(STDERR_FILENO) == 1, stderr);
  const std::vector<JobReport> reports = RunJobs(
      count, command.threads,
      [&command](std::size_t index) { return CalculateOne(command, index); }, progress);
  progress.Close();
  std::size_t failed = 0;
  for (const JobReport& report : reports) failed += report.ok ? 0 : 1;
  if (batch) PrintLine(failed == 0 ? stdout : stderr, text::Summary(count - failed, failed));
  return failed == 0 ? kExitOk : kExitFailed;
}

int RunCheck(const CheckCommand& command) {
  const bool options_given = command.options != nullptr && command.options->AnyGiven();
  int exit_code = kExitOk;
  auto worse = [&exit_code](int code) {
    // A file that could not be read at all outranks findings in another file; a bad command line
    // outranks both.
    auto rank = [](int c) {
      return c == kExitUsage ? 3 : c == kExitFailed ? 2 : c == kExitFindings ? 1 : 0;
    };
    if (rank(code) > rank(exit_code)) exit_code = code;
  };
  for (const std::filesystem::path& input : command.inputs) {
    const std::string name = input.string();
    try {
      const host::Workbook book = host::Workbook::Open(input);
      const std::optional<Provenance> provenance = ReadProvenance(book);
      SettingsForm form = provenance ? provenance->settings : GetConfig(InitConfig());
      if (!provenance && !options_given) {
        PrintLine(stderr, text::Failed(name, text::kNoProvenance));
      }
      if (command.options != nullptr) form = command.options->Overlay(form);
      const SetConfigResult settings = SetConfig(form);
      if (!settings.settings) {
        if (options_given) {
          PrintLine(stderr, text::SettingsMessage(kSettingsMessageTitle, settings.message));
          worse(kExitUsage);
        } else {
          PrintLine(stderr, text::BadRecordedSettings(name, settings.message));
          worse(kExitFailed);
        }
        continue;
      }
      // Tables made from field data hold real readings and deviations: they are checked for their
      // arithmetic and their verdicts, not for the generator's random windows.
      std::vector<CheckFinding> findings =
          provenance && provenance->levellingFiles
              ? CheckMeasuredLevellingRecord(book, *settings.settings, provenance->distribution)
              : CheckLevellingRecord(book, *settings.settings);
      std::vector<CheckFinding> plane =
          CheckPlaneTables(book, *settings.settings,
                           provenance && provenance->planeFiles ? PlaneRecordSource::Surveyed
                                                                : PlaneRecordSource::Generated);
      findings.insert(findings.end(), plane.begin(), plane.end());
      for (const CheckFinding& finding : findings) {
        PrintLine(stdout, text::Finding(name, finding.sheet, CellName(finding.cell),
                                        Indented(finding.message)));
      }
      if (findings.empty()) {
        PrintLine(stdout, text::CheckPassed(name));
      } else {
        PrintLine(stdout, text::CheckFailed(name, findings.size()));
        worse(kExitFindings);
      }
    } catch (const host::HostError& error) {
      PrintLine(stderr, Indented(error.what()));
      worse(kExitFailed);
    } catch (const std::exception& error) {
      PrintLine(stderr, text::Failed(name, Indented(error.what())));
      worse(kExitFailed);
    }
  }
  return exit_code;
}

}  // namespace vardex::cli
