// The results tables of a run as CSV files and as one JSON document.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include <fmt/format.h>

#include "kestro/report.hpp"

namespace kestro {

std::string export_number(double value) {
  if (!std::isfinite(value)) return std::string();
  if (value == 0.0) return "0";  // of either sign
  // As printf's %.15g writes it: the shortest text of the rounding.
  return fmt::format("{:.{}g}", value, kExportDigits);
}

std::vector<ExportTable> export_tables(const ProblemResult& problem) {
  const auto u = [&](Quantity q) { return unit_name(problem.units, q); };
  std::vector<ExportTable> tables;
  ExportTable stations{"stations",
                       {{"station", ""},
                        {"X", u(Quantity::depth)},
                        {"deflection", u(Quantity::deflection)},
                        {"slope", u(Quantity::slope)},
                        {"moment", u(Quantity::moment)},
                        {"shear", u(Quantity::force)},
                        {"soil reaction", u(Quantity::per_length)},
                        {"net force per station", u(Quantity::force)},
                        {"EI", u(Quantity::rigidity)}},
                       {}};
  ExportTable restraints{"restraints",
                         {{"station", ""},
                          {"X", u(Quantity::depth)},
                          {"force", u(Quantity::force)},
                          {"moment", u(Quantity::moment)}},
                         {}};
  ExportTable tiebacks{"tiebacks",
                       {{"tie-back", ""},
                        {"station", ""},
                        {"depth", u(Quantity::depth)},
                        {"spacing", u(Quantity::depth)},
                        {"area", u(Quantity::area)},
                        {"angle", u(Quantity::angle)},
                        {"prestress", u(Quantity::force)},
                        {"horizontal force per station", u(Quantity::force)},
                        {"force per station", u(Quantity::force)},
                        {"force per tie-back", u(Quantity::force)}},
                       {}};
  ExportTable reactions{
      "node-reactions",
      {{"point", ""}, {"station", ""}, {"X", u(Quantity::depth)}, {"force", u(Quantity::force)}},
      {}};
  if (problem.results) {
    const ResultsTable& r = *problem.results;
    for (int I = 0; I <= r.N && static_cast<std::size_t>(I) < r.stations.size(); ++I) {
      const StationResult& s = r.stations[static_cast<std::size_t>(I)];
      stations.rows.push_back({static_cast<double>(I), s.X, s.deflection, s.slope, s.moment,
                               s.shear, s.soil_reaction, s.net_force, s.EI});
    }
    for (const RestraintResult& s : r.restraints)
      restraints.rows.push_back({static_cast<double>(s.station), s.X, s.force, s.moment});
    for (const TiebackResult& t : r.tiebacks) {
      tiebacks.rows.push_back({static_cast<double>(t.number), static_cast<double>(t.station),
                               t.depth, t.spacing, t.area, t.angle, t.prestress, t.horizontal_force,
                               t.force, t.force_per_tieback});
    }
    for (const NodeReaction& n : r.node_reactions) {
      reactions.rows.push_back(
          {static_cast<double>(n.number), static_cast<double>(n.station), n.X, n.force});
    }
  }
  ExportTable pressure{"pressure",
                       {{"depth", u(Quantity::length)},
                        {"load", u(Quantity::per_length)},
                        {"earth", u(Quantity::per_length)},
                        {"water", u(Quantity::per_length)},
                        {"surface", u(Quantity::per_length)},
                        {"surcharge", u(Quantity::per_length)},
                        {"apparent", u(Quantity::per_length)},
                        {"passive", u(Quantity::per_length)},
                        {"at rest", u(Quantity::per_length)}},
                       {}};
  for (const PressureResult& p : problem.pressure) {
    pressure.rows.push_back({p.depth, p.load, p.earth, p.water, p.surface, p.surcharge, p.apparent,
                             p.passive, p.at_rest});
  }
  ExportTable curves{"py-curves",
                     {{"curve", ""},
                      {"station", ""},
                      {"X", u(Quantity::depth)},
                      {"point", ""},
                      {"y", u(Quantity::deflection)},
                      {"p", u(Quantity::per_length)}},
                     {}};
  ExportTable reached{"py-reached",
                      {{"curve", ""},
                       {"station", ""},
                       {"X", u(Quantity::depth)},
                       {"y reached", u(Quantity::deflection)},
                       {"p reached", u(Quantity::per_length)},
                       {"p ultimate", u(Quantity::per_length)},
                       {"mobilised ratio", ""}},
                      {}};
  for (std::size_t k = 0; k < problem.curves.size(); ++k) {
    const CurveResult& c = problem.curves[k];
    for (std::size_t i = 0; i < std::min(c.y.size(), c.p.size()); ++i) {
      curves.rows.push_back({static_cast<double>(k + 1), static_cast<double>(c.station), c.X,
                             static_cast<double>(i + 1), c.y[i], c.p[i]});
    }
    reached.rows.push_back({static_cast<double>(k + 1), static_cast<double>(c.station), c.X,
                            c.y_reached, c.p_reached, c.p_ultimate, c.mobilised});
  }
  ExportTable history{"iterations",
                      {{"iteration", ""},
                       {"stations not closed", ""},
                       {"largest change of deflection", u(Quantity::deflection)}},
                      {}};
  for (const IterationStep& step : problem.history) {
    history.rows.push_back({static_cast<double>(step.iteration),
                            static_cast<double>(step.stations_not_closed), step.largest_change});
  }
  for (ExportTable* table :
       {&stations, &restraints, &tiebacks, &reactions, &pressure, &curves, &reached, &history})
    tables.push_back(std::move(*table));
  return tables;
}

std::string csv_text(const ExportTable& table) {
  std::string text;
  for (std::size_t c = 0; c < table.columns.size(); ++c) {
    if (c > 0) text += ',';
    text += table.columns[c].name;
    if (!table.columns[c].unit.empty()) text += " (" + table.columns[c].unit + ")";
  }
  text += '\n';
  for (const std::vector<double>& row : table.rows) {
    for (std::size_t c = 0; c < row.size(); ++c) {
      if (c > 0) text += ',';
      text += export_number(row[c]);
    }
    text += '\n';
  }
  return text;
}

std::vector<CsvFile> csv_files(const std::string& stem, const MemoryRunResult& run) {
  std::vector<CsvFile> files;
  for (const ProblemResult& problem : run.problems) {
    for (const ExportTable& table : export_tables(problem)) {
      files.push_back({stem + "-p" + std::to_string(problem.number) + "-" + table.name + ".csv",
                       csv_text(table)});
    }
  }
  return files;
}

bool write_csv_files(const std::filesystem::path& dir, const std::vector<CsvFile>& files,
                     std::string& why) {
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  if (!std::filesystem::is_directory(dir)) {
    why = "cannot create the CSV directory " + dir.string();
    return false;
  }
  for (const CsvFile& file : files) {
    const std::filesystem::path path = dir / file.name;
    if (!write_file_whole(path, file.text)) {
      why = "cannot write " + path.string();
      return false;
    }
  }
  return true;
}

bool write_csv(const std::filesystem::path& dir, const std::string& stem,
               const MemoryRunResult& run, std::string& why) {
  return write_csv_files(dir, csv_files(stem, run), why);
}

namespace {

std::string json_string(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20 || c >= 0x7f) {
          // Bytes outside ASCII are shown as their code (the deck may not be UTF-8).
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\u%04x", c);
          out += hex;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string json_number(double value) {
  const std::string text = export_number(value);
  return text.empty() ? "null" : text;
}

}  // namespace

std::string json_document(const std::string& deck, const MemoryRunResult& run) {
  std::string j = "{\n  \"format\": \"kestro-results\",\n  \"version\": 1,\n";
  j += "  \"deck\": " + json_string(deck) + ",\n";
  j += "  \"outcome\": " + json_string(outcome_name(run.outcome)) + ",\n";
  j += "  \"message\": " + json_string(run.message) + ",\n";
  j += "  \"verdict\": " + json_string(verdict(run).text) + ",\n";
  j += "  \"problems\": [";
  for (std::size_t k = 0; k < run.problems.size(); ++k) {
    const ProblemResult& p = run.problems[k];
    j += k == 0 ? "\n" : ",\n";
    j += "    {\n";
    j += "      \"number\": " + std::to_string(p.number) + ",\n";
    j += "      \"stages\": " + std::to_string(p.stages) + ",\n";
    j += "      \"title\": " + json_string(p.title) + ",\n";
    j += "      \"units\": " + json_string(unit_system_name(p.units)) + ",\n";
    j += std::string("      \"solved\": ") + (p.solved ? "true" : "false") + ",\n";
    j += "      \"outcome\": " +
         (p.solved ? json_string(iteration_outcome_name(p.outcome)) : std::string("null")) + ",\n";
    j += "      \"iterations\": " + std::to_string(p.iterations) + ",\n";
    j += "      \"warning\": " + json_string(solution_warning(p)) + ",\n";
    j += "      \"tables\": {";
    const std::vector<ExportTable> tables = export_tables(p);
    for (std::size_t t = 0; t < tables.size(); ++t) {
      const ExportTable& table = tables[t];
      j += t == 0 ? "\n" : ",\n";
      j += "        " + json_string(table.name) + ": {\n          \"columns\": [";
      for (std::size_t c = 0; c < table.columns.size(); ++c) {
        if (c > 0) j += ", ";
        j += "{\"name\": " + json_string(table.columns[c].name) +
             ", \"unit\": " + json_string(table.columns[c].unit) + "}";
      }
      j += "],\n          \"rows\": [";
      for (std::size_t r = 0; r < table.rows.size(); ++r) {
        j += r == 0 ? "\n            [" : ",\n            [";
        for (std::size_t c = 0; c < table.rows[r].size(); ++c) {
          if (c > 0) j += ", ";
          j += json_number(table.rows[r][c]);
        }
        j += "]";
      }
      j += table.rows.empty() ? "]\n        }" : "\n          ]\n        }";
    }
    j += "\n      }\n    }";
  }
  j += run.problems.empty() ? "]\n}\n" : "\n  ]\n}\n";
  return j;
}

}  // namespace kestro
