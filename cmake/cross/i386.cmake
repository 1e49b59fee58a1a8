# Debian's i386: i686 without SSE2, as Debian builds it, so doubles are computed in the x87 unit.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(tempconv_triplet i686-linux-gnu)
set(tempconv_qemu qemu-i386)
include(${CMAKE_CURRENT_LIST_DIR}/debian.cmake)
