#include "platform/input_buffer.h"
#include "platform/lasting.h"
#include "platform/output_buffer.h"
#include "platform/platform.h"
#include "platform/posix.h"

#include <sys/select.h>
#include <unistd.h>

namespace tempconv::platform {

// Standard input may be non-blocking (a crashed program can leave a shared terminal so): then a
// read that finds nothing yet waits until there is something, leaving the flags that every other
// program on that file shares as they are.
ssize_t read_stdin(char *data, std::size_t size) {
  for (;;) {
    const ssize_t got = retried([&] { return read(STDIN_FILENO, data, size); });
    if (got >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
      return got;
    }
    fd_set ready{};
    FD_ZERO(&ready);
    FD_SET(STDIN_FILENO, &ready);
    // A failure here shows again in the read that follows.
    static_cast<void>(
        retried([&] { return select(STDIN_FILENO + 1, &ready, nullptr, nullptr, nullptr); }));
  }
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
