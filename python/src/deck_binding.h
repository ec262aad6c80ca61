// The deck model of the engine as Python classes (kestro._engine.deck): every
// record a class whose attributes are the record's fields, read and written
// in place, lists of records as list-like views of the engine's own vectors.
// Included ahead of any other pybind11 header of the module, so that those
// vectors are bound by reference and never copied into Python lists.
#pragma once

#include <pybind11/pybind11.h>
#include <pybind11/stl_bind.h>

#include <vector>

#include "kestro/deck.hpp"

PYBIND11_MAKE_OPAQUE(std::vector<kestro::deck::Problem>)
PYBIND11_MAKE_OPAQUE(std::vector<kestro::deck::SpecifiedPoint>)
PYBIND11_MAKE_OPAQUE(std::vector<kestro::deck::WallSection>)
PYBIND11_MAKE_OPAQUE(std::vector<kestro::deck::CrossSection>)
PYBIND11_MAKE_OPAQUE(std::vector<kestro::deck::MomentCurvaturePoint>)
PYBIND11_MAKE_OPAQUE(std::vector<kestro::deck::EiSet>)
PYBIND11_MAKE_OPAQUE(std::vector<kestro::deck::ThrustLevel>)
PYBIND11_MAKE_OPAQUE(std::vector<kestro::deck::SectionCurves>)
PYBIND11_MAKE_OPAQUE(std::vector<kestro::deck::LoadRecord>)
PYBIND11_MAKE_OPAQUE(std::vector<kestro::deck::SpringRecord>)
PYBIND11_MAKE_OPAQUE(std::vector<kestro::deck::Tieback>)
PYBIND11_MAKE_OPAQUE(std::vector<kestro::deck::FactorRow>)
PYBIND11_MAKE_OPAQUE(std::vector<kestro::deck::PressurePoint>)
PYBIND11_MAKE_OPAQUE(std::vector<kestro::deck::Surcharge>)
PYBIND11_MAKE_OPAQUE(std::vector<kestro::deck::SoilLayer>)
PYBIND11_MAKE_OPAQUE(std::vector<kestro::deck::CurvePoint>)
PYBIND11_MAKE_OPAQUE(std::vector<kestro::deck::PyCurve>)

namespace kestro::python {

// The deck as the engine runs it: counts that disagree with the length of
// their list follow the list (a list changed from Python), but for a
// negative count over an empty list, which the engine takes as a stop of
// its own, and the tables of the wall model only where the problem has one.
Deck deck_as_run(const Deck& deck);

// Adds the submodule `deck` with a class per record of the model, the
// Deck class, and read_text, read_json, to_text, to_json.
void bind_deck(pybind11::module_& parent);

}  // namespace kestro::python
