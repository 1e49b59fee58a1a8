#include "platform/buffers.h"
#include "platform/platform.h"
#include "platform/posix.h"

#include <csignal>

#include <sys/select.h>
#include <termios.h>
#include <unistd.h>

namespace tempconv::platform {

// A reader that has gone away, or a file that has reached its size limit, is then reported like
// any other failed write, instead of ending the program silently.
void prepare() {
  set_action(SIGPIPE, SIG_IGN);
  set_action(SIGXFSZ, SIG_IGN);
}

// select() works on a terminal everywhere, where poll() does not (macOS). Out of line, so that no
// read or write carries its descriptor set and stack check (doc/performance.md).
[[gnu::noinline]] bool wait_for(int fd, direction way, timeval *within) {
  return retried([&] {
           fd_set set{};
           FD_ZERO(&set);
           FD_SET(fd, &set);
           return select(fd + 1, way == direction::in ? &set : nullptr,
                         way == direction::out ? &set : nullptr, nullptr, within);
         }) > 0;
}

namespace {

// Standard input and output may be non-blocking (a crashed program can leave a shared terminal
// so): a call that finds no data or no room yet is made again once `fd` is ready, and the flags,
// which other programs share, stay as they are. Inline, so that the read fits into the input
// buffer's refill (doc/performance.md).
template <typename Call> inline ssize_t as_if_blocking(int fd, direction way, Call call) {
  ssize_t done = 0;
  while ((done = retried(call)) < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
    static_cast<void>(wait_for(fd, way, nullptr));
  }
  return done;
}

ssize_t write_stdout(const char *data, std::size_t size) {
  return as_if_blocking(STDOUT_FILENO, direction::out,
                        [&] { return write(STDOUT_FILENO, data, size); });
}

} // namespace

ssize_t read_stdin(char *data, std::size_t size) {
  return as_if_blocking(STDIN_FILENO, direction::in,
                        [&] { return read(STDIN_FILENO, data, size); });
}

std::streambuf &input() {
  return lasting<input_buffer<read_stdin>>();
}

// Any terminal in its line mode, not only the program's own: what counts is how its reads come.
bool reads_whole_lines() {
  termios settings{};
  return tcgetattr(STDIN_FILENO, &settings) == 0 && (settings.c_lflag & ICANON) != 0;
}

std::streambuf &output() {
  return lasting<output_buffer<write_stdout>>();
}

} // namespace tempconv::platform
