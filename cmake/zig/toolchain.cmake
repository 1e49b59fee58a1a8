# Zig's clang and libc++ for `zig_target`, which the file that includes this one sets.
set(CMAKE_C_COMPILER ${CMAKE_CURRENT_LIST_DIR}/cc)
set(CMAKE_CXX_COMPILER ${CMAKE_CURRENT_LIST_DIR}/c++)
set(CMAKE_C_COMPILER_TARGET ${zig_target})
set(CMAKE_CXX_COMPILER_TARGET ${zig_target})
set(CMAKE_AR ${CMAKE_CURRENT_LIST_DIR}/ar CACHE FILEPATH "Zig's archiver")
set(CMAKE_RANLIB ${CMAKE_CURRENT_LIST_DIR}/ranlib CACHE FILEPATH "Zig's ranlib")
