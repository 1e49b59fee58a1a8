#include "platform/decimal.h"

#include <algorithm>
#include <charconv>
#include <system_error>

namespace tempconv::platform {

// Not every C runtime of Windows rounds strtod correctly; every C++ library there has
// std::from_chars for doubles, which does.
bool parse_decimal(const char *first, const char *last, double &value) {
  if (std::from_chars(first, last, value).ec != std::errc::result_out_of_range) {
    return true;
  }
  // Out of range, the value is left alone: a negative exponent means too small, which is zero.
  const char *exponent = std::find(first, last, 'e');
  if (exponent + 1 < last && exponent[1] == '-') {
    value = *first == '-' ? -0.0 : 0.0;
    return true;
  }
  return false;
}

} // namespace tempconv::platform
