// new, calc and check: each opens workbooks through the engine, calls one core function and
// turns its result or error into lines on the terminal and an exit code.
#include "cli/commands.hpp"

#include <cstdio>
#include <exception>
#include <future>
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
#include "host/path_text.hpp"
#include "host/platform.hpp"
#include "host/workbook.hpp"
#include "levelling/levelling_check.hpp"
#include "levelling/levelling_input.hpp"
#include "levelling/measured_check.hpp"
#include "numeric/numeric_helpers.hpp"
#include "plane/plane_check.hpp"
#include "project/calculation_run.hpp"
#include "project/provenance.hpp"

namespace vardex::cli {
namespace {

// A calculation message as one line: the levelling input's message box carries the English title
// "Error" and the error number on the text's first line; here it reads "错误13：" like the others.
std::string MessageLine(const CalculationMessage& message) {
  if (message.title != LevellingInputError::kTitle) return message.title + "：" + message.text;
  const std::size_t newline = message.text.find('\n');
  if (newline == std::string::npos) return "错误：" + message.text;
  return "错误" + message.text.substr(0, newline) + "：" + message.text.substr(newline);
}

// The engine's message, with the option that would have let a read-only file be replaced.
std::string HostErrorLine(const host::HostError& error) {
  std::string line = Indented(error.what());
  if (error.Number() == host::kErrReadOnlyFile) line += text::kReadOnlyHint;
  return line;
}

JobReport CalculateOne(const CalcCommand& command, std::size_t index) {
  const std::filesystem::path& input = command.inputs[index];
  const std::string name = host::PathText(input);
  JobReport report;
  try {
    // In place, the run holds the file from reading to saving: a second run on it waits.
    host::Workbook book =
        command.output ? host::Workbook::Open(input) : host::Workbook::OpenForUpdate(input);
    const uint64_t seed = command.seed ? *command.seed : DrawSeed();
    const CalculationOutcome outcome = RunRecordedCalculation(book, command.form, seed);
    if (!outcome.Complete()) {
      // Half a calculation is not a record anyone should file: nothing is saved.
      for (const CalculationMessage& message : outcome.messages) {
        report.lines.push_back(text::Failed(name, Indented(MessageLine(message))));
      }
      report.lines.push_back(text::NotSaved(name));
      return report;
    }
    const host::SaveOptions options{command.replaceReadOnly};
    if (command.output) {
      book.SaveAs(*command.output, options);
    } else {
      book.Save(options);
    }
    report.ok = true;
    report.lines.push_back(text::Saved(command.output ? host::PathText(*command.output) : name));
  } catch (const host::HostError& error) {
    // The engine's messages name the file already.
    report.lines.push_back(HostErrorLine(error));
  } catch (const std::bad_alloc&) {
    report.lines.push_back(text::Failed(name, text::kOutOfMemory));
  } catch (const std::exception&) {
    report.lines.push_back(text::Failed(name, text::kInternalError));
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
  const std::string name = host::PathText(command.project);
  std::error_code error;
  if (!command.force && std::filesystem::exists(command.project, error)) {
    PrintLine(stderr, text::Exists(name));
    return kExitFailed;
  }
  try {
    host::Workbook book = host::Workbook::Open(command.templateFile);
    book.SaveAs(command.project, host::SaveOptions{command.force});
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
  Progress progress(count, batch && host::platform::StderrIsTerminal(), stderr);
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
    const std::string name = host::PathText(input);
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
      // The two checks only read the workbook: the levelling record is checked on a core of its
      // own while the plane tables are checked here.
      std::future<std::vector<CheckFinding>> levelling =
          std::async(std::launch::async, [&book, &provenance, &settings] {
            return provenance && provenance->levellingFiles
                       ? CheckMeasuredLevellingRecord(book, *settings.settings,
                                                      provenance->distribution)
                       : CheckLevellingRecord(book, *settings.settings);
          });
      std::vector<CheckFinding> plane =
          CheckPlaneTables(book, *settings.settings,
                           provenance && provenance->planeFiles ? PlaneRecordSource::Surveyed
                                                                : PlaneRecordSource::Generated);
      std::vector<CheckFinding> findings = levelling.get();
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
    } catch (const std::bad_alloc&) {
      PrintLine(stderr, text::Failed(name, text::kOutOfMemory));
      worse(kExitFailed);
    } catch (const std::exception&) {
      PrintLine(stderr, text::Failed(name, text::kInternalError));
      worse(kExitFailed);
    }
  }
  return exit_code;
}

}  // namespace vardex::cli
