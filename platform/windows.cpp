#include "platform/platform.h"

#include <cstdlib>
#include <ostream>

namespace tempconv::platform {

// Writing to a closed pipe is already reported as a write error on Windows.
void prepare() {}

// The command processor's own pause writes its prompt and waits for a key.
void pause(std::ostream &out) {
  out.flush();
  static_cast<void>(std::system("pause"));
}

} // namespace tempconv::platform
