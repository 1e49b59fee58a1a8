#include "conversion/conversion.h"

#include <cmath>
#include <istream>
#include <limits>
#include <ostream>

namespace tempconv {

namespace {

constexpr double offset = 273.15;

enum class reading { number, not_a_number, ended };

reading read_temperature(std::istream &in, double &value) {
  // Skipping the white space first tells an input that has ended from text that is not a number,
  // even when that text runs into the end of the input.
  in >> std::ws;
  if (!in || in.eof()) {
    return reading::ended;
  }
  in >> value;
  return in ? reading::number : reading::not_a_number;
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
