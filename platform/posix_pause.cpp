#include "platform/platform.h"
#include "platform/posix.h"

#include <algorithm>
#include <array>
#include <ctime>
#include <ostream>

#include <unistd.h>

namespace tempconv::platform {

namespace {

long long now_us() {
  timespec now{};
  static_cast<void>(clock_gettime(CLOCK_MONOTONIC, &now));
  return now.tv_sec * 1'000'000LL + now.tv_nsec / 1'000;
}

// A key such as an arrow sends several bytes, and the rest arrive right behind the first; they
// are read here so that none of them reaches the shell after the program ends. The wait ends
// after 50 ms without a byte, and at the latest 100 ms after the key, however fast bytes keep
// coming (a key held down): what is left then is dropped with the pause's settings.
void discard_rest_of_key() {
  constexpr long long quiet_us = 50'000;
  const long long end_us = now_us() + 100'000;
  std::array<char, 64> rest{};
  for (long long left = quiet_us; left > 0; left = std::min(quiet_us, end_us - now_us())) {
    timeval within{0, static_cast<suseconds_t>(left)};
    if (!wait_for(STDIN_FILENO, direction::in, &within) ||
        read_stdin(rest.data(), rest.size()) <= 0) {
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

// The pause's single-key mode, on the program's own terminal only, for as long as it lives: the
// terminal is put back however the pause ends, a failed write of its prompt included.
struct single_keys {
  const bool on = keys_on();
  single_keys() = default;
  single_keys(const single_keys &) = delete;
  single_keys &operator=(const single_keys &) = delete;
  ~single_keys() {
    if (on) {
      keys_off();
    }
  }
};

} // namespace

// There is no pause command here, so the program serves one itself. Only the program's own
// terminal has a person at it who can press a key: a pipe, a file or another terminal is never
// waited on, so scripts cannot hang.
void pause(std::ostream &out) {
  {
    // Echo is already off when the prompt shows, so even a key pressed at once is not echoed.
    const single_keys keys;
    out << "Press any key to continue . . . " << std::flush;
    if (keys.on) {
      read_key();
    }
  }
  out << '\n';
}

} // namespace tempconv::platform
