#pragma once

#include <iosfwd>

namespace tempconv {

// Runs one whole dialogue and returns the exit status: 0 once the results are written and `pause`
// has returned; 1, with one line on `err`, where the input ends or fails first, or `out` fails. A
// failure is a stream gone bad, or a std::system_error from its buffer, whose reason `err` gives.
int dialogue(std::istream &in, std::ostream &out, std::ostream &err, void (*pause)(std::ostream &),
             bool (*whole_lines)());

} // namespace tempconv
