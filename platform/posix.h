#pragma once

// What the POSIX implementation's files share: the system calls' retry, standard input, and the
// pause's terminal.
#include <cerrno>
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

// Whether standard input has something to read, or has ended, within the time given.
bool readable(timeval within);
ssize_t read_stdin(char *data, std::size_t size);

// The pause's terminal and the signals that guard it (posix_terminal.cpp). keys_on() sets the
// program's own terminal to take single keys without echo for as long as the pause waits, whatever
// stops and continues it meanwhile; it returns false, having changed nothing, where standard input
// is no such terminal or cannot be set. keys_off() puts the terminal back.
bool keys_on();
void keys_off();

} // namespace tempconv::platform
