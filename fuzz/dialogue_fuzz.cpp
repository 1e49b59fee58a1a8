// Feeds arbitrary bytes through the whole dialogue, in memory, and checks what must hold for every
// input: the dialogue ends, either with the results and the pause or with the end-of-input
// ending; every line is made of the program's own texts and numbers; nothing follows the end.
#include "dialogue/dialogue.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view greeting =
    "   This program is used to convert the temperature from one scale to another.\n\n\n";
constexpr std::string_view scale_prompt =
    "Enter the input scale in which you want to enter the temperature (c/f/k) : ";
constexpr std::string_view wrong_scale = "Please enter a correct input scale!!!\n\n";
constexpr std::string_view wrong_temperature = "Please enter a correct temperature!!!\n\n";
constexpr std::string_view pause_text = "Press any key to continue . . . \n";
constexpr std::string_view ended = "tempconv: the input ended before a temperature was converted\n";

void fake_pause(std::ostream &out) {
  out << pause_text;
}

// The input as from a pipe, and as a terminal in its line mode hands over lines typed ahead: all
// of it in one read.
bool from_pipe() {
  return false;
}
bool from_terminal() {
  return true;
}

bool take(std::string_view &rest, std::string_view text) {
  if (!rest.starts_with(text)) {
    return false;
  }
  rest.remove_prefix(text.size());
  return true;
}

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

std::size_t take_digits(std::string_view &rest) {
  std::size_t n = 0;
  while (n < rest.size() && is_digit(rest[n])) {
    ++n;
  }
  rest.remove_prefix(n);
  return n;
}

// A finite number in the stream's default format: at most six significant digits, no trailing
// zeros in a fraction, and an exponent of at least two digits.
bool take_number(std::string_view &rest, double &value) {
  const std::string_view start = rest;
  take(rest, "-");
  const std::string_view mantissa = rest;
  if (take_digits(rest) == 0) {
    return false;
  }
  if (take(rest, ".") && (take_digits(rest) == 0 || start[start.size() - rest.size() - 1] == '0')) {
    return false;
  }
  const std::string_view written = mantissa.substr(0, mantissa.size() - rest.size());
  const std::size_t lead = written.find_first_of("123456789");
  if (lead != std::string_view::npos &&
      std::count_if(written.begin() + static_cast<std::ptrdiff_t>(lead), written.end(), is_digit) >
          6) {
    return false;
  }
  if (take(rest, "e") && (!(take(rest, "+") || take(rest, "-")) || take_digits(rest) < 2)) {
    return false;
  }
  value = std::strtod(std::string(start.substr(0, start.size() - rest.size())).c_str(), nullptr);
  return std::isfinite(value);
}

// Whether `derived`, computed from one printed value, matches the other printed value, allowing
// for the rounding of both to six significant digits.
bool near(double derived, double printed, double first, double second) {
  return std::fabs(derived - printed) <= 2e-5 * (std::fabs(first) + std::fabs(second) + 1);
}

struct branch {
  std::string_view prompt;
  std::string_view first_label;
  std::string_view second_label;
  bool (*consistent)(double first, double second);
};

// Where a check scales a value, it divides before it multiplies, so that no step passes the
// largest double where the values do not; the Fahrenheit branch's check only subtracts.
constexpr std::array<branch, 3> branches{{
    {"Enter the temperature in Celsius : ", "Temperature in Fahrenheit is : ",
     "Temperature in Kelvin is : ",
     [](double far, double kel) { return near((far - 32) / 9 * 5 + 273.15, kel, far, kel); }},
    {"Enter the temperature in Fahrenheit : ", "Temperature in Kelvin is :",
     "Temperature in Celsius is : ",
     [](double kel, double cel) { return near(kel - 273.15, cel, kel, cel); }},
    {"Enter the temperature in Kelvin : ", "Temperature in Fahrenheit is : ",
     "Temperature in Celsius is : ",
     [](double far, double cel) { return near(cel / 5 * 9 + 32, far, far, cel); }},
}};

bool well_formed(std::string_view out, int status, std::string_view err) {
  const bool ends_input = status == 1 && err == ended;
  if (!take(out, greeting) || !take(out, scale_prompt)) {
    return false;
  }
  while (take(out, wrong_scale)) {
    if (!take(out, scale_prompt)) {
      return false;
    }
  }
  for (const branch &b : branches) {
    if (!take(out, b.prompt)) {
      continue;
    }
    while (take(out, wrong_temperature)) {
      if (!take(out, b.prompt)) {
        return false;
      }
    }
    double first = 0;
    double second = 0;
    if (out == "\n") {
      return ends_input;
    }
    return take(out, "\n") && take(out, b.first_label) && take_number(out, first) &&
           take(out, "\n") && take(out, b.second_label) && take_number(out, second) &&
           take(out, "\n\n") && take(out, pause_text) && out.empty() && status == 0 &&
           err.empty() && b.consistent(first, second);
  }
  return out == "\n" && ends_input;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  for (bool (*whole_lines)() : {from_pipe, from_terminal}) {
    std::istringstream in(std::string(reinterpret_cast<const char *>(data), size));
    std::ostringstream out;
    std::ostringstream err;
    const int status = tempconv::dialogue(in, out, err, fake_pause, whole_lines);
    if (!well_formed(out.str(), status, err.str())) {
      static_cast<void>(std::fprintf(
          stderr, "unexpected run (%s): status %d\n--- output ---\n%s\n--- errors ---\n%s\n",
          whole_lines() ? "from a terminal" : "from a pipe", status, out.str().c_str(),
          err.str().c_str()));
      std::abort();
    }
  }
  return 0;
}
