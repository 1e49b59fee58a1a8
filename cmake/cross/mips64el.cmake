# Debian's mips64el: 64-bit little-endian MIPS, whose signals are numbered apart from others.
set(CMAKE_SYSTEM_PROCESSOR mips64)
set(tempconv_triplet mips64el-linux-gnuabi64)
set(tempconv_qemu qemu-mips64el)
include(${CMAKE_CURRENT_LIST_DIR}/debian.cmake)
