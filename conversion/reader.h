#pragma once

#include <iosfwd>

namespace tempconv {

// How an answer to the temperature question was read.
enum class reading { number, not_a_number, ended };

// Reads one temperature after any white space: decimal digits with an optional sign, fraction
// and exponent, standing as a whole word (the byte after it is white space or the end of the
// input, and is left unread). The value is the text's correctly rounded double, the same with
// every C++ library and at any length; a number beyond a double's range is not a number, one
// below it is 0 or subnormal. However long the number, the reader keeps a fixed amount of it.
reading read_temperature(std::istream &in, double &value);

} // namespace tempconv
