# Cross-builds for Linux on another architecture with Debian's cross compiler for
# `tempconv_triplet` (package g++-TRIPLET), and runs the tests' programs under qemu-user
# (`tempconv_qemu`, package qemu-user) with that architecture's libraries.
set(CMAKE_SYSTEM_NAME Linux)

set(CMAKE_C_COMPILER ${tempconv_triplet}-gcc)
set(CMAKE_CXX_COMPILER ${tempconv_triplet}-g++)

set(CMAKE_FIND_ROOT_PATH /usr/${tempconv_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(TEMPCONV_QEMU ${tempconv_qemu})
if(TEMPCONV_QEMU)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TEMPCONV_QEMU} -L /usr/${tempconv_triplet})
endif()
