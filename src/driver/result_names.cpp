// The names of units and of iteration outcomes that every front end shows.
#include "kestro/results.h"

namespace kestro {

const char* unit_system_name(UnitSystem units) {
  switch (units) {
    case UnitSystem::english:
      return "English";
    case UnitSystem::si:
      return "SI";
  }
  return "";
}

const char* unit_name(UnitSystem units, Quantity quantity) {
  const bool si = units == UnitSystem::si;
  switch (quantity) {
    case Quantity::depth:
      return si ? "m" : "ft";
    case Quantity::length:
    case Quantity::deflection:
      return si ? "m" : "in";
    case Quantity::slope:
      return "rad";
    case Quantity::angle:
      return "deg";
    case Quantity::moment:
      return si ? "kN-m" : "lb-in";
    case Quantity::force:
      return si ? "kN" : "lb";
    case Quantity::per_length:
      return si ? "kN/m" : "lb/in";
    case Quantity::rigidity:
      return si ? "kN-m^2" : "lb-in^2";
    case Quantity::area:
      return si ? "m^2" : "in^2";
    case Quantity::pressure:
      return si ? "kPa" : "psi";
  }
  return "";
}

const char* iteration_outcome_name(IterationOutcome outcome) {
  switch (outcome) {
    case IterationOutcome::converged:
      return "converged";
    case IterationOutcome::allowable_deflection_exceeded:
      return "allowable deflection exceeded";
    case IterationOutcome::iteration_limit_reached:
      return "iteration limit reached";
    case IterationOutcome::single_pass:
      return "single pass";
    case IterationOutcome::not_finite:
      return "not finite";
  }
  return "";
}

}  // namespace kestro
