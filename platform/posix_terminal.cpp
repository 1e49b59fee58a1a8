#include "platform/posix.h"

#include <array>
#include <csignal>

#include <termios.h>
#include <unistd.h>

namespace tempconv::platform {

namespace {

// The terminal's settings from before the pause, and the pause's own: written before any handler
// is installed, and only read after.
termios saved{};
termios keys{};
// The facts that the terminal follows: the pause wants its key (from keys_on() to keys_off(),
// and not once a signal ends the program), and a stop is under way.
volatile std::sig_atomic_t wants_key = 0;
volatile std::sig_atomic_t stopping = 0;

// Lets `sig` through, which a handler holds back with every other signal; returns the mask from
// before.
sigset_t let_through(int sig) {
  sigset_t one{};
  sigset_t before{};
  sigemptyset(&one);
  sigaddset(&one, sig);
  static_cast<void>(sigprocmask(SIG_UNBLOCK, &one, &before));
  return before;
}

// Sets the terminal from the facts of the moment, the same however often it runs. In the
// foreground: the pause's settings while it wants its key, and otherwise those from before, with
// whatever was typed after the key dropped (TCSAFLUSH), so that none of it reaches the shell. In
// the background the terminal is the shell's, set as the shell or the user chose (after a
// SIGSTOP, which no handler sees, too), and is left alone. Returns false where a setting fails.
bool settle() {
  if (tcgetpgrp(STDIN_FILENO) != getpgrp()) {
    return true;
  }
  // A stop and bg can still move the program to the background right here. The system refuses a
  // setting from the background, stopping the program with SIGTTOU, but only while that signal
  // is let through, so it is let through for the set. Where whoever started the program ignores
  // SIGTTOU (the program keeps it so), the system lets that setting through: a shell never
  // starts a job so.
  const sigset_t before = let_through(SIGTTOU);
  const bool single = wants_key != 0 && stopping == 0;
  const bool set =
      retried([single] {
        return tcsetattr(STDIN_FILENO, single ? TCSANOW : TCSAFLUSH, single ? &keys : &saved);
      }) == 0;
  static_cast<void>(sigprocmask(SIG_SETMASK, &before, nullptr));
  return set;
}

// Standard input is the terminal that controls the program, and so the one its person sits at:
// not merely a terminal (one whose session the program has left, as under setsid, is another's).
bool own_terminal() {
  const pid_t session = tcgetsid(STDIN_FILENO);
  return session != -1 && session == getsid(0);
}

// Ends the program by the same signal: the signal, now in its default action, is taken as soon
// as the handler returns.
void end_by(int sig) {
  const int error = errno;
  wants_key = 0;
  static_cast<void>(settle());
  set_action(sig, SIG_DFL);
  static_cast<void>(raise(sig));
  errno = error;
}

// A stop (from outside, or for touching the terminal from the background) stops the program
// here. It goes on from here once continued, or where the kernel discards the stop (a process
// group without a shell to continue it).
void stop_by(int sig) {
  const int error = errno;
  stopping = 1;
  static_cast<void>(settle());
  set_action(sig, SIG_DFL);
  static_cast<void>(raise(sig));
  static_cast<void>(let_through(sig));
  set_action(sig, stop_by);
  stopping = 0;
  static_cast<void>(settle());
  errno = error;
}

// Continued, whether in the foreground or the background, and whoever stopped the program.
void resume(int /*sig*/) {
  const int error = errno;
  static_cast<void>(settle());
  errno = error;
}

// A signal that the pause guards, beside the action it had before the pause.
struct guard {
  int sig;
  void (*handler)(int);
  struct sigaction previous;
};

// Every signal that every system has, whose default action ends the program, and that it can
// catch, but SIGPIPE and SIGXFSZ, which the program ignores from the start; then those that only
// some systems have; then the stops, and the continue. The real-time signals follow at run time.
constinit auto guards = std::to_array<guard>({
    {SIGHUP, end_by, {}},    {SIGINT, end_by, {}},   {SIGQUIT, end_by, {}},   {SIGILL, end_by, {}},
    {SIGTRAP, end_by, {}},   {SIGABRT, end_by, {}},  {SIGBUS, end_by, {}},    {SIGFPE, end_by, {}},
    {SIGUSR1, end_by, {}},   {SIGSEGV, end_by, {}},  {SIGUSR2, end_by, {}},   {SIGALRM, end_by, {}},
    {SIGTERM, end_by, {}},   {SIGXCPU, end_by, {}},  {SIGVTALRM, end_by, {}}, {SIGPROF, end_by, {}},
    {SIGSYS, end_by, {}},
#ifdef SIGSTKFLT
    {SIGSTKFLT, end_by, {}},
#endif
#ifdef SIGEMT
    {SIGEMT, end_by, {}},
#endif
// Elsewhere these two are ignored by default.
#ifdef __linux__
    {SIGIO, end_by, {}},     {SIGPWR, end_by, {}},
#endif
    {SIGTSTP, stop_by, {}},  {SIGTTIN, stop_by, {}}, {SIGTTOU, stop_by, {}},  {SIGCONT, resume, {}},
});

// The real-time signals, whose numbers are known only at run time (and may lie above NSIG),
// each end the program by default. One is guarded only while it has that default action, so
// that action is the one to give back, and nothing needs keeping per signal.
template <typename Each> void each_real_time_signal(Each each) {
#ifdef SIGRTMIN
  for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig) {
    struct sigaction current {};
    if (sigaction(sig, nullptr, &current) == 0) {
      each(sig, current);
    }
  }
#else
  static_cast<void>(each);
#endif
}

void guard_signals() {
  for (guard &each : guards) {
    // Cannot fail: every signal of the list has a number and can be caught.
    static_cast<void>(sigaction(each.sig, nullptr, &each.previous));
    // A signal that the caller has chosen to ignore (nohup, for one) stays ignored.
    if (each.previous.sa_handler != SIG_IGN) {
      set_action(each.sig, each.handler);
    }
  }
  each_real_time_signal([](int sig, const struct sigaction &current) {
    if (current.sa_handler == SIG_DFL) {
      set_action(sig, end_by);
    }
  });
}

void unguard_signals() {
  for (const guard &each : guards) {
    static_cast<void>(sigaction(each.sig, &each.previous, nullptr));
  }
  each_real_time_signal([](int sig, const struct sigaction &current) {
    if (current.sa_handler == end_by) {
      set_action(sig, SIG_DFL);
    }
  });
}

} // namespace

bool keys_on() {
  if (!own_terminal() || tcgetattr(STDIN_FILENO, &saved) != 0) {
    return false;
  }
  keys = saved;
  keys.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  keys.c_cc[VMIN] = 1;
  keys.c_cc[VTIME] = 0;
  // Ctrl-Z counts as the key, rather than stopping the program with the terminal changed.
  keys.c_cc[VSUSP] = _POSIX_VDISABLE;
  // The handlers are installed only once `saved` holds what they put back, and while the pause
  // already wants its key, so that a continue between here and settle() takes the keys, as
  // settle() does. Should the program be moved to the background meanwhile, its tcsetattr() is
  // stopped by SIGTTOU, whose handler leaves the terminal to the shell.
  wants_key = 1;
  guard_signals();
  if (!settle()) {
    keys_off();
    return false;
  }
  return true;
}

// With every signal held back, so that none is taken between putting the terminal back and
// handing the signals back to their previous actions; settle() lets SIGTTOU through.
void keys_off() {
  sigset_t all{};
  sigset_t before{};
  sigfillset(&all);
  static_cast<void>(sigprocmask(SIG_SETMASK, &all, &before));
  wants_key = 0;
  static_cast<void>(settle());
  unguard_signals();
  static_cast<void>(sigprocmask(SIG_SETMASK, &before, nullptr));
}

} // namespace tempconv::platform
