#pragma once

#include <iosfwd>

// How the input hands over its lines, which only the platform knows.
namespace tempconv::platform {

// Whether `input` is standard input on a terminal that hands over one whole line a read, as the
// person typed it: ended by Enter, or by Ctrl-D after some text, which hands that text over
// without a line end.
bool hands_over_lines(const std::streambuf &input);

} // namespace tempconv::platform
