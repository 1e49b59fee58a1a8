#include "dialogue/dialogue.h"

#include "conversion/conversion.h"

#include <cctype>
#include <istream>
#include <ostream>
#include <string>
#include <system_error>

namespace tempconv {

namespace {

int finish(outcome how, const std::string &failure, std::ostream &out, std::ostream &err,
           void (*pause)(std::ostream &)) {
  if (how == outcome::converted) {
    pause(out);
  } else if (how == outcome::input_ended || how == outcome::input_failed) {
    // Ends the line of the unanswered prompt, so that the shell's prompt starts on a line of its
    // own.
    out << '\n';
    out.flush();
    if (how == outcome::input_ended) {
      err << "tempconv: the input ended before a temperature was converted\n";
    } else {
      err << "tempconv: cannot read standard input: " << failure << '\n';
    }
  }
  if (!out.flush()) {
    err << "tempconv: cannot write to standard output\n";
    return 1;
  }
  return how == outcome::converted ? 0 : 1;
}

} // namespace

int dialogue(std::istream &in, std::ostream &out, std::ostream &err,
             void (*pause)(std::ostream &)) {
  outcome how = outcome::unknown_scale;
  std::string failure;

  out << "   This program is used to convert the temperature from one scale to another.\n\n\n";
  // A read that fails stops the dialogue wherever it is, with its cause (see input_buffer.h).
  in.exceptions(std::ios::badbit);
  try {
    char inscale = 0;
    double cel = 0;
    double far = 0;
    double kel = 0;
    int done = 0;
    while (done == 0) {
      out << "Enter the input scale in which you want to enter the temperature (c/f/k) : ";
      if (!out.flush()) {
        how = outcome::output_failed;
        break;
      }
      if (!(in >> inscale)) {
        how = outcome::input_ended;
        break;
      }
      // Through unsigned char, so that bytes above 127 stay in tolower's domain.
      inscale = static_cast<char>(std::tolower(static_cast<unsigned char>(inscale)));
      how = convert(inscale, cel, far, kel, in, out);
      if (how == outcome::unknown_scale) {
        out << "Please enter a correct input scale!!!\n\n";
      } else {
        done = 1;
      }
    }
  } catch (const std::system_error &error) {
    how = outcome::input_failed;
    failure = error.code().message();
  }
  return finish(how, failure, out, err, pause);
}

} // namespace tempconv
