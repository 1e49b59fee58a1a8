#pragma once

#include <array>
#include <cerrno>
#include <cstddef>
#include <new>
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

// Standard output written straight to the system through `write_some(data, size)`, which returns
// the count of bytes written, or a negative count with errno set; a write that a signal
// interrupted, or that found no room yet, is retried there. A failed write throws
// std::system_error with that errno, which the stream turns into badbit and rethrows where badbit
// is among its exceptions: the reason of the failure reaches the message, as the input's does. A
// write that takes nothing would be tried for ever, so it fails as an I/O error.
template <auto write_some> class output_buffer final : public std::streambuf {
public:
  output_buffer() {
    setp(area.data(), area.data() + area.size());
  }

protected:
  int_type overflow(int_type c) override {
    drain();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }

  int sync() override {
    drain();
    return 0;
  }

private:
  void drain() {
    const char *data = pbase();
    const char *const end = pptr();
    // The area is free again whether its bytes go out or not: after a failure the run ends.
    setp(area.data(), area.data() + area.size());
    while (data < end) {
      const auto put = write_some(data, static_cast<std::size_t>(end - data));
      if (put <= 0) {
        throw std::system_error(put < 0 ? errno : EIO, std::generic_category());
      }
      data += put;
    }
  }

  std::array<char, 4096> area{};
};

// The one object of its type, made on first use and never destroyed: the C++ library flushes the
// standard streams after every static object has ended, so their buffers must outlive them all.
template <typename T> T &lasting() {
  alignas(T) static std::array<unsigned char, sizeof(T)> room;
  static T *const object = new (room.data()) T;
  return *object;
}

} // namespace tempconv::platform
