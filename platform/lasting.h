#pragma once

#include <new>

namespace tempconv::platform {

// The one object of its type, made on first use and never destroyed: the C++ library flushes the
// standard streams after every static object has ended, so their buffers must outlive them all.
template <typename T> T &lasting() {
  alignas(T) static unsigned char room[sizeof(T)];
  static T *const object = new (room) T;
  return *object;
}

} // namespace tempconv::platform
