// Reads arbitrary text as a deck in the JSON form: a text that is not a deck
// ends with a message, never a crash; a deck written back as JSON reads to
// the same model and the same text; and it runs to the end sequence.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "kestro/deck_json.hpp"
#include "kestro/kestro.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const kestro::Deck deck = kestro::deck_from_json(text, "fuzz.json");
  if (deck.failure) {
    if (deck.failure->message.empty() || !deck.problems.empty()) std::abort();
    return 0;
  }
  const kestro::DeckJson json = kestro::deck_to_json(deck);
  if (!json) return 0;  // a text that is not UTF-8 reads, but is not written
  const kestro::Deck back = kestro::deck_from_json(json.text, "fuzz.json");
  if (back.failure || !(back.problems == deck.problems) || back.trailing != deck.trailing) {
    std::abort();
  }
  if (kestro::deck_to_json(back).text != json.text) std::abort();
  kestro::MemoryRunInput input;
  input.model = deck;
  input.directory = "/fuzz";
  const kestro::MemoryRunResult run =
      kestro::run_in_memory(input, [] { return kestro::LocalTime{2024, 3, 5, 9, 7, 3}; });
  if (run.report.find("END OF ANALYSIS") == std::string::npos) std::abort();
  return 0;
}
