// A C++ program that runs a deck in memory and draws its page and exports
// through the report library: the verdict, the HTML page, the JSON document
// and the CSV files.  Exit status 0 on success.
#include <filesystem>
#include <iostream>
#include <kestro/report.hpp>
#include <string>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  kestro::MemoryRunInput input;
  // A 20 ft cantilever of 40 increments on linear springs, loaded at its head.
  input.deck =
      "CANTILEVER\n1 0 1 1 0 0 3 0 1 0 0 0\n40 6 100 1e-6 0 12 240 50 0 0\n"
      "0.0 20.0 1\n0 0 0 0\n'PLATE'\n10 0 0 0 0 0 0 0\n0 0 0 500 0 0 0 0 29E6 0 0 0\n"
      "0 0 0 0 0\n'X'\n0 0\n1\n1 0 0 1000 0 0\n1\n20 40 1 5000 0\n0\n";
  input.deck_name = "cantilever.dat";
  const kestro::MemoryRunResult run = kestro::run_in_memory(input, kestro::system_local_time);
  const kestro::Verdict verdict = kestro::verdict(run);
  if (verdict.kind != kestro::VerdictKind::solved) {
    std::cerr << "report consumer: " << verdict.text << '\n';
    return 1;
  }
  const std::string page = kestro::html_report(input.deck_name, run);
  const std::string json = kestro::json_document(input.deck_name, run);
  if (page.find("<title>cantilever.dat: KESTRO results</title>") == std::string::npos) return 3;
  if (json.find("\"verdict\": \"solved\"") == std::string::npos) return 4;
  std::string why;
  if (!kestro::write_csv(argv[1], "cantilever", run, why)) {
    std::cerr << "report consumer: " << why << '\n';
    return 5;
  }
  const std::filesystem::path stations =
      std::filesystem::path(argv[1]) / "cantilever-p1-stations.csv";
  if (!std::filesystem::is_regular_file(stations)) return 6;
  std::cout << "report consumer: " << verdict.text << ", page of " << page.size()
            << " bytes, JSON of " << json.size() << " bytes, " << stations.filename().string()
            << '\n';
  return 0;
}
