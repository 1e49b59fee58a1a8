# Debian's s390x: IBM Z, big-endian.
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(tempconv_triplet s390x-linux-gnu)
set(tempconv_qemu qemu-s390x)
include(${CMAKE_CURRENT_LIST_DIR}/debian.cmake)
