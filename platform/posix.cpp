#include "platform/input_buffer.h"
#include "platform/platform.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <ostream>

#include <sys/select.h>
#include <termios.h>
#include <unistd.h>

namespace tempconv::platform {

namespace {

ssize_t read_stdin(char *data, std::size_t size) {
  ssize_t got = 0;
  do {
    got = read(STDIN_FILENO, data, size);
  } while (got < 0 && errno == EINTR);
  return got;
}

// The terminal's settings from before the pause and those of the pause, for the signal handlers.
termios saved{};
termios keys{};
// Set while the pause's settings may be in force, so that a handler puts back only what the
// program changed: a job continued in the background must not touch its shell's terminal.
volatile std::sig_atomic_t changed = 0;

// Every signal whose default action ends the program and that it can catch. SIGPIPE is left
// out: the program ignores it from the start.
constexpr std::array ending_signals{
    SIGHUP,    SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT,   SIGBUS,  SIGFPE, SIGUSR1,
    SIGSEGV,   SIGUSR2, SIGALRM, SIGTERM, SIGXCPU, SIGVTALRM, SIGPROF, SIGSYS, SIGXFSZ,
#ifdef __linux__
    SIGSTKFLT, SIGIO,   SIGPWR,
#endif
#ifdef SIGEMT
    SIGEMT,
#endif
};

// The actions in force before the pause, by signal number.
std::array<struct sigaction, NSIG> previous{};

template <typename Each> void for_each_ending_signal(Each each) {
  for (const int sig : ending_signals) {
    each(sig);
  }
#ifdef SIGRTMIN
  for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig) {
    each(sig);
  }
#endif
}

// Async-signal-safe. TCSAFLUSH drops whatever was typed after the key, so that none of it
// reaches the shell.
void put_back_terminal() {
  if (changed != 0) {
    static_cast<void>(tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved));
    changed = 0;
  }
}

// Every handler runs with all signals blocked, SIGTTOU among them: a process in the background
// may then set the terminal without being stopped for it.
void handle(int sig, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigfillset(&action.sa_mask);
  static_cast<void>(sigaction(sig, &action, nullptr));
}

// Puts the terminal back, then ends the program by the same signal: the signal, now in its
// default action, is taken as soon as the handler returns.
void end_by(int sig) {
  put_back_terminal();
  // A continue that is taken meanwhile must not set the pause's settings again.
  static_cast<void>(signal(SIGCONT, SIG_DFL));
  static_cast<void>(signal(sig, SIG_DFL));
  static_cast<void>(raise(sig));
}

// A stop from outside: the terminal is put back for the shell, and the program stops here.
void stop_by(int sig) {
  put_back_terminal();
  static_cast<void>(signal(sig, SIG_DFL));
  sigset_t stop{};
  sigemptyset(&stop);
  sigaddset(&stop, sig);
  static_cast<void>(raise(sig));
  static_cast<void>(sigprocmask(SIG_UNBLOCK, &stop, nullptr));
  handle(sig, stop_by);
}

// Continued, in the foreground: the pause takes single keys again. In the background the
// terminal is the shell's, and is left alone.
void resume(int /*sig*/) {
  if (tcgetpgrp(STDIN_FILENO) == getpgrp()) {
    changed = 1;
    static_cast<void>(tcsetattr(STDIN_FILENO, TCSANOW, &keys));
  }
}

void guard_signals() {
  auto guard = [](int sig, void (*handler)(int)) {
    sigaction(sig, nullptr, &previous.at(static_cast<std::size_t>(sig)));
    // A signal that the caller has chosen to ignore (nohup, for one) stays ignored.
    if (previous.at(static_cast<std::size_t>(sig)).sa_handler != SIG_IGN) {
      handle(sig, handler);
    }
  };
  for_each_ending_signal([&](int sig) { guard(sig, end_by); });
  guard(SIGTSTP, stop_by);
  guard(SIGCONT, resume);
}

void unguard_signals() {
  auto unguard = [](int sig) {
    sigaction(sig, &previous.at(static_cast<std::size_t>(sig)), nullptr);
  };
  for_each_ending_signal(unguard);
  unguard(SIGTSTP);
  unguard(SIGCONT);
}

// A key such as an arrow sends several bytes, and the rest arrive right behind the first; they
// are read here so that none of them reaches the shell after the program ends. select() works on
// a terminal everywhere, where poll() does not (macOS).
void discard_rest_of_key() {
  constexpr suseconds_t quiet_us = 50'000;
  std::array<char, 64> rest{};
  for (;;) {
    fd_set ready{};
    FD_ZERO(&ready);
    FD_SET(STDIN_FILENO, &ready);
    timeval quiet{0, quiet_us};
    if (select(STDIN_FILENO + 1, &ready, nullptr, nullptr, &quiet) <= 0 ||
        read(STDIN_FILENO, rest.data(), rest.size()) <= 0) {
      return;
    }
  }
}

void read_key() {
  char key = 0;
  if (read_stdin(&key, 1) > 0) {
    discard_rest_of_key();
  }
}

// Sets standard input's terminal to take single keys without echo, guarding the signals that
// could end or stop the program meanwhile. Returns false, having changed nothing, where it
// cannot.
bool keys_on() {
  if (tcgetattr(STDIN_FILENO, &saved) != 0) {
    return false;
  }
  keys = saved;
  keys.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  keys.c_cc[VMIN] = 1;
  keys.c_cc[VTIME] = 0;
  // Ctrl-Z counts as the key, rather than stopping the program with the terminal changed.
  keys.c_cc[VSUSP] = _POSIX_VDISABLE;
  guard_signals();
  changed = 1;
  if (tcsetattr(STDIN_FILENO, TCSANOW, &keys) != 0) {
    changed = 0;
    unguard_signals();
    return false;
  }
  return true;
}

// With every signal held back, so that none is taken between putting the terminal back and
// handing the signals back to their previous actions.
void keys_off() {
  sigset_t all{};
  sigset_t before{};
  sigfillset(&all);
  static_cast<void>(sigprocmask(SIG_SETMASK, &all, &before));
  put_back_terminal();
  unguard_signals();
  static_cast<void>(sigprocmask(SIG_SETMASK, &before, nullptr));
}

} // namespace

// A reader that has gone away is then reported like any other failed write, instead of ending
// the program silently.
void prepare() {
  static_cast<void>(signal(SIGPIPE, SIG_IGN));
}

std::streambuf &input() {
  static input_buffer<read_stdin> buffer;
  return buffer;
}

// There is no pause command here, so the program serves one itself. Only a terminal has a person
// at it who can press a key: a pipe or a file is never waited on, so scripts cannot hang.
void pause(std::ostream &out) {
  // Echo is already off when the prompt shows, so even a key pressed at once is not echoed.
  const bool waits = isatty(STDIN_FILENO) != 0 && keys_on();
  out << "Press any key to continue . . . ";
  out.flush();
  if (waits) {
    if (out) {
      read_key();
    }
    keys_off();
  }
  out << '\n';
}

} // namespace tempconv::platform
