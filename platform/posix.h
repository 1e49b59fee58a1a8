#pragma once

// What the POSIX implementation's files share: the system calls' retry, standard input, and the
// pause's terminal and signals, which reach into each other from the signal handlers.
#include <cerrno>
#include <cstddef>

#include <sys/types.h>

namespace tempconv::platform {

// A call that a signal interrupted is made again: a signal is never a failure here.
template <typename Call> auto retried(Call call) {
  auto result = call();
  while (result < 0 && errno == EINTR) {
    result = call();
  }
  return result;
}

ssize_t read_stdin(char *data, std::size_t size);

// The terminal (posix_terminal.cpp). keys_on() sets the program's own terminal to take single
// keys without echo and guards the signals meanwhile; it returns false, having changed nothing,
// where standard input is no such terminal or cannot be set. keys_off() undoes it.
bool keys_on();
void keys_off();
// For the signal handlers, async-signal-safe: the terminal as it was before the pause, while the
// program has it changed; and single keys again, where the pause waits in the foreground.
void put_back_terminal();
void take_keys();
// Whether the pause waits for its key, so that its settings belong in force in the foreground.
void want_keys(bool wanted);

// The signals that could end or stop the program while the terminal is changed
// (posix_signals.cpp): each puts the terminal back first.
void guard_signals();
void unguard_signals();

} // namespace tempconv::platform
