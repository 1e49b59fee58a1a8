#include "platform/posix.h"

#include <csignal>

#include <termios.h>
#include <unistd.h>

namespace tempconv::platform {

namespace {

// The terminal's settings from before the pause and those of the pause, for the signal handlers.
termios saved{};
termios keys{};
// Set while the pause waits for its key, so that the pause's settings belong in force whenever
// the program is in the foreground.
volatile std::sig_atomic_t wanted = 0;
// Set only while the pause's settings are in force, so that a handler puts back only what the
// program changed: a job continued in the background must not touch its shell's terminal.
volatile std::sig_atomic_t changed = 0;

// Standard input is the terminal that controls the program, and so the one its person sits at:
// not merely a terminal (one whose session the program has left, as under setsid, is another's).
bool own_terminal() {
  const pid_t session = tcgetsid(STDIN_FILENO);
  return session != -1 && session == getsid(0);
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

// TCSAFLUSH drops whatever was typed after the key, so that none of it reaches the shell.
void put_back_terminal() {
  if (changed != 0) {
    static_cast<void>(tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved));
    changed = 0;
  }
}

// Not wanted any more, so that a SIGCONT taken between here and the end cannot set single keys.
void let_go() {
  put_back_terminal();
  wanted = 0;
}

// Called with every signal blocked. In the background the terminal is the shell's, and is left
// alone.
void take_keys() {
  if (wanted != 0 && tcgetpgrp(STDIN_FILENO) == getpgrp()) {
    changed = 1;
    static_cast<void>(tcsetattr(STDIN_FILENO, TCSANOW, &keys));
  }
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
  // Only now that `saved` holds what they put back are the handlers installed; and wanted before
  // set, so that a stop inside tcsetattr takes the keys again after fg.
  guard_signals(let_go, put_back_terminal, take_keys);
  wanted = 1;
  if (!set_keys()) {
    keys_off();
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
  let_go();
  unguard_signals();
  static_cast<void>(sigprocmask(SIG_SETMASK, &before, nullptr));
}

} // namespace tempconv::platform
