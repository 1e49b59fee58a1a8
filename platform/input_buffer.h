#pragma once

#include <array>
#include <cerrno>
#include <cstddef>
#include <streambuf>
#include <system_error>

namespace tempconv::platform {

// Standard input read straight from the system through `read_some(data, size)`, which returns the
// count of bytes read, 0 at the end of the input, or a negative count with errno set. A failed
// read throws std::system_error with that errno, which the stream turns into badbit: a failure is
// then told apart from the end of the input, and the part of a number read before it is never
// taken for the whole number.
template <auto read_some> class input_buffer final : public std::streambuf {
protected:
  int_type underflow() override {
    const auto got = read_some(area.data(), area.size());
    if (got < 0) {
      throw std::system_error(errno, std::generic_category());
    }
    if (got == 0) {
      return traits_type::eof();
    }
    setg(area.data(), area.data(), area.data() + got);
    return traits_type::to_int_type(area.front());
  }

private:
  std::array<char, 4096> area{};
};

} // namespace tempconv::platform
