#include "extra_outputs.h"

#include "kestro/report.hpp"

namespace kestro::host {

bool write_extra_outputs(const DeckFiles& files, const MemoryRunResult& run,
                         const ExtraOutputs& extra, std::string& why) {
  const std::string deck = files.input.filename().string();
  const std::string stem = files.input.stem().string();
  if (extra.html && !write_file_whole(files.html, html_report(deck, run))) {
    why = "cannot write " + files.html.string();
    return false;
  }
  if (extra.csv && !write_csv(*extra.csv, stem, run, why)) return false;
  if (extra.json) {
    std::error_code error;
    const std::filesystem::path json = std::filesystem::absolute(*extra.json).lexically_normal();
    if (json == files.input || std::filesystem::equivalent(json, files.input, error)) {
      why = "the JSON output " + json.string() + " would overwrite the input data file";
      return false;
    }
    if (!write_file_whole(json, json_document(deck, run))) {
      why = "cannot write " + json.string();
      return false;
    }
  }
  return true;
}

}  // namespace kestro::host
