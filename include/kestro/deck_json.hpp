/* The JSON form of a deck (docs/deck-json.md): the model of kestro/deck.hpp
 * as a JSON document whose keys are the fields of kestro/deck_fields.hpp, and
 * its JSON Schema.  The JSON path of a value is the key of its place in a
 * deck read from text: /problems/0/soil_layers/2/friction_angle.
 *
 * A field left out takes its default, a count the length of its list, the
 * bottom values of a soil layer those of its top; written JSON leaves out
 * exactly the fields that would come back so, so that a deck converted to
 * JSON and back is the same model.  Needs C++17 or later. */
#ifndef KESTRO_DECK_JSON_HPP
#define KESTRO_DECK_JSON_HPP

#include <string>
#include <string_view>

#include "kestro/deck.hpp"

namespace kestro {

/* The JSON text of a deck, or why it has none. */
struct DeckJson {
  std::string text;  /* the JSON document, ending in a newline; empty on error */
  std::string error; /* empty, or why the deck cannot be written as JSON */

  explicit operator bool() const noexcept { return error.empty(); }
};

/* The deck as JSON.  Refused, with `error` naming the deck and the reason: a
 * deck whose reading failed (its message), and a value JSON cannot hold (a
 * number that is not finite, text that is not UTF-8), named by its path.
 * Places and the deck's name are not part of the JSON form. */
DeckJson deck_to_json(const Deck& deck);

/* Reads a deck from its JSON form.  Never throws for what the text holds:
 * JSON that is not a deck leaves the deck without problems and with
 * `failure` set, whose message names the file and the JSON path (or the line
 * and column of a syntax error) and says what was expected, e.g.
 * `wall.json: /problems/0/soil_layers/2/friction_angle: expected a number,
 * found "thirty"`; a run of that deck stops with that message.  Fields the
 * model does not have are refused by name.  The deck has no places: the
 * engine's messages about its values name JSON paths instead of lines. */
Deck deck_from_json(std::string_view text, std::string name = "wall.json");

/* Whether a file name names a JSON deck: it ends in ".json", in any case. */
bool is_json_deck_name(std::string_view name);

/* Reads a deck in the form its name says: JSON (deck_from_json) when
 * is_json_deck_name, the list-directed text (read_deck) otherwise. */
Deck read_any_deck(std::string_view text, std::string name);

/* The JSON Schema (draft 2020-12) of the JSON form, generated from the field
 * table: types, descriptions, defaults, the names of codes and, as
 * "x-units", the unit of every field in English and SI runs.  The text of
 * schema/deck.schema.json. */
std::string deck_schema();

}  // namespace kestro

#endif /* KESTRO_DECK_JSON_HPP */
