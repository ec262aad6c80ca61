#include "driver/report_header.h"

#include <array>

#include "common/text.h"

namespace kestro {

namespace {

struct HeaderFormats {
  FortranFormat banner = FortranFormat::parse(
      "(5X,73('=')/"
      "/20X,'  KESTRO for Windows, Version ',A12/"
      "/20X,'   A Program for the Analysis of '/"
      "20X,'   Flexible Retaining Walls '/"
      "/5X,73('=')//)");
  FortranFormat path_line = FortranFormat::parse("(5X,'Path to file locations      : ',A)");
  FortranFormat input_line = FortranFormat::parse("(5X,'Name of input data file     : ',A)");
  FortranFormat output_line = FortranFormat::parse("(5X,'Name of output file         : ',A)");
  FortranFormat plot_line = FortranFormat::parse("(5X,'Name of plot output file    : ',A/)");
  FortranFormat date_box =
      FortranFormat::parse("(5X,73('-')/26X,'Time and Date of Analysis'/5X,73('-')/)");
  FortranFormat date_line = FortranFormat::parse(
      "(15X,'Date:  ',A,' ',I2.2,', ',I4,5X,'Time:  ',I2.2,':',I2.2,':',I2.2)");
  FortranFormat stage_heading = FortranFormat::parse("(/6X,'Stage No :',I2,2X,A70)");
  FortranFormat title_heading = FortranFormat::parse("(/6X,A70)");
  FortranFormat long_term_heading = FortranFormat::parse("(/6X,'Long Term :',2X,A70)");
};

const HeaderFormats& formats() {
  static const HeaderFormats kFormats;
  return kFormats;
}

constexpr std::array<std::string_view, 12> kMonths = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

}  // namespace

PathParts split_path(const std::filesystem::path& working_dir, const std::string& file,
                     bool expand) {
  namespace fs = std::filesystem;
  fs::path full = fs::path(file).is_absolute() ? fs::path(file) : working_dir / file;
  std::error_code error;
  if (expand) {
    fs::path absolute = fs::absolute(full, error);
    if (!error) full = absolute;
  }
  full = full.lexically_normal();
  PathParts parts;
  parts.drive = trim_right(full.root_name().string());
  std::string directory = full.parent_path().string();
  directory = directory.substr(std::min(directory.size(), parts.drive.size()));
  if (directory.empty() || directory.back() != fs::path::preferred_separator) {
    directory += static_cast<char>(fs::path::preferred_separator);
  }
  parts.directory = trim_right(directory);
  parts.name = trim_right(full.stem().string());
  parts.extension = trim_right(full.extension().string());
  return parts;
}

void write_report_header(RunContext& context) {
  const HeaderFormats& f = formats();
  TextUnit& report = context.files.report;
  const RunFileNames& names = context.run.names;

  report.write(f.banner, {std::string_view(context.run.version)});
  const PathParts input = split_path(context.working_dir, names.input, context.expand_paths);
  const PathParts output = split_path(context.working_dir, names.report, context.expand_paths);
  const PathParts plot = split_path(context.working_dir, names.plot_data, context.expand_paths);
  const std::string location = input.drive + input.directory;
  const std::string input_name = input.name + input.extension;
  const std::string output_name = output.name + output.extension;
  const std::string plot_name = plot.name + plot.extension;
  report.write(f.path_line, {std::string_view(location)});
  report.write(f.input_line, {std::string_view(input_name)});
  report.write(f.output_line, {std::string_view(output_name)});
  report.write(f.plot_line, {std::string_view(plot_name)});

  report.write(f.date_box);
  const LocalTime now = context.clock ? context.clock() : LocalTime{};
  if (now.month >= 1 && now.month <= 12) {
    report.write(f.date_line, {kMonths[static_cast<std::size_t>(now.month - 1)], now.day, now.year,
                               now.hour, now.minute, now.second});
  }
}

void write_problem_heading(RunContext& context, TextUnit& unit) {
  const HeaderFormats& f = formats();
  if (context.problem.control.stages >= 2) {
    unit.write(f.stage_heading, {context.run.problem, std::string_view(context.run.first_title)});
  } else if (context.run.problem == 1) {
    unit.write(f.title_heading, {std::string_view(context.problem.title)});
  } else {
    unit.write(f.long_term_heading, {std::string_view(context.run.first_title)});
  }
}

}  // namespace kestro
