#include "conversion/conversion.h"

#include "conversion/reader.h"

#include <cmath>
#include <istream>
#include <limits>
#include <ostream>
#include <streambuf>

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

// A result line: its label, and where its value is: the variable that the branch's computation
// writes, read only once the computation has run.
struct shown {
  const char *label;
  const double *value;
};

// Drops the rest of a refused line. Where reads hand over whole lines, that is what is held up to
// its first line end ("\r" too, which a block typed ahead keeps), or all of it after Ctrl-D, so
// that lines typed ahead stay answers; elsewhere, up to the line end however the reads split it.
void drop_rest_of_line(std::istream &in, bool (*whole_lines)()) {
  if (!whole_lines()) {
    in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    return;
  }
  std::streambuf &buffer = *in.rdbuf();
  for (auto left = buffer.in_avail(); left > 0; --left) {
    const auto c = buffer.sbumpc();
    if (c == '\n' || c == '\r') {
      return;
    }
  }
}

// One scale's branch: `compute` derives the other two values from `own`, shown as `first` and
// `second`.
template <typename Compute>
outcome branch(std::istream &in, std::ostream &out, bool (*whole_lines)(), const char *prompt,
               double &own, Compute compute, shown first, shown second) {
  for (bool refused = false;; refused = true) {
    out << prompt << std::flush;
    // The rest of a refused line is dropped only now, so that every read, and so any read that
    // fails, happens under an open prompt.
    if (refused) {
      drop_rest_of_line(in, whole_lines);
    }
    double value = 0;
    const reading read = read_temperature(in, value);
    if (read == reading::ended) {
      return outcome::input_ended;
    }
    if (read == reading::number) {
      own = value;
      compute();
      if (std::isfinite(*first.value) && std::isfinite(*second.value)) {
        break;
      }
    }
    out << "Please enter a correct temperature!!!\n\n";
    // The end of the input, where the refused text ran into it, stays known: a terminal's end
    // (Ctrl-D) is seen only once.
    in.clear(in.rdstate() & std::ios::eofbit);
  }
  out << '\n' << first.label << *first.value << '\n' << second.label << *second.value;
  out << std::endl << std::endl;
  return outcome::converted;
}

// A formula whose steps, `steps(value, scale)`, take each constant term times `scale`. Where a
// step passes the largest double on the way to a result within it, the steps are taken on the
// value scaled down by 2^4 (more than any step's factor 9), then scaled back: a power of two
// scales exactly away from the subnormals, so the result is that of the same steps unbounded.
template <typename Steps> double unbounded(double value, Steps steps) {
  const double result = steps(value, 1.0);
  return std::isfinite(result) ? result : rounded(steps(value / 16, 1.0 / 16) * 16);
}

} // namespace

double far_from_cel(double cel) {
  return unbounded(cel, [](double value, double scale) {
    return rounded(rounded(rounded(value * 9.0) / 5.0) + 32.0 * scale);
  });
}

double cel_from_far(double far) {
  return unbounded(far, [](double value, double scale) {
    return rounded(rounded(rounded(value - 32.0 * scale) * 5.0) / 9.0);
  });
}

double kel_from_cel(double cel) {
  return rounded(cel + offset);
}

double cel_from_kel(double kel) {
  return rounded(kel - offset);
}

outcome convert(char inscale, double &cel, double &far, double &kel, std::istream &in,
                std::ostream &out, bool (*whole_lines)()) {
  switch (inscale) {
  case 'c':
    return branch(in, out, whole_lines, "Enter the temperature in Celsius : ", cel,
                  [&] {
                    far = far_from_cel(cel);
                    kel = kel_from_cel(cel);
                  },
                  {"Temperature in Fahrenheit is : ", &far}, {"Temperature in Kelvin is : ", &kel});
  case 'f':
    // This label has no blank after its colon.
    return branch(in, out, whole_lines, "Enter the temperature in Fahrenheit : ", far,
                  [&] {
                    cel = cel_from_far(far);
                    kel = kel_from_cel(cel);
                  },
                  {"Temperature in Kelvin is :", &kel}, {"Temperature in Celsius is : ", &cel});
  case 'k':
    return branch(in, out, whole_lines, "Enter the temperature in Kelvin : ", kel,
                  [&] {
                    cel = cel_from_kel(kel);
                    far = far_from_cel(cel);
                  },
                  {"Temperature in Fahrenheit is : ", &far},
                  {"Temperature in Celsius is : ", &cel});
  default:
    return outcome::unknown_scale;
  }
}

} // namespace tempconv
