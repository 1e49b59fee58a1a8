# Linux with musl, Alpine's C library, and LLVM's libc++, built by Zig's clang. Linked statically,
# the program runs on this machine as it is, so the build is not a cross build: every test runs.
set(zig_target x86_64-linux-musl)
include(${CMAKE_CURRENT_LIST_DIR}/../zig/toolchain.cmake)
