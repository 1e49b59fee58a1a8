#include "platform/buffers.h"
#include "platform/platform.h"
#include "platform/posix.h"

#include <sys/select.h>
#include <unistd.h>

namespace tempconv::platform {

// select() works on a terminal everywhere, where poll() does not (macOS).
bool readable(timeval *within) {
  return retried([&] {
           fd_set ready{};
           FD_ZERO(&ready);
           FD_SET(STDIN_FILENO, &ready);
           return select(STDIN_FILENO + 1, &ready, nullptr, nullptr, within);
         }) > 0;
}

// Standard input may be non-blocking (a crashed program can leave a shared terminal so): a read
// that finds nothing yet then waits, and the flags, which other programs share, stay as they are.
ssize_t read_stdin(char *data, std::size_t size) {
  ssize_t got = 0;
  while ((got = retried([&] { return read(STDIN_FILENO, data, size); })) < 0 &&
         (errno == EAGAIN || errno == EWOULDBLOCK)) {
    readable(nullptr);
  }
  return got;
}

namespace {

ssize_t write_stdout(const char *data, std::size_t size) {
  return retried([&] { return write(STDOUT_FILENO, data, size); });
}

} // namespace

std::streambuf &input() {
  return lasting<input_buffer<read_stdin>>();
}

std::streambuf &output() {
  return lasting<output_buffer<write_stdout>>();
}

} // namespace tempconv::platform
