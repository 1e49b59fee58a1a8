// Output that stops being writable at any byte of a session must end the run with status 1 and
// the message, never with 0. The end-to-end cases can only fail the output at its first flush;
// here it fails at every byte in turn.
#include "dialogue/dialogue.h"

#include <sstream>
#include <streambuf>
#include <string>

#include <gtest/gtest.h>

namespace {

// Accepts `room` bytes, then refuses every further one, like a disk that fills up.
class filling_buffer : public std::streambuf {
public:
  explicit filling_buffer(std::size_t room) : room_(room) {}
  const std::string &written() const {
    return written_;
  }

protected:
  int_type overflow(int_type ch) override {
    if (traits_type::eq_int_type(ch, traits_type::eof()) || written_.size() == room_) {
      return traits_type::eof();
    }
    written_.push_back(traits_type::to_char_type(ch));
    return ch;
  }

private:
  std::size_t room_;
  std::string written_;
};

void fake_pause(std::ostream &out) {
  out << "Press any key to continue . . . \n";
}

struct run_result {
  int status;
  std::string out;
  std::string err;
};

run_result run(const std::string &input, std::size_t room) {
  std::istringstream in(input);
  filling_buffer buffer(room);
  std::ostream out(&buffer);
  std::ostringstream err;
  const int status = tempconv::dialogue(in, out, err, fake_pause);
  return {status, buffer.written(), err.str()};
}

TEST(Dialogue, OutputFailingAtAnyByteIsReported) {
  for (const char *input : {"x\nc\n25\n", "f\nabc\n212\n", "k\n"}) {
    const run_result whole = run(input, std::string::npos);
    for (std::size_t room = 0; room < whole.out.size(); ++room) {
      const run_result cut = run(input, room);
      EXPECT_EQ(cut.status, 1) << input << " cut at " << room;
      EXPECT_EQ(cut.out, whole.out.substr(0, room)) << input << " cut at " << room;
      EXPECT_NE(cut.err.find("tempconv: cannot write to standard output\n"), std::string::npos)
          << input << " cut at " << room;
    }
  }
}

} // namespace
