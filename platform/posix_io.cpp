#include "platform/input_buffer.h"
#include "platform/output_buffer.h"
#include "platform/platform.h"
#include "platform/posix.h"

#include <csignal>

#include <unistd.h>

namespace tempconv::platform {

ssize_t read_stdin(char *data, std::size_t size) {
  return retried([&] { return read(STDIN_FILENO, data, size); });
}

namespace {

ssize_t write_stdout(const char *data, std::size_t size) {
  return retried([&] { return write(STDOUT_FILENO, data, size); });
}

} // namespace

// A reader that has gone away, or a file that has reached its size limit, is then reported like
// any other failed write, instead of ending the program silently.
void prepare() {
  static_cast<void>(signal(SIGPIPE, SIG_IGN));
  static_cast<void>(signal(SIGXFSZ, SIG_IGN));
}

std::streambuf &input() {
  static input_buffer<read_stdin> buffer;
  return buffer;
}

std::streambuf &output() {
  static output_buffer<write_stdout> buffer;
  return buffer;
}

} // namespace tempconv::platform
