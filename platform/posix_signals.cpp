#include "platform/platform.h"
#include "platform/posix.h"

#include <array>
#include <csignal>

namespace tempconv::platform {

namespace {

// What the handlers do beside ending, stopping or going on, while the signals are guarded.
void (*on_end)() = nullptr;
void (*on_stop)() = nullptr;
void (*on_continue)() = nullptr;

// Every handler runs with all signals blocked, SIGTTOU among them: a process in the background
// may then set the terminal without being stopped for it. An interrupted call is restarted.
// sigaction fails only for a signal that cannot be caught or has no number, which none here is.
void install(int sig, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  action.sa_flags = SA_RESTART;
  sigfillset(&action.sa_mask);
  static_cast<void>(sigaction(sig, &action, nullptr));
}

// Ends the program by the same signal: the signal, now in its default action, is taken as soon
// as the handler returns.
void end_by(int sig) {
  const int error = errno;
  on_end();
  install(sig, SIG_DFL);
  static_cast<void>(raise(sig));
  errno = error;
}

// A stop (from outside, or for touching the terminal from the background) stops the program
// here. It goes on from here once continued, or where the kernel discards the stop (a process
// group without a shell to continue it).
void stop_by(int sig) {
  const int error = errno;
  on_stop();
  install(sig, SIG_DFL);
  sigset_t stop{};
  sigemptyset(&stop);
  sigaddset(&stop, sig);
  static_cast<void>(raise(sig));
  static_cast<void>(sigprocmask(SIG_UNBLOCK, &stop, nullptr));
  install(sig, stop_by);
  on_continue();
  errno = error;
}

void resume(int /*sig*/) {
  const int error = errno;
  on_continue();
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

} // namespace

// A reader that has gone away, or a file that has reached its size limit, is then reported like
// any other failed write, instead of ending the program silently.
void prepare() {
  install(SIGPIPE, SIG_IGN);
  install(SIGXFSZ, SIG_IGN);
}

void guard_signals(void (*end)(), void (*stop)(), void (*go_on)()) {
  on_end = end;
  on_stop = stop;
  on_continue = go_on;
  for (guard &each : guards) {
    // Cannot fail: every signal of the list has a number and can be caught.
    static_cast<void>(sigaction(each.sig, nullptr, &each.previous));
    // A signal that the caller has chosen to ignore (nohup, for one) stays ignored.
    if (each.previous.sa_handler != SIG_IGN) {
      install(each.sig, each.handler);
    }
  }
  each_real_time_signal([](int sig, const struct sigaction &current) {
    if (current.sa_handler == SIG_DFL) {
      install(sig, end_by);
    }
  });
}

void unguard_signals() {
  for (const guard &each : guards) {
    static_cast<void>(sigaction(each.sig, &each.previous, nullptr));
  }
  each_real_time_signal([](int sig, const struct sigaction &current) {
    if (current.sa_handler == end_by) {
      install(sig, SIG_DFL);
    }
  });
}

} // namespace tempconv::platform
