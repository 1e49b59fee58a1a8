#pragma once

// Turning a decimal text into a double: correctly rounded on every platform, which not every C
// runtime's strtod is (some of Windows').
namespace tempconv::platform {

// Sets `value` to the correctly rounded double of the text from `first` to `last`, a number of
// the form "[-]0.DIGITS e[-]EXPONENT" (no blanks) followed there by a NUL. Returns false where it
// lies beyond a double's range; one below that range is 0 or subnormal, with its sign.
bool parse_decimal(const char *first, const char *last, double &value);

} // namespace tempconv::platform
