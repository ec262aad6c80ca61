#include "input/deck_source.h"

#include "common/input_error.h"

namespace kestro {

namespace {

const deck::Problem& empty_problem() {
  static const deck::Problem kEmpty;
  return kEmpty;
}

}  // namespace

void DeckSource::next_problem() {
  if (started_) ++problem_;
  started_ = true;
  records_ = 0;
}

const deck::Problem& DeckSource::problem() const {
  return problem_ < deck_.problems.size() ? deck_.problems[problem_] : empty_problem();
}

void DeckSource::take(std::string_view last_item) {
  const std::optional<deck::DeckReadFailure>& failure = deck_.failure;
  if (failure && failure->problem == problem_ && failure->record == records_) {
    throw InputError(failure->message, InputPlace{deck_.name, failure->stop_line,
                                                  failure->stop_item, failure->stop_path});
  }
  ++records_;
  if (const std::size_t line = line_of(last_item); line != 0) current_line_ = line;
}

std::string DeckSource::path(std::string_view item) const {
  std::string text = "/problems/" + std::to_string(problem_);
  if (!item.empty()) {
    text += '/';
    text += item;
  }
  return text;
}

std::size_t DeckSource::line_of(std::string_view item) const {
  if (by_path_) return record_number(item);
  const deck::DeckPlace* place = deck_.place_of(path(item));
  return place != nullptr ? place->line : 0;
}

InputPlace DeckSource::place_of_item(std::string_view item) const {
  if (by_path_) {
    InputPlace place{label(), 0, 0};
    place.path = path(item);
    return place;
  }
  const deck::DeckPlace* place = deck_.place_of(path(item));
  if (place == nullptr) return InputPlace{label(), current_line_, 0};
  return InputPlace{label(), place->line, place->item};
}

std::size_t DeckSource::record_number(std::string_view item) const {
  const std::size_t slash = item.rfind('/');
  const std::string record = path(slash == std::string_view::npos ? "" : item.substr(0, slash));
  const auto [found, added] = record_numbers_.try_emplace(record, record_paths_.size() + 1);
  if (added) record_paths_.push_back(record);
  return found->second;
}

std::string DeckSource::path_of_line(std::size_t line) const {
  if (!by_path_ || line == 0 || line > record_paths_.size()) return std::string();
  return record_paths_[line - 1];
}

std::string DeckSource::where(std::size_t line) const {
  return by_path_ ? path_of_line(line) : "line " + std::to_string(line);
}

InputPlace place_of(const DeckSource& source, std::size_t line) {
  InputPlace place{source.label(), line != 0 ? line : source.current_line(), 0};
  if (source.by_path()) {
    place.path = source.path_of_line(place.line);
    place.line = 0;
  }
  return place;
}

void stop_bad_record(const DeckSource& source, std::size_t line, std::string_view what) {
  stop_bad_input(place_of(source, line), what);
}

}  // namespace kestro
