#pragma once

#include <iosfwd>

namespace tempconv {

// How a part of the dialogue ended.
enum class outcome { converted, unknown_scale, input_ended, input_failed, output_failed };

// How an answer to the temperature question was read.
enum class reading { number, not_a_number, ended };

// Reads one temperature after any white space: decimal digits with an optional sign, fraction
// and exponent, standing as a whole word (the byte after it is white space or the end of the
// input, and is left unread). The value is the text's correctly rounded double, the same with
// every C++ library; a number beyond a double's range is not a number, one below it is 0 or
// subnormal. However long the number, the reader keeps a fixed amount of it.
reading read_temperature(std::istream &in, double &value);

// The conversion for a scale letter ("c", "f" or "k", already in lower case): asks for a
// temperature on that scale until one can be converted, stores it in its own variable, computes
// the other two and writes them. Any other letter is left to the caller as unknown_scale.
outcome convert(char inscale, double &cel, double &far, double &kel, std::istream &in,
                std::ostream &out);

// The formulas, each operation in the order that fixes the rounding of its result.
double far_from_cel(double cel);
double cel_from_far(double far);
double kel_from_cel(double cel);
double cel_from_kel(double kel);

} // namespace tempconv
