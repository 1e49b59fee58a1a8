#include "platform/buffers.h"
#include "platform/platform.h"
#include "platform/posix.h"

#include <csignal>

#include <sys/select.h>
#include <unistd.h>

namespace tempconv::platform {

// A reader that has gone away, or a file that has reached its size limit, is then reported like
// any other failed write, instead of ending the program silently.
void prepare() {
  struct sigaction ignored {};
  ignored.sa_handler = SIG_IGN;
  static_cast<void>(sigaction(SIGPIPE, &ignored, nullptr));
  static_cast<void>(sigaction(SIGXFSZ, &ignored, nullptr));
}

namespace {

// Whether `fd` is ready within `within`, or at all where that is null: for reading, or for
// writing. select() works on a terminal everywhere, where poll() does not (macOS).
bool ready(int fd, bool writing, timeval *within) {
  return retried([&] {
           fd_set set{};
           FD_ZERO(&set);
           FD_SET(fd, &set);
           return select(fd + 1, writing ? nullptr : &set, writing ? &set : nullptr, nullptr,
                         within);
         }) > 0;
}

// Waits, however long, until `fd` is ready; what is there then (data, room, the end, a failure)
// is for the call that follows to find. Out of line, so that every read and write does not pay
// for the set of descriptors on its stack, and the stack protector's check that comes with it.
[[gnu::noinline]] void wait_until_ready(int fd, bool writing) {
  static_cast<void>(ready(fd, writing, nullptr));
}

// Standard input and output may be non-blocking (a crashed program can leave a shared terminal
// so, and a terminal's input and output are one open file): a read that finds nothing yet, or a
// write that finds no room (a terminal held by Ctrl-S), then waits. The flags, which other
// programs share, stay as they are.
template <typename Call> ssize_t waiting_on(int fd, bool writing, Call call) {
  ssize_t done = 0;
  while ((done = retried(call)) < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
    wait_until_ready(fd, writing);
  }
  return done;
}

ssize_t write_stdout(const char *data, std::size_t size) {
  return waiting_on(STDOUT_FILENO, true, [&] { return write(STDOUT_FILENO, data, size); });
}

} // namespace

bool readable(timeval within) {
  return ready(STDIN_FILENO, false, &within);
}

ssize_t read_stdin(char *data, std::size_t size) {
  return waiting_on(STDIN_FILENO, false, [&] { return read(STDIN_FILENO, data, size); });
}

std::streambuf &input() {
  return lasting<input_buffer<read_stdin>>();
}

std::streambuf &output() {
  return lasting<output_buffer<write_stdout>>();
}

} // namespace tempconv::platform
