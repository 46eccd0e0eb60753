// vardex: the command-line tool. Parses the command line, checks every argument before any file
// is touched, and hands over to one of the commands.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "cli/alignment_commands.hpp"
#include "cli/batch.hpp"
#include "cli/cli_text.hpp"
#include "cli/commands.hpp"
#include "cli/exit_codes.hpp"
#include "cli/field_commands.hpp"
#include "cli/pdf_command.hpp"
#include "cli/pdf_text.hpp"
#include "cli/settings_options.hpp"
#include "host/path_text.hpp"
#include "host/platform.hpp"
#include "project/project_template.hpp"

namespace {

using namespace vardex;
using namespace vardex::cli;

// CLI11 speaks English; the few errors a user can run into get Chinese words around the option
// or argument they name.
std::string TranslateParseError(const CLI::ParseError& error) {
  // get_name() is not reliable in every CLI11 version (some carry the program's name there), so
  // the message itself tells the kind.
  const std::string what = error.what();
  auto after = [&what](std::string_view marker) {
    const std::size_t at = what.find(marker);
    return at == std::string::npos ? std::string() : what.substr(at + marker.size());
  };
  auto before = [&what](std::string_view marker) {
    const std::size_t at = what.find(marker);
    return at == std::string::npos ? std::string() : what.substr(0, at);
  };
  std::string message;
  if (const std::string extras = after("not expected: "); !extras.empty()) {
    message = std::string(text::kUnexpected) + extras;
  } else if (what.rfind("A subcommand", 0) == 0) {
    message = std::string(text::kNeedCommand);
  } else if (const std::string missing = before(" is required"); !missing.empty()) {
    message = std::string(text::kMissing) + missing;
  } else if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::ArgumentMismatch)) {
    // "--name: 1 required TEXT missing" and the like: the option comes first.
    message = std::string(text::kNeedsValue) + what.substr(0, what.find_first_of(": "));
  } else if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::ConversionError) ||
             error.get_exit_code() == static_cast<int>(CLI::ExitCodes::ValidationError)) {
    // "--name: Value ... not ..." and the like: the option comes first, the rest is English.
    message = text::BadOptionValue(what.substr(0, what.find_first_of(": ")));
  } else {
    message = std::string(text::kUnknown);
  }
  return std::string(text::kUsageLead) + message + std::string(text::kSeeHelp);
}

int UsageError(const std::string& message) {
  const std::string line =
      std::string(text::kUsageLead) + message + std::string(text::kSeeHelp) + "\n";
  std::fputs(line.c_str(), stderr);
  return kExitUsage;
}

// Columns a text takes on a terminal: Chinese, Japanese and Korean characters and the full-width
// forms take two, every other character one.
std::size_t DisplayWidth(std::string_view s) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < s.size();) {
    const auto lead = static_cast<unsigned char>(s[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    const uint32_t lead_mask = 0x3Fu >> (length - 1);
    uint32_t cp = length == 1 ? uint32_t{lead} : (lead & lead_mask);
    for (std::size_t k = 1; k < length && i + k < s.size(); ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3Fu);
    const bool wide = (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) ||
                      (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
                      (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF60) ||
                      (cp >= 0xFFE0 && cp <= 0xFFE6) || cp >= 0x20000;
    width += wide ? 2 : 1;
    i += length;
  }
  return width;
}

// CLI11 pads the option column to a number of bytes; a type name in Chinese ("文件", "整数")
// takes fewer columns than bytes and would pull its description out of line.
class DisplayWidthFormatter : public CLI::Formatter {
 public:
  std::string make_option(const CLI::Option* option, bool is_positional) const override {
    const std::string name =
        "  " + make_option_name(option, is_positional) + make_option_opts(option);
    const std::string description = make_option_desc(option);
    const std::size_t width = get_column_width();
    const std::size_t used = DisplayWidth(name);
    std::string out = name;
    if (!description.empty()) {
      const std::string indent(width, ' ');
      out += used >= width ? "\n" + indent : std::string(width - used, ' ');
      for (char c : description) {
        out += c;
        if (c == '\n') out += indent;
      }
    }
    return out + "\n";
  }
};

void UseChineseLabels(CLI::App& app) {
  auto formatter = std::make_shared<DisplayWidthFormatter>();
  formatter->label("Usage", "用法");
  formatter->label("OPTIONS", "选项");
  formatter->label("SUBCOMMAND", "命令");
  formatter->label("SUBCOMMANDS", "命令");
  formatter->label("Positionals", "参数");
  formatter->label("REQUIRED", "（必需）");
  formatter->label("TEXT", "文本");
  formatter->column_width(34);
  app.formatter(formatter);
}

// "--prefix=" means an empty prefix, as an empty box in the settings dialog does; CLI11 reads
// it as a missing value, but takes an empty argument after the option as the empty text.
std::vector<std::string> SplitEmptyValues(const std::vector<std::string>& command_line) {
  std::vector<std::string> args;
  for (std::size_t i = 1; i < command_line.size(); ++i) {
    std::string_view arg = command_line[i];
    if (arg.size() > 3 && arg.starts_with("--") && arg.ends_with("=") &&
        arg.find('=') == arg.size() - 1) {
      args.emplace_back(arg.substr(0, arg.size() - 1));
      args.emplace_back();
    } else {
      args.emplace_back(arg);
    }
  }
  // CLI11 takes the arguments last first.
  std::reverse(args.begin(), args.end());
  return args;
}

constexpr uint64_t kMaxJobs = 1024;

// A whole number without sign or blanks (seeds and job counts).
std::optional<uint64_t> ParseSeed(const std::string& text) {
  uint64_t value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || ptr != end) return std::nullopt;
  return value;
}

// The first input named twice (also through another spelling of its path), or nothing. Two jobs
// on one file would race for its temporary file and its final name.
std::optional<std::filesystem::path> FirstDuplicate(
    const std::vector<std::filesystem::path>& files) {
  std::set<std::filesystem::path> seen;
  for (const std::filesystem::path& file : files) {
    std::error_code error;
    const std::filesystem::path absolute =
        std::filesystem::absolute(file, error).lexically_normal();
    std::filesystem::path key = std::filesystem::weakly_canonical(absolute, error);
    if (error) key = absolute;
    if (!seen.insert(key).second) return file;
  }
  return std::nullopt;
}

// The checks calc and pdf make of their files before opening any: -o only with one input (its
// message `one_input`), and no input twice. The usage exit code when one fails.
std::optional<int> RefusedInputs(const std::vector<std::filesystem::path>& inputs, bool output,
                                 std::string_view one_input) {
  if (output && inputs.size() != 1) return UsageError(std::string(one_input));
  if (std::optional<std::filesystem::path> twice = FirstDuplicate(inputs)) {
    return UsageError(text::Duplicate(host::PathText(*twice)));
  }
  return std::nullopt;
}

// Settings are checked before any file is opened, so a typing error costs nothing.
std::optional<SurveySettings> ValidatedSettings(const SettingsForm& form) {
  SetConfigResult result = SetConfig(form);
  if (!result.settings) {
    std::fputs(text::SettingsMessage(kSettingsMessageTitle, result.message).c_str(), stderr);
    std::fputc('\n', stderr);
  }
  return result.settings;
}

}  // namespace

int main(int argc, char** argv) {
  // An interrupted save leaves no temporary file behind.
  host::platform::InstallInterruptCleanup();
  host::platform::SetUpConsole();
  CLI::App app{std::string(text::kAppDescription), "vardex"};
  UseChineseLabels(app);
  app.option_defaults()->group("选项");
  app.set_help_flag("-h,--help", std::string(text::kHelpHelp));
  app.set_version_flag("--version", "vardex " VARDEX_VERSION, std::string(text::kVersionHelp));
  app.footer(std::string(text::kExitCodes));
  app.require_subcommand(1);
  // "/x" is a path on Linux and under Wine, never an option: the same command line means the same
  // on every system.
  app.allow_windows_style_options(false);

  // Paths are taken as UTF-8 text and made paths by PathFromText: CLI11 would make them through
  // the system's code page.
  NewCommand new_command;
  std::string new_project;
  CLI::App* new_app = app.add_subcommand("new", std::string(text::kNewDescription));
  new_app->add_option("PROJECT", new_project, std::string(text::kNewFileHelp))
      ->required()
      ->type_name("文件");
  new_app->add_flag("--force", new_command.force, std::string(text::kForceHelp));

  CalcCommand calc_command;
  std::vector<std::string> calc_inputs;
  std::string output;
  std::string seed;
  SettingsOptions calc_settings;
  CLI::App* calc_app = app.add_subcommand("calc", std::string(text::kCalcDescription));
  calc_app->add_option("PROJECT", calc_inputs, std::string(text::kCalcFilesHelp))
      ->required()
      ->type_name("文件");
  CLI::Option* output_option =
      calc_app->add_option("-o,--output", output, std::string(text::kOutputHelp))
          ->type_name("文件");
  CLI::Option* seed_option =
      calc_app->add_option("--seed", seed, std::string(text::kSeedHelp))->type_name("整数");
  std::string jobs;
  CLI::Option* jobs_option =
      calc_app->add_option("-j,--jobs", jobs, std::string(text::kJobsHelp))->type_name("整数");
  calc_app->add_flag("--force", calc_command.replaceReadOnly, std::string(text::kCalcForceHelp));
  calc_settings.AddTo(*calc_app);

  CheckCommand check_command;
  std::vector<std::string> check_inputs;
  SettingsOptions check_settings;
  CLI::App* check_app = app.add_subcommand("check", std::string(text::kCheckDescription));
  check_app->add_option("PROJECT", check_inputs, std::string(text::kCheckFilesHelp))
      ->required()
      ->type_name("文件");
  check_settings.AddTo(*check_app);
  check_command.options = &check_settings;

  PdfCommand pdf_command;
  std::vector<std::string> pdf_inputs;
  std::string pdf_output;
  unsigned pdf_threads = 0;
  CLI::App* pdf_app = app.add_subcommand("pdf", std::string(text::kPdfDescription));
  pdf_app->add_option("PROJECT", pdf_inputs, std::string(text::kPdfFilesHelp))
      ->required()
      ->type_name("文件");
  CLI::Option* pdf_output_option =
      pdf_app->add_option("-o,--output", pdf_output, std::string(text::kPdfOutputHelp))
          ->type_name("文件");
  pdf_app->add_option("--sheets", pdf_command.sheets, std::string(text::kPdfSheetsHelp))
      ->delimiter(',')
      ->type_name("工作表");
  pdf_app->add_option("-j,--jobs", pdf_threads, std::string(text::kPdfJobsHelp))
      ->type_name("整数")
      ->check(CLI::Range(1U, 1024U).description(""));

  AlignmentCommands alignment(app);
  FieldCommands field_commands;
  field_commands.AddTo(app);

  for (CLI::App* command :
       {new_app, calc_app, check_app, alignment.Stations(), alignment.Locate(), pdf_app}) {
    command->group("命令");
    command->get_help_ptr()->group("选项");
    command->footer(std::string(text::kExitCodes));
  }

  try {
    std::vector<std::string> args = SplitEmptyValues(host::platform::Utf8Arguments(argc, argv));
    app.parse(args);
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);
  } catch (const CLI::CallForAllHelp& help) {
    return app.exit(help);
  } catch (const CLI::CallForVersion& version) {
    return app.exit(version);
  } catch (const CLI::ParseError& error) {
    std::fputs((TranslateParseError(error) + "\n").c_str(), stderr);
    return kExitUsage;
  }

  if (alignment.Parsed()) return alignment.Run();
  auto paths = [](const std::vector<std::string>& texts) {
    std::vector<std::filesystem::path> out;
    for (const std::string& t : texts) out.push_back(host::PathFromText(t));
    return out;
  };
  if (const std::optional<int> code = field_commands.RunParsed()) return *code;
  if (new_app->parsed()) {
    new_command.project = host::PathFromText(new_project);
    new_command.templateFile = host::FindProjectTemplate(host::ExecutableDir(argv[0]));
    return RunNew(new_command);
  }
  if (calc_app->parsed()) {
    calc_command.inputs = paths(calc_inputs);
    if (std::optional<int> refused = RefusedInputs(calc_command.inputs, output_option->count() > 0,
                                                   text::kOutputNeedsOneInput)) {
      return *refused;
    }
    if (output_option->count() > 0) calc_command.output = host::PathFromText(output);
    if (seed_option->count() > 0) {
      calc_command.seed = ParseSeed(seed);
      if (!calc_command.seed) {
        return UsageError(text::BadSeed(seed));
      }
    }
    calc_command.form = calc_settings.Overlay(GetConfig(InitConfig()));
    if (!ValidatedSettings(calc_command.form)) return kExitUsage;
    unsigned threads = 0;
    if (jobs_option->count() > 0) {
      const std::optional<uint64_t> parsed = ParseSeed(jobs);
      if (!parsed || *parsed < 1 || *parsed > kMaxJobs) return UsageError(text::BadJobs(jobs));
      threads = static_cast<unsigned>(*parsed);
    }
    calc_command.threads = threads > 0 ? threads : DefaultThreads(calc_command.inputs.size());
    return RunCalc(calc_command);
  }
  if (pdf_app->parsed()) {
    pdf_command.inputs = paths(pdf_inputs);
    if (std::optional<int> refused = RefusedInputs(
            pdf_command.inputs, pdf_output_option->count() > 0, text::kPdfOutputNeedsOneInput)) {
      return *refused;
    }
    if (pdf_output_option->count() > 0) pdf_command.output = host::PathFromText(pdf_output);
    pdf_command.threads = pdf_threads > 0 ? pdf_threads : DefaultThreads(pdf_command.inputs.size());
    return RunPdf(pdf_command);
  }
  check_command.inputs = paths(check_inputs);
  return RunCheck(check_command);
}
