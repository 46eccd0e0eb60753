// level, stakeout-import and stakeout-export: each opens the project through the engine, calls one
// core function, prints its report and saves atomically only when everything succeeded.
#include "cli/field_commands.hpp"

#include <CLI/CLI.hpp>
#include <exception>

#include "cli/cli_text.hpp"
#include "cli/exit_codes.hpp"
#include "cli/field_cli_text.hpp"
#include "cli/output.hpp"
#include "fielddata/field_file.hpp"
#include "host/file_bytes.hpp"
#include "host/host_error.hpp"
#include "host/path_text.hpp"
#include "host/workbook.hpp"
#include "project/field_data.hpp"
#include "project/provenance.hpp"

namespace vardex::cli {
namespace {

int Usage(const std::string& message) {
  PrintLine(stderr, std::string(text::kUsageLead) + message + std::string(text::kSeeHelp));
  return kExitUsage;
}

// The settings in force for a command on `book`: those recorded with its tables, with the options
// given put in their place, validated by the settings form's rule. Refused options are a usage
// error (2); refused recorded settings a failure of the file (1).
std::optional<std::pair<SettingsForm, SurveySettings>> SettingsFor(const host::Workbook& book,
                                                                   const SettingsOptions& options,
                                                                   const std::string& name,
                                                                   int& exit_code) {
  const std::optional<Provenance> provenance = ReadProvenance(book);
  const SettingsForm form =
      options.Overlay(provenance ? provenance->settings : GetConfig(InitConfig()));
  const SetConfigResult result = SetConfig(form);
  if (result.settings) return std::make_pair(form, *result.settings);
  if (options.AnyGiven()) {
    PrintLine(stderr, text::SettingsMessage(kSettingsMessageTitle, result.message));
    exit_code = kExitUsage;
  } else {
    PrintLine(stderr, text::BadRecordedSettings(name, result.message));
    exit_code = kExitFailed;
  }
  return std::nullopt;
}

// Options alone, before any file is opened: a typing error costs nothing.
bool OptionsValid(const SettingsOptions& options) {
  if (!options.AnyGiven()) return true;
  const SetConfigResult result = SetConfig(options.Overlay(GetConfig(InitConfig())));
  if (!result.settings) {
    PrintLine(stderr, text::SettingsMessage(kSettingsMessageTitle, result.message));
  }
  return result.settings.has_value();
}

void PrintReport(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) PrintLine(stdout, line);
}

}  // namespace

void FieldCommands::AddTo(CLI::App& app) {
  level_ = app.add_subcommand("level", std::string(text::kLevelDescription));
  level_->add_option("PROJECT", project_, std::string(text::kFieldProjectHelp))
      ->required()
      ->type_name("文件");
  level_->add_option("FIELD-FILE", fieldFiles_, std::string(text::kLevelFilesHelp))
      ->required()
      ->type_name("文件");
  outputOption_ = level_->add_option("-o,--output", output_, std::string(text::kLevelOutputHelp))
                      ->type_name("文件");
  level_->add_option("--distribute", distribute_, std::string(text::kDistributeHelp))
      ->type_name("none|n|L");
  levelSettings_.AddTo(*level_);

  import_ = app.add_subcommand("stakeout-import", std::string(text::kImportDescription));
  import_->add_option("PROJECT", project_, std::string(text::kFieldProjectHelp))
      ->required()
      ->type_name("文件");
  import_->add_option("FILE", coordinateFile_, std::string(text::kImportFileHelp))
      ->required()
      ->type_name("文件");
  importOutputOption_ =
      import_->add_option("-o,--output", output_, std::string(text::kLevelOutputHelp))
          ->type_name("文件");
  importSettings_.AddTo(*import_);

  export_ = app.add_subcommand("stakeout-export", std::string(text::kExportDescription));
  export_->add_option("PROJECT", project_, std::string(text::kFieldProjectHelp))
      ->required()
      ->type_name("文件");
  export_->add_option("-o,--output", output_, std::string(text::kExportOutputHelp))
      ->required()
      ->type_name("文件");
  export_->add_option("--format", format_, std::string(text::kFormatHelp))
      ->required()
      ->type_name("格式");
  export_->add_option("--encoding", encoding_, std::string(text::kEncodingHelp))->type_name("编码");

  for (CLI::App* command : {level_, import_, export_}) {
    command->group("命令");
    command->get_help_ptr()->group("选项");
    command->footer(std::string(text::kExitCodes));
  }
}

std::optional<int> FieldCommands::RunParsed() {
  if (level_ != nullptr && level_->parsed()) return RunLevel();
  if (import_ != nullptr && import_->parsed()) return RunImport();
  if (export_ != nullptr && export_->parsed()) return RunExport();
  return std::nullopt;
}

// The import commands' common course: open the project, settle the settings, let `work` change
// the workbook and tell whether everything was within tolerance, save, report. Nothing is saved
// when anything fails.
int FieldCommands::RunOnProject(const SettingsOptions& options, CLI::Option* output,
                                const ProjectWork& work) {
  if (!OptionsValid(options)) return kExitUsage;
  const std::string& name = project_;
  const std::filesystem::path project = host::PathFromText(project_);
  try {
    // In place like calc: held from reading to saving, and not saved over a newer file.
    const bool in_place = output->count() == 0;
    host::Workbook book =
        in_place ? host::Workbook::OpenForUpdate(project) : host::Workbook::Open(project);
    int exit_code = kExitOk;
    const auto settings = SettingsFor(book, options, name, exit_code);
    if (!settings) return exit_code;
    std::vector<std::string> report;
    const bool within = work(book, settings->first, settings->second, report);
    const std::filesystem::path target = in_place ? project : host::PathFromText(output_);
    if (in_place) {
      book.Save();
    } else {
      book.SaveAs(target);
    }
    PrintReport(report);
    PrintLine(stdout, text::Written(host::PathText(target)));
    return within ? kExitOk : kExitFindings;
  } catch (const host::HostError& error) {
    PrintLine(stderr, Indented(error.what()));
  } catch (const std::exception& error) {
    PrintLine(stderr, text::Failed(name, Indented(error.what())));
  }
  PrintLine(stderr, text::NotWritten(name));
  return kExitFailed;
}

int FieldCommands::RunLevel() {
  const std::optional<MisclosureDistribution> distribution =
      ParseMisclosureDistribution(distribute_);
  if (!distribution) return Usage(text::BadDistribution(distribute_));
  return RunOnProject(levelSettings_, outputOption_,
                      [&](host::Workbook& book, const SettingsForm& form,
                          const SurveySettings& settings, std::vector<std::string>& report) {
                        std::vector<FieldFile> files;
                        for (const std::string& path : fieldFiles_) {
                          files.push_back(LoadFieldFile(host::PathFromText(path)));
                        }
                        const LevelImportResult result =
                            ImportLevellingFieldData(book, files, form, settings, *distribution);
                        report = LevelImportReport(result);
                        return result.summary.WithinAllowable;
                      });
}

int FieldCommands::RunImport() {
  return RunOnProject(importSettings_, importOutputOption_,
                      [&](host::Workbook& book, const SettingsForm& form,
                          const SurveySettings& settings, std::vector<std::string>& report) {
                        const StakeoutImportResult result = ImportStakeoutMeasurements(
                            book, LoadFieldFile(host::PathFromText(coordinateFile_)), form,
                            settings);
                        report = StakeoutImportReport(result);
                        return result.outOfTolerance.empty();
                      });
}

int FieldCommands::RunExport() {
  const std::optional<StakeoutFormat> format = ParseStakeoutFormat(format_);
  if (!format) return Usage(text::BadFormat(format_));
  if (encoding_ != "utf-8" && encoding_ != "gbk") return Usage(text::BadEncoding(encoding_));
  const FileEncoding encoding = encoding_ == "gbk" ? FileEncoding::Gbk : FileEncoding::Utf8;
  const std::filesystem::path target = host::PathFromText(output_);
  const std::string target_name = host::PathText(target.filename());
  try {
    const host::Workbook book = host::Workbook::Open(host::PathFromText(project_));
    const StakeoutExport exported =
        ExportStakeoutPoints(book, *format, encoding, target_name, LocalStamp());
    try {
      host::SaveBytesAtomically(target, exported.bytes);
    } catch (const host::HostError& error) {
      PrintLine(stderr, text::CannotWrite(output_, error.what()));
      return kExitFailed;
    }
    PrintLine(stdout, text::Exported(exported.points, output_, format_));
    return kExitOk;
  } catch (const host::HostError& error) {
    PrintLine(stderr, Indented(error.what()));
  } catch (const std::exception& error) {
    PrintLine(stderr, text::Failed(project_, Indented(error.what())));
  }
  return kExitFailed;
}

}  // namespace vardex::cli
