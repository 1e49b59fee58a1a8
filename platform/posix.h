#pragma once

// What the POSIX implementation's files share: the system calls' retry, standard input, the
// pause's terminal, and the signals that it guards.
#include <cerrno>
#include <cstddef>

#include <sys/select.h>
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

// Whether standard input has something to read within the time given, or at all where none is.
bool readable(timeval *within);
ssize_t read_stdin(char *data, std::size_t size);

// The pause's terminal (posix_terminal.cpp). keys_on() sets the program's own terminal to take
// single keys without echo and guards the signals meanwhile; it returns false, having changed
// nothing, where standard input is no such terminal or cannot be set. keys_off() undoes it.
bool keys_on();
void keys_off();

// The signals that could end or stop the program (posix_signals.cpp), until unguard_signals():
// an ending one calls `end`, then ends the program by the same signal; a stop calls `stop`, stops
// the program, and calls `go_on` once it goes on, as a continue does. All three must be
// async-signal-safe.
void guard_signals(void (*end)(), void (*stop)(), void (*go_on)());
void unguard_signals();

} // namespace tempconv::platform
