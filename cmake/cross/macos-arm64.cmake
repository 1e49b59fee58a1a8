# macOS 11 or later on arm64, built and linked by Zig's clang with macOS's headers and libc++.
set(CMAKE_SYSTEM_NAME Darwin)
set(CMAKE_SYSTEM_PROCESSOR arm64)
set(zig_target aarch64-macos.11.0)
include(${CMAKE_CURRENT_LIST_DIR}/../zig/toolchain.cmake)
