#include "platform/input_buffer.h"
#include "platform/output_buffer.h"
#include "platform/platform.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <ostream>

#include <sys/select.h>
#include <termios.h>
#include <unistd.h>

namespace tempconv::platform {

namespace {

// A call that a signal interrupted is made again: a signal is never a failure here.
template <typename Call> auto retried(Call call) {
  auto result = call();
  while (result < 0 && errno == EINTR) {
    result = call();
  }
  return result;
}

ssize_t read_stdin(char *data, std::size_t size) {
  return retried([&] { return read(STDIN_FILENO, data, size); });
}

ssize_t write_stdout(const char *data, std::size_t size) {
  return retried([&] { return write(STDOUT_FILENO, data, size); });
}

// The terminal's settings from before the pause and those of the pause, for the signal handlers.
termios saved{};
termios keys{};
// Set while the pause waits for its key, so that the pause's settings belong in force whenever
// the program is in the foreground.
volatile std::sig_atomic_t wanted = 0;
// Set only while the pause's settings are in force, so that a handler puts back only what the
// program changed: a job continued in the background must not touch its shell's terminal.
volatile std::sig_atomic_t changed = 0;

// Async-signal-safe. TCSAFLUSH drops whatever was typed after the key, so that none of it
// reaches the shell.
void put_back_terminal() {
  if (changed != 0) {
    static_cast<void>(tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved));
    changed = 0;
  }
}

// Async-signal-safe, and called with every signal blocked: in the foreground, the pause takes
// single keys again. In the background the terminal is the shell's, and is left alone.
void take_keys() {
  if (wanted != 0 && tcgetpgrp(STDIN_FILENO) == getpgrp()) {
    changed = 1;
    static_cast<void>(tcsetattr(STDIN_FILENO, TCSANOW, &keys));
  }
}

void end_by(int sig);
void stop_by(int sig);
void resume(int sig);

// A signal that the pause guards, beside the action it had before the pause.
struct guard {
  int sig;
  void (*handler)(int);
  struct sigaction previous;
};

// Every signal whose default action ends the program and that it can catch, but SIGPIPE and
// SIGXFSZ, which the program ignores from the start, and the real-time signals, which no
// terminal, shell or job control sends; then the stops, and the continue.
constinit auto guards = std::to_array<guard>({
    {SIGHUP, end_by, {}},    {SIGINT, end_by, {}},   {SIGQUIT, end_by, {}},   {SIGILL, end_by, {}},
    {SIGTRAP, end_by, {}},   {SIGABRT, end_by, {}},  {SIGBUS, end_by, {}},    {SIGFPE, end_by, {}},
    {SIGUSR1, end_by, {}},   {SIGSEGV, end_by, {}},  {SIGUSR2, end_by, {}},   {SIGALRM, end_by, {}},
    {SIGTERM, end_by, {}},   {SIGXCPU, end_by, {}},  {SIGVTALRM, end_by, {}}, {SIGPROF, end_by, {}},
    {SIGSYS, end_by, {}},
#ifdef __linux__
    {SIGSTKFLT, end_by, {}}, {SIGIO, end_by, {}},    {SIGPWR, end_by, {}},
#endif
#ifdef SIGEMT
    {SIGEMT, end_by, {}},
#endif
    {SIGTSTP, stop_by, {}},  {SIGTTIN, stop_by, {}}, {SIGTTOU, stop_by, {}},  {SIGCONT, resume, {}},
});

// Every handler runs with all signals blocked, SIGTTOU among them: a process in the background
// may then set the terminal without being stopped for it. An interrupted call is restarted.
void handle(int sig, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  action.sa_flags = SA_RESTART;
  sigfillset(&action.sa_mask);
  static_cast<void>(sigaction(sig, &action, nullptr));
}

// Puts the terminal back, then ends the program by the same signal: the signal, now in its
// default action, is taken as soon as the handler returns.
void end_by(int sig) {
  const int error = errno;
  put_back_terminal();
  wanted = 0;
  static_cast<void>(signal(sig, SIG_DFL));
  static_cast<void>(raise(sig));
  errno = error;
}

// A stop (from outside, or for touching the terminal from the background): the terminal is put
// back for the shell, and the program stops here. Once it goes on, or where the kernel discards
// the stop (a process group without a shell to continue it), the pause takes single keys again.
void stop_by(int sig) {
  const int error = errno;
  put_back_terminal();
  static_cast<void>(signal(sig, SIG_DFL));
  sigset_t stop{};
  sigemptyset(&stop);
  sigaddset(&stop, sig);
  static_cast<void>(raise(sig));
  static_cast<void>(sigprocmask(SIG_UNBLOCK, &stop, nullptr));
  handle(sig, stop_by);
  take_keys();
  errno = error;
}

void resume(int /*sig*/) {
  const int error = errno;
  take_keys();
  errno = error;
}

void guard_signals() {
  for (guard &each : guards) {
    sigaction(each.sig, nullptr, &each.previous);
    // A signal that the caller has chosen to ignore (nohup, for one) stays ignored.
    if (each.previous.sa_handler != SIG_IGN) {
      handle(each.sig, each.handler);
    }
  }
}

void unguard_signals() {
  for (const guard &each : guards) {
    sigaction(each.sig, &each.previous, nullptr);
  }
}

// The pause's settings, with every signal but SIGTTOU held back, so that `changed` says exactly
// whether they are in force. In the background SIGTTOU stops the program here until it is in
// the foreground; the call is then restarted.
bool set_keys() {
  sigset_t held{};
  sigset_t before{};
  sigfillset(&held);
  sigdelset(&held, SIGTTOU);
  static_cast<void>(sigprocmask(SIG_SETMASK, &held, &before));
  const int result = retried([] { return tcsetattr(STDIN_FILENO, TCSANOW, &keys); });
  if (result == 0) {
    changed = 1;
  }
  static_cast<void>(sigprocmask(SIG_SETMASK, &before, nullptr));
  return result == 0;
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
  wanted = 1;
  if (!set_keys()) {
    wanted = 0;
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
  wanted = 0;
  put_back_terminal();
  unguard_signals();
  static_cast<void>(sigprocmask(SIG_SETMASK, &before, nullptr));
}

long long now_us() {
  timespec now{};
  static_cast<void>(clock_gettime(CLOCK_MONOTONIC, &now));
  return now.tv_sec * 1'000'000LL + now.tv_nsec / 1'000;
}

// A key such as an arrow sends several bytes, and the rest arrive right behind the first; they
// are read here so that none of them reaches the shell after the program ends. The wait ends
// after 50 ms without a byte, and at the latest 100 ms after the key, however fast bytes keep
// coming (a key held down): what is left then is dropped with the pause's settings. select()
// works on a terminal everywhere, where poll() does not (macOS).
void discard_rest_of_key() {
  constexpr long long quiet_us = 50'000;
  const long long end_us = now_us() + 100'000;
  std::array<char, 64> rest{};
  for (long long left = quiet_us; left > 0; left = std::min(quiet_us, end_us - now_us())) {
    fd_set ready{};
    FD_ZERO(&ready);
    FD_SET(STDIN_FILENO, &ready);
    timeval quiet{0, static_cast<suseconds_t>(left)};
    const int found = select(STDIN_FILENO + 1, &ready, nullptr, nullptr, &quiet);
    if (found < 0 && errno == EINTR) {
      continue;
    }
    if (found <= 0 || read_stdin(rest.data(), rest.size()) <= 0) {
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

// Standard input is the terminal that controls the program, and so the one its person sits at:
// not merely a terminal (one whose session the program has left, as under setsid, is another's).
bool own_terminal() {
  const pid_t session = tcgetsid(STDIN_FILENO);
  return session != -1 && session == getsid(0);
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

// There is no pause command here, so the program serves one itself. Only the program's own
// terminal has a person at it who can press a key: a pipe, a file or another terminal is never
// waited on, so scripts cannot hang.
void pause(std::ostream &out) {
  // Echo is already off when the prompt shows, so even a key pressed at once is not echoed.
  const bool waits = own_terminal() && keys_on();
  try {
    out << "Press any key to continue . . . ";
    out.flush();
  } catch (...) {
    // The terminal is put back however the pause ends, a failed write of its prompt included.
    if (waits) {
      keys_off();
    }
    throw;
  }
  if (waits) {
    read_key();
    keys_off();
  }
  out << '\n';
}

} // namespace tempconv::platform
