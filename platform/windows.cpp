#include "platform/buffers.h"
#include "platform/platform.h"

#include <cstdlib>
#include <ostream>

#include <io.h>

namespace tempconv::platform {

namespace {

// In text mode, as standard input starts: CR LF arrives as LF, and Ctrl-Z ends the input.
int read_stdin(char *data, std::size_t size) {
  return _read(0, data, static_cast<unsigned>(size));
}

// In text mode too, as standard output starts: LF goes out as CR LF.
int write_stdout(const char *data, std::size_t size) {
  return _write(1, data, static_cast<unsigned>(size));
}

} // namespace

// Writing to a closed pipe is already reported as a write error on Windows.
void prepare() {}

std::streambuf &input() {
  return lasting<input_buffer<read_stdin>>();
}

// The console hands over whole lines too, but each of them ends with Enter (Ctrl-Z in the middle
// of one ends the input), so the rest of a refused line is found as from a pipe: read up to its
// line end, which never takes more than that line.
bool reads_whole_lines() {
  return false;
}

std::streambuf &output() {
  return lasting<output_buffer<write_stdout>>();
}

// The command processor's own pause writes its prompt and waits for a key.
void pause(std::ostream &out) {
  out.flush();
  static_cast<void>(std::system("pause")); // NOLINT(cert-env33-c): that processor is the point
}

} // namespace tempconv::platform
