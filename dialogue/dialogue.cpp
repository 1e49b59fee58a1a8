#include "dialogue/dialogue.h"

#include "conversion/conversion.h"

#include <cctype>
#include <istream>
#include <ostream>
#include <string>
#include <system_error>

namespace tempconv {

namespace {

// How the run ended.
enum class ending { converted, input_ended, input_failed, output_failed };

// Writes the one line that says why a run failed: the first failure's, for a second one (the
// line end after a failed read, say) would only follow from it.
int finish(ending how, const std::string &failure, std::ostream &out, std::ostream &err) {
  if (how == ending::converted) {
    return 0;
  }
  if (how == ending::output_failed) {
    err << "tempconv: cannot write to standard output: " << failure << '\n';
    return 1;
  }
  // Ends the line of the unanswered prompt, so that the shell's prompt starts on a line of its
  // own. Should that fail too, the line below still tells the first failure.
  out << '\n';
  out.flush();
  if (how == ending::input_ended) {
    err << "tempconv: the input ended before a temperature was converted\n";
  } else {
    err << "tempconv: cannot read standard input: " << failure << '\n';
  }
  return 1;
}

} // namespace

int dialogue(std::istream &in, std::ostream &out, std::ostream &err, void (*pause)(std::ostream &),
             bool (*whole_lines)()) {
  ending how = ending::input_ended;
  std::string failure;

  // A read or a write that fails stops the dialogue wherever it is, with its cause (see
  // buffers.h). Every write goes through `out`, which a failed one leaves bad; a read can fail
  // beneath `in` (the number reader reads its buffer directly), so any other failure is a read's.
  in.exceptions(std::ios::badbit);
  out.exceptions(std::ios::badbit);
  try {
    out << "   This program is used to convert the temperature from one scale to another.\n\n\n";
    char inscale = 0;
    double cel = 0;
    double far = 0;
    double kel = 0;
    int done = 0;
    while (done == 0) {
      out << "Enter the input scale in which you want to enter the temperature (c/f/k) : ";
      out.flush();
      if (!(in >> inscale)) {
        break;
      }
      // Through unsigned char, so that bytes above 127 stay in tolower's domain.
      inscale = static_cast<char>(std::tolower(static_cast<unsigned char>(inscale)));
      const outcome converted = convert(inscale, cel, far, kel, in, out, whole_lines);
      if (converted == outcome::unknown_scale) {
        out << "Please enter a correct input scale!!!\n\n";
      } else {
        done = 1;
        how = converted == outcome::converted ? ending::converted : ending::input_ended;
      }
    }
    if (how == ending::converted) {
      pause(out);
      out.flush();
    }
  } catch (const std::system_error &error) {
    how = out.bad() ? ending::output_failed : ending::input_failed;
    failure = error.code().message();
  }
  // From here on a failure is only reported, never thrown: `err` may flush `out` before each
  // write (std::cerr does std::cout), and std::cout is flushed again at exit.
  in.exceptions(std::ios::goodbit);
  out.exceptions(std::ios::goodbit);
  return finish(how, failure, out, err);
}

} // namespace tempconv
