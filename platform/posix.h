#pragma once

// What the POSIX implementation's files share: the system calls' retry, how a signal's action is
// set, the wait for a descriptor, standard input, and the pause's terminal.
#include <cerrno>
#include <csignal>
#include <cstddef>

#include <sys/select.h>
#include <sys/types.h>

namespace tempconv::platform {

// A call that a signal interrupted is made again: a signal is never a failure here. Most calls
// are restarted by the kernel after a handler (SA_RESTART), but select() never is.
template <typename Call> auto retried(Call call) {
  auto result = call();
  while (result < 0 && errno == EINTR) {
    result = call();
  }
  return result;
}

// How the program sets a signal's action: ignored, the default, or a handler, which runs with
// every other signal held back, and whose interrupted calls are restarted (but select(), see
// retried()). sigaction fails only for a signal that cannot be caught or has no number, which
// none that the program sets is.
inline void set_action(int sig, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  if (handler != SIG_IGN && handler != SIG_DFL) {
    action.sa_flags = SA_RESTART;
    sigfillset(&action.sa_mask);
  }
  static_cast<void>(sigaction(sig, &action, nullptr));
}

enum class direction { in, out };

// Waits until `fd` can be read (in) or written (out) without blocking, or has ended or failed,
// for at most `within` where that is given; returns whether it can.
bool wait_for(int fd, direction way, timeval *within);

ssize_t read_stdin(char *data, std::size_t size);

// The pause's terminal and the signals that guard it (posix_terminal.cpp). keys_on() sets the
// program's own terminal to take single keys without echo for as long as the pause waits, whatever
// stops and continues it meanwhile. It returns false where standard input is no such terminal,
// having changed nothing, or where the terminal cannot be set, having put back its settings and
// dropped what was typed ahead. keys_off() puts the terminal back.
bool keys_on();
void keys_off();

} // namespace tempconv::platform
