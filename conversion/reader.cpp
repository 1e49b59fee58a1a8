#include "conversion/reader.h"

#include "platform/decimal.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <istream>
#include <streambuf>
#include <string>

namespace tempconv {

namespace {

// A halfway case between two doubles has at most 768 significant digits, and correct rounding
// never depends on more; whatever follows them matters only as far as it is zero or not.
constexpr std::size_t kept_digits = 800;
// An exponent this large is past a double's range wherever the point stands, so it is held here;
// the two then add up without overflow.
constexpr std::int64_t exponent_bound = std::int64_t{1} << 62;

bool is_digit(int c) {
  return c >= '0' && c <= '9';
}

bool is_blank(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A number's text as read, cut to what its rounding needs: "[-]0.DIGITS", then a mark where a
// non-zero digit was dropped, then "e" and the exponent. The value is 0.DIGITS times ten to the
// power `point` + the exponent read. `point` moves by one place a digit read, so no input comes
// near its limits in a lifetime of reading.
struct number_text {
  // Beside the digits: a sign, "0.", the mark, "e", an exponent of up to 20 characters, a NUL.
  std::array<char, kept_digits + 32> text{};
  std::size_t size = 0;
  std::size_t first_digit = 0;
  std::int64_t point = 0;
  bool dropped = false;

  void add(char c) {
    text[size++] = c;
  }
  void add_digit(char c, bool fraction) {
    if (size == first_digit && c == '0') {
      // A leading zero; after the point, it moves the first digit one place down.
      point -= fraction ? 1 : 0;
      return;
    }
    point += fraction ? 0 : 1;
    if (size - first_digit < kept_digits) {
      add(c);
    } else {
      dropped = dropped || c != '0';
    }
  }
};

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
  number.first_digit = number.size;
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
bool read_exponent(std::streambuf &buffer, int &c, std::int64_t &exponent) {
  const bool negative = c == '-';
  if (c == '-' || c == '+') {
    c = buffer.snextc();
  }
  const bool seen = is_digit(c);
  for (; is_digit(c); c = buffer.snextc()) {
    exponent = std::min(exponent, exponent_bound / 10) * 10 + (c - '0');
  }
  exponent = negative ? -exponent : exponent;
  return seen;
}

// Completes the number's text with the mark and the exponent, and gives its correctly rounded
// double, or false where it is beyond a double's range.
bool complete_to_double(number_text &number, std::int64_t exponent, double &value) {
  if (number.dropped) {
    number.add('1');
  }
  number.add('e');
  char *last =
      std::to_chars(&number.text[number.size], &number.text.back(), number.point + exponent).ptr;
  *last = '\0';
  return platform::parse_decimal(number.text.data(), last, value);
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
  std::int64_t exponent = 0;
  if (complete && (c == 'e' || c == 'E')) {
    c = buffer.snextc();
    complete = read_exponent(buffer, c, exponent);
  }
  const bool at_end = c == std::char_traits<char>::eof();
  if (at_end) {
    in.setstate(std::ios::eofbit);
  }
  // A number stands as a whole word.
  if (!complete || !(at_end || is_blank(c)) || !complete_to_double(number, exponent, value)) {
    in.setstate(std::ios::failbit);
    return reading::not_a_number;
  }
  return reading::number;
}

} // namespace tempconv
