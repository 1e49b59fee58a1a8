#pragma once

#include <iosfwd>

namespace tempconv {

// How a conversion ended.
enum class outcome { converted, unknown_scale, input_ended };

// The conversion for a scale letter ("c", "f" or "k", already in lower case): asks for a
// temperature on that scale until one can be converted, stores it in its own variable, computes
// the other two and writes them. Any other letter is left to the caller as unknown_scale. The
// input ends (input_ended) at its end, also where a refused text ran into it. A failed write
// throws from `out`, which the caller sets to throw on badbit. A failed read throws what `in`'s
// buffer throws: from `in` where the stream reads (white space, the rest of a refused line), and
// from the buffer itself, passing `in` by and leaving it good, where the number reader reads it.
// `whole_lines` tells, once a temperature is refused, whether `in`'s reads hand over whole lines
// (a terminal in its line mode), so that the rest of the refused line is already held.
outcome convert(char inscale, double &cel, double &far, double &kel, std::istream &in,
                std::ostream &out, bool (*whole_lines)());

// The formulas, each operation in the order that fixes the rounding of its result. A result
// within a double's range is given even where a step on the way would pass it.
double far_from_cel(double cel);
double cel_from_far(double far);
double kel_from_cel(double cel);
double cel_from_kel(double kel);

} // namespace tempconv
