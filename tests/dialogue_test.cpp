// The dialogue's failures, at every byte where the end-to-end cases reach only a few: output
// that stops being writable, or input whose read fails, must end the run with status 1 and one
// line, never with 0 or with a result. Beside them, the program's own stream buffers: partial
// writes lose nothing, and a byte still buffered at exit goes out.

#include "dialogue/dialogue.h"
#include "platform/buffers.h"
#include "platform/platform.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <streambuf>
#include <string>
#include <string_view>
#include <system_error>
#include <tuple>

#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

// Takes `room` bytes, then refuses the rest, like a disk that fills up: the base class's
// overflow fails once the put area is full.
struct filling_buffer : std::streambuf {
  explicit filling_buffer(std::string &area) {
    setp(area.data(), area.data() + area.size());
  }
  [[nodiscard]] std::string written() const {
    return {pbase(), pptr()};
  }
};

void fake_pause(std::ostream &out) {
  out << "Press any key to continue . . . \n";
}

// Input read as from a pipe, not a terminal.
bool from_pipe() {
  return false;
}

// The exit status, what was written to standard output, and what to standard error.
std::tuple<int, std::string, std::string> run(const std::string &input, std::size_t room) {
  std::istringstream in(input);
  std::string area(room, '\0');
  filling_buffer buffer(area);
  std::ostream out(&buffer);
  std::ostringstream err;
  const int status = tempconv::dialogue(in, out, err, fake_pause, from_pipe);
  return {status, buffer.written(), err.str()};
}

TEST(Dialogue, OutputFailingAtAnyByteIsReported) {
  for (const char *input : {"x\nc\n25\n", "f\nabc\n212\n", "k\n"}) {
    const std::string whole = std::get<1>(run(input, 4096));
    for (std::size_t room = 0; room < whole.size(); ++room) {
      const auto [status, out, err] = run(input, room);
      EXPECT_EQ(status, 1) << input << " cut at " << room;
      EXPECT_EQ(out, whole.substr(0, room)) << input << " cut at " << room;
      // One line, the first failure's: where only the line end after the input ended is cut
      // off, that is the end of the input.
      const bool after_end = whole.ends_with(" : \n") && room == whole.size() - 1;
      EXPECT_TRUE(err.starts_with(after_end ? "tempconv: the input ended"
                                            : "tempconv: cannot write to standard output: ") &&
                  err.find('\n') == err.size() - 1)
          << input << " cut at " << room << ": " << err;
    }
  }
}

// Standard input that gives `script` one byte a read, and fails after `readable` bytes.
std::string_view script;
std::size_t readable = 0;

long read_script(char *data, std::size_t /*size*/) {
  if (readable == 0) {
    errno = EIO;
    return -1;
  }
  if (script.empty()) {
    return 0;
  }
  *data = script.front();
  script.remove_prefix(1);
  --readable;
  return 1;
}

// A read that fails, even inside the number, converts nothing and names its cause; the
// end-to-end cases can make only a few of the reads fail.
TEST(Dialogue, ReadFailingAtAnyByteConvertsNothing) {
  const std::string cause =
      "tempconv: cannot read standard input: " + std::generic_category().message(EIO) + "\n";
  for (const std::string_view input : {"c\n25\n", "x k -1e3\n", "f abc\n212\n"}) {
    for (std::size_t at = 0; at < input.size(); ++at) {
      script = input;
      readable = at;
      tempconv::platform::input_buffer<read_script> buffer;
      std::istream in(&buffer);
      std::ostringstream out;
      std::ostringstream err;
      EXPECT_EQ(tempconv::dialogue(in, out, err, fake_pause, from_pipe), 1)
          << input << " failing at " << at;
      EXPECT_EQ(err.str(), cause) << input << " failing at " << at;
      EXPECT_EQ(out.str().find("Temperature in"), std::string::npos) << input << " at " << at;
      EXPECT_TRUE(out.str().ends_with(" : \n")) << input << " failing at " << at;
    }
  }
}

// Standard output that takes at most three bytes a write, as a pipe or a terminal may.
std::string written;

long write_three(const char *data, std::size_t size) {
  const std::size_t put = std::min<std::size_t>(size, 3);
  written.append(data, put);
  return static_cast<long>(put);
}

// A write that takes only part of what it was given is followed by one for the rest, over more
// than a buffer's worth.
TEST(Output, PartialWritesLoseNothing) {
  std::string text;
  for (int line = 0; line < 1000; ++line) {
    text += "Temperature in Kelvin is : " + std::to_string(line) + '\n';
  }
  written.clear();
  tempconv::platform::output_buffer<write_three> buffer;
  std::ostream out(&buffer);
  out << text << std::flush;
  EXPECT_EQ(written, text);
}

// Takes nothing; a buffer that tries it again and again fails the test at once, never hangs it.
int tries = 0;

long write_nothing(const char * /*data*/, std::size_t /*size*/) {
  if (++tries > 100) {
    ADD_FAILURE() << "a write that took nothing was tried 100 times: the buffer tries for ever";
    errno = EIO;
    return -1;
  }
  return 0;
}

// A write that takes nothing, however often tried, ends the run with a message: never a hang.
TEST(Output, AWriteThatTakesNothingFails) {
  tries = 0;
  tempconv::platform::output_buffer<write_nothing> buffer;
  std::ostream out(&buffer);
  std::istringstream in("c 25\n");
  std::ostringstream err;
  EXPECT_EQ(tempconv::dialogue(in, out, err, fake_pause, from_pipe), 1);
  EXPECT_EQ(err.str(), "tempconv: cannot write to standard output: " +
                           std::generic_category().message(EIO) + "\n");
}

#if GTEST_HAS_DEATH_TEST && !defined(_WIN32)
// The C++ library flushes std::cout at exit, after every static object has ended: a byte still in
// the program's output buffer then goes out, rather than into a buffer already destroyed.
TEST(Output, BytesLeftAtExitGoOut) {
  EXPECT_EXIT(
      {
        dup2(STDERR_FILENO, STDOUT_FILENO);
        std::cout.rdbuf(&tempconv::platform::output());
        std::cout << "left at exit";
        std::exit(0);
      },
      testing::ExitedWithCode(0), "^left at exit$");
}
#endif

} // namespace
