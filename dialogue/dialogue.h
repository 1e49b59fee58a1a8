#pragma once

#include <iosfwd>

namespace tempconv {

// Runs one whole dialogue on the given streams and returns the process's exit status: 0 once the
// results are written and `pause` has returned; 1, with a message on `err`, when the input ends
// or cannot be read before a temperature is converted, or when `out` cannot be written. A read
// that fails is one that throws std::system_error from `in`'s buffer; `in` is set to rethrow it.
int dialogue(std::istream &in, std::ostream &out, std::ostream &err, void (*pause)(std::ostream &));

} // namespace tempconv
