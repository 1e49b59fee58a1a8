#pragma once

#include <iosfwd>

// Everything that differs between Windows and POSIX systems; one implementation of each per
// platform.
namespace tempconv::platform {

// Readies the process before any output.
void prepare();

// Standard input, whose reads report a failure of the system apart from the end of the input
// (see buffers.h).
std::streambuf &input();

// Standard output, whose writes report the system's reason for a failure (see buffers.h).
std::streambuf &output();

// Whether standard input's reads hand over whole lines (a terminal in its line mode): a line a
// read, ended by Enter or by Ctrl-D without a line end, and a block typed ahead all in one.
bool reads_whole_lines();

// Writes the pause prompt to `out`, waits for one key press where a person can give one (on
// Windows, the command processor decides; elsewhere, only on the program's own terminal), then
// returns.
void pause(std::ostream &out);

} // namespace tempconv::platform
