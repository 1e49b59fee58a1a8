#pragma once

#include <iosfwd>

namespace tempconv {

// Runs one whole dialogue on the given streams and returns the process's exit status: 0 once the
// results are written and `pause` has returned; 1, with one line on `err`, when the input ends
// or cannot be read before a temperature is converted, or when `out` cannot be written. A read or
// write that fails is one that throws std::system_error from the stream's buffer (its reason is
// the message's), or that leaves the stream bad; both streams are set to rethrow it meanwhile.
// `pause` and `whole_lines` are the platform's (see platform.h), or a test's.
int dialogue(std::istream &in, std::ostream &out, std::ostream &err, void (*pause)(std::ostream &),
             bool (*whole_lines)());

} // namespace tempconv
