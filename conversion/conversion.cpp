#include "conversion/conversion.h"

#include "conversion/reader.h"

#include <cmath>
#include <istream>
#include <limits>
#include <ostream>

namespace tempconv {

namespace {

constexpr double offset = 273.15;

// Each step of a formula goes through memory as a double: a processor that computes in wider
// registers (the x87 unit of 32-bit x86) would otherwise let a result past a double's range
// through, and carry extra bits into the next step. The build sets that unit to round each
// operation to a double's 53 bits, so that no step is rounded twice.
double rounded(double value) {
  const volatile double stored = value;
  return stored;
}

// One scale's branch: `compute` derives the other two values from `own`; the two results are
// written as `first` and `second` under their labels.
template <typename Compute>
outcome branch(std::istream &in, std::ostream &out, const char *prompt, double &own,
               Compute compute, const char *first_label, const double &first,
               const char *second_label, const double &second) {
  for (bool refused = false;; refused = true) {
    out << prompt << std::flush;
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
      // In every branch the second value is finite wherever the first is.
      if (std::isfinite(first)) {
        break;
      }
    }
    out << "Please enter a correct temperature!!!\n\n";
    in.clear();
  }
  out << '\n' << first_label << first << '\n' << second_label << second << std::endl << std::endl;
  return outcome::converted;
}

} // namespace

double far_from_cel(double cel) {
  return rounded(rounded(rounded(cel * 9.0) / 5.0) + 32.0);
}

double cel_from_far(double far) {
  return rounded(rounded(rounded(far - 32.0) * 5.0) / 9.0);
}

double kel_from_cel(double cel) {
  return rounded(cel + offset);
}

double cel_from_kel(double kel) {
  return rounded(kel - offset);
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
