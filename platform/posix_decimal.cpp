#include "platform/decimal.h"

#include <cmath>
#include <cstdlib>

namespace tempconv::platform {

// strtod rounds correctly here, in the "C" locale, which the program never leaves; it takes less
// from a run than std::from_chars' tables would.
bool parse_decimal(const char *first, const char * /*last*/, double &value) {
  value = std::strtod(first, nullptr);
  return !std::isinf(value);
}

} // namespace tempconv::platform
