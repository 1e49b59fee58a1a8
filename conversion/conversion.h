#pragma once

#include <iosfwd>

namespace tempconv {

// How a conversion ended.
enum class outcome { converted, unknown_scale, input_ended };

// For a lower-case scale letter, asks for a temperature until one converts or the input ends,
// and writes the other two; any other letter is unknown_scale. Failed writes and reads throw, a
// read's from `in`'s buffer, which may leave `in` good. `whole_lines` tells whether `in` hands
// over whole lines (a terminal's), so that a refused line's rest is only what it already holds.
outcome convert(char inscale, double &cel, double &far, double &kel, std::istream &in,
                std::ostream &out, bool (*whole_lines)());

// The formulas, each operation in the order that fixes the rounding of its result. A result
// within a double's range is given even where a step on the way would pass it.
double far_from_cel(double cel);
double cel_from_far(double far);
double kel_from_cel(double cel);
double cel_from_kel(double kel);

} // namespace tempconv
