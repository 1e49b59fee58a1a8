#include "platform/platform.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <ostream>

#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace tempconv::platform {

namespace {

// The terminal's settings from before the pause, for the signal handler to put back.
termios saved{};

// The signals that end the program while it waits; each must leave the terminal as it was.
constexpr std::array stop_signals{SIGHUP, SIGINT, SIGQUIT, SIGTERM};

// Nothing more can be done about a failure here, on the way out.
void restore_and_die(int sig) {
  static_cast<void>(tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved));
  static_cast<void>(signal(sig, SIG_DFL));
  static_cast<void>(raise(sig));
}

// A key such as an arrow sends several bytes, and the rest arrive right behind the first; they
// are read here so that none of them reaches the shell after the program ends.
void discard_rest_of_key() {
  constexpr int quiet_ms = 50;
  std::array<char, 64> rest{};
  pollfd input{STDIN_FILENO, POLLIN, 0};
  while (poll(&input, 1, quiet_ms) > 0 && read(STDIN_FILENO, rest.data(), rest.size()) > 0) {
  }
}

using saved_actions = std::array<struct sigaction, stop_signals.size()>;

void guard_signals(saved_actions &previous) {
  struct sigaction handler {};
  handler.sa_handler = restore_and_die;
  sigemptyset(&handler.sa_mask);
  for (const int sig : stop_signals) {
    sigaddset(&handler.sa_mask, sig);
  }
  for (std::size_t i = 0; i < stop_signals.size(); ++i) {
    sigaction(stop_signals[i], nullptr, &previous[i]);
    // A signal that the caller has chosen to ignore (nohup, for one) stays ignored.
    if (previous[i].sa_handler != SIG_IGN) {
      sigaction(stop_signals[i], &handler, nullptr);
    }
  }
}

void unguard_signals(const saved_actions &previous) {
  for (std::size_t i = 0; i < stop_signals.size(); ++i) {
    sigaction(stop_signals[i], &previous[i], nullptr);
  }
}

void read_key() {
  char key = 0;
  ssize_t got = 0;
  do {
    got = read(STDIN_FILENO, &key, 1);
  } while (got < 0 && errno == EINTR);
  if (got > 0) {
    discard_rest_of_key();
  }
}

// Sets standard input's terminal to take single keys without echo, guarding the signals that
// could end the program meanwhile. Returns false, having changed nothing, where it cannot.
bool keys_on(saved_actions &previous) {
  if (tcgetattr(STDIN_FILENO, &saved) != 0) {
    return false;
  }
  guard_signals(previous);
  termios raw = saved;
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  // Ctrl-Z counts as the key, rather than stopping the program with the terminal changed.
  raw.c_cc[VSUSP] = _POSIX_VDISABLE;
  if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) != 0) {
    unguard_signals(previous);
    return false;
  }
  return true;
}

void keys_off(const saved_actions &previous) {
  tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
  unguard_signals(previous);
}

} // namespace

// A reader that has gone away is then reported like any other failed write, instead of ending
// the program silently.
void prepare() {
  static_cast<void>(signal(SIGPIPE, SIG_IGN));
}

// There is no pause command here, so the program serves one itself. Only a terminal has a person
// at it who can press a key: a pipe or a file is never waited on, so scripts cannot hang.
void pause(std::ostream &out) {
  saved_actions previous{};
  // Echo is already off when the prompt shows, so even a key pressed at once is not echoed.
  const bool waits = isatty(STDIN_FILENO) != 0 && keys_on(previous);
  out << "Press any key to continue . . . ";
  out.flush();
  if (waits) {
    if (out) {
      read_key();
    }
    keys_off(previous);
  }
  out << '\n';
}

} // namespace tempconv::platform
