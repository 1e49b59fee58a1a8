#include "conversion/conversion.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <istream>
#include <limits>
#include <ostream>
#include <streambuf>
#include <string>
#include <system_error>

namespace tempconv {

namespace {

constexpr double offset = 273.15;

// Correct rounding to a double never depends on more than 767 significant digits; whatever
// follows them matters only as far as it is zero or not.
constexpr std::size_t kept_digits = 800;
// Far past a double's range in either direction, so that a saturated exponent still overflows
// or underflows as the true one would.
constexpr long long exponent_bound = 1'000'000'000;

bool is_digit(int c) {
  return c >= '0' && c <= '9';
}

bool is_blank(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A number's text as read, cut to what its rounding needs: "[-]0.DIGITS", then a mark where a
// non-zero digit was dropped, then "e" and the exponent. The value is 0.DIGITS times ten to the
// power `point` + the exponent read.
struct number_text {
  std::array<char, kept_digits + 32> text{};
  std::size_t size = 0;
  std::size_t digits = 0;
  long long point = 0;
  bool dropped = false;

  void add(char c) {
    text[size++] = c;
  }
  void add_digit(char c, bool fraction) {
    if (!has_digits() && c == '0') {
      // A leading zero; after the point, it moves the first digit one place down.
      if (fraction && point > -exponent_bound) {
        --point;
      }
      return;
    }
    if (!fraction && point < exponent_bound) {
      ++point;
    }
    if (size - digits < kept_digits) {
      add(c);
    } else {
      dropped = dropped || c != '0';
    }
  }
  [[nodiscard]] bool has_digits() const {
    return size > digits;
  }
  [[nodiscard]] bool negative() const {
    return text[0] == '-';
  }
};

bool at_end(int c) {
  return std::char_traits<char>::eq_int_type(c, std::char_traits<char>::eof());
}

// Reads the sign, digits and point of a number from `c` on; returns whether it had a digit.
bool read_mantissa(std::streambuf &buffer, int &c, number_text &number) {
  if (c == '-' || c == '+') {
    if (c == '-') {
      number.add('-');
    }
    c = buffer.snextc();
  }
  number.add('0');
  number.add('.');
  number.digits = number.size;
  bool seen = false;
  bool fraction = false;
  for (;; c = buffer.snextc()) {
    if (c == '.' && !fraction) {
      fraction = true;
      continue;
    }
    if (!is_digit(c)) {
      return seen;
    }
    seen = true;
    number.add_digit(static_cast<char>(c), fraction);
  }
}

// Reads an exponent from its sign or first digit on, saturated; returns whether it had a digit.
bool read_exponent(std::streambuf &buffer, int &c, long long &exponent) {
  const bool negative = c == '-';
  if (c == '-' || c == '+') {
    c = buffer.snextc();
  }
  const bool seen = is_digit(c);
  for (; is_digit(c); c = buffer.snextc()) {
    exponent = std::min(exponent * 10 + (c - '0'), exponent_bound);
  }
  exponent = negative ? -exponent : exponent;
  return seen;
}

// The correctly rounded double of the number, or false where it is beyond a double's range.
// The C runtimes of Windows do not all round correctly in strtod, and its C++ libraries all
// have from_chars for doubles; elsewhere strtod does, and adds less to a run than from_chars'
// tables.
bool to_double(number_text &number, long long exponent, double &value) {
  if (!number.has_digits()) {
    value = number.negative() ? -0.0 : 0.0;
    return true;
  }
  if (number.dropped) {
    number.add('1');
  }
  number.add('e');
  const long long scale = number.point + exponent;
  const char *first = number.text.data();
  char *last = std::to_chars(&number.text[number.size], &number.text.back(), scale).ptr;
  *last = '\0';
#if defined(_WIN32) && defined(__cpp_lib_to_chars)
  const auto [end, error] = std::from_chars(first, last, value);
  if (error == std::errc::result_out_of_range) {
    // Too small gives zero; too large, no number.
    if (scale > 0) {
      return false;
    }
    value = number.negative() ? -0.0 : 0.0;
  }
  return end == last;
#else
  // In the "C" locale, which the program never leaves.
  char *end = nullptr;
  value = std::strtod(first, &end);
  return end == last && !std::isinf(value);
#endif
}

// One scale's branch: `compute` derives the other two values from `own`; the two results are
// written as `first` and `second` under their labels.
template <typename Compute>
outcome branch(std::istream &in, std::ostream &out, const char *prompt, double &own,
               Compute compute, const char *first_label, const double &first,
               const char *second_label, const double &second) {
  bool refused = false;
  for (;;) {
    out << prompt;
    if (!out.flush()) {
      return outcome::output_failed;
    }
    // The rest of a refused line is dropped only now, so that every read, and so any read that
    // fails, happens under an open prompt.
    if (refused) {
      in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    double value = 0;
    const reading read = read_temperature(in, value);
    if (read == reading::ended) {
      return outcome::input_ended;
    }
    if (read == reading::number) {
      own = value;
      compute();
      if (std::isfinite(first) && std::isfinite(second)) {
        break;
      }
    }
    out << "Please enter a correct temperature!!!\n\n";
    in.clear();
    refused = true;
  }
  out << '\n' << first_label << first << '\n' << second_label << second << std::endl << std::endl;
  return out ? outcome::converted : outcome::output_failed;
}

} // namespace

reading read_temperature(std::istream &in, double &value) {
  // Skipping the white space first tells an input that has ended from text that is not a number,
  // even when that text runs into the end of the input.
  in >> std::ws;
  if (!in || in.eof()) {
    return reading::ended;
  }
  // Read from the buffer itself: a failed read throws from it, as it does through the stream.
  std::streambuf &buffer = *in.rdbuf();
  int c = buffer.sgetc();
  number_text number;
  bool complete = read_mantissa(buffer, c, number);
  long long exponent = 0;
  if (complete && (c == 'e' || c == 'E')) {
    c = buffer.snextc();
    complete = read_exponent(buffer, c, exponent);
  }
  if (at_end(c)) {
    in.setstate(std::ios::eofbit);
  }
  // A number stands as a whole word.
  if (!complete || !(at_end(c) || is_blank(c)) || !to_double(number, exponent, value)) {
    in.setstate(std::ios::failbit);
    return reading::not_a_number;
  }
  return reading::number;
}

double far_from_cel(double cel) {
  return cel * 9.0 / 5.0 + 32.0;
}

double cel_from_far(double far) {
  return (far - 32.0) * 5.0 / 9.0;
}

double kel_from_cel(double cel) {
  return cel + offset;
}

double cel_from_kel(double kel) {
  return kel - offset;
}

outcome convert(char inscale, double &cel, double &far, double &kel, std::istream &in,
                std::ostream &out) {
  switch (inscale) {
  case 'c':
    return branch(
        in, out, "Enter the temperature in Celsius : ", cel,
        [&] {
          far = far_from_cel(cel);
          kel = kel_from_cel(cel);
        },
        "Temperature in Fahrenheit is : ", far, "Temperature in Kelvin is : ", kel);
  case 'f':
    // This label has no blank after its colon.
    return branch(
        in, out, "Enter the temperature in Fahrenheit : ", far,
        [&] {
          cel = cel_from_far(far);
          kel = kel_from_cel(cel);
        },
        "Temperature in Kelvin is :", kel, "Temperature in Celsius is : ", cel);
  case 'k':
    return branch(
        in, out, "Enter the temperature in Kelvin : ", kel,
        [&] {
          cel = cel_from_kel(kel);
          far = far_from_cel(cel);
        },
        "Temperature in Fahrenheit is : ", far, "Temperature in Celsius is : ", cel);
  default:
    return outcome::unknown_scale;
  }
}

} // namespace tempconv
