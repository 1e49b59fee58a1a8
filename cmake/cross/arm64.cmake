# Debian's arm64: 64-bit ARM.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(tempconv_triplet aarch64-linux-gnu)
set(tempconv_qemu qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/debian.cmake)
