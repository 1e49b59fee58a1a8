# Hardening that costs a run nothing measurable, wherever the toolchain has it: a stack protector
# in the functions that hold arrays, the C library's checked calls where a buffer's size is
# known, and full RELRO (the GOT made read-only before main). No PIE: a static one relocates
# itself at every start (doc/performance.md).
include(CheckCXXCompilerFlag)
include(CheckLinkerFlag)

check_cxx_compiler_flag(-fstack-protector-strong TEMPCONV_HAS_STACK_PROTECTOR)
if(TEMPCONV_HAS_STACK_PROTECTOR)
  # At the link too, where the toolchain's C library needs libssp for it (MinGW).
  target_compile_options(tempconv_options INTERFACE -fstack-protector-strong)
  target_link_options(tempconv_options INTERFACE -fstack-protector-strong)
endif()
# The checked calls need the optimiser; a debug build goes without them. A level that the
# packager's flags or the compiler's own defaults already set is kept, never lowered.
include(CheckCXXSourceCompiles)
string(TOUPPER "${CMAKE_BUILD_TYPE}" config)
set(CMAKE_REQUIRED_FLAGS "-O2 ${CMAKE_CXX_FLAGS_${config}}")
set(CMAKE_REQUIRED_QUIET ON)
check_cxx_source_compiles([[
#ifdef _FORTIFY_SOURCE
#error the compiler's flags choose the level
#endif
int main() {}]] TEMPCONV_FORTIFY_UNSET)
unset(CMAKE_REQUIRED_FLAGS)
unset(CMAKE_REQUIRED_QUIET)
if(TEMPCONV_FORTIFY_UNSET)
  target_compile_options(tempconv_options INTERFACE
    "$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-D_FORTIFY_SOURCE=2>")
endif()
check_linker_flag(CXX "LINKER:-z,relro,-z,now" TEMPCONV_HAS_RELRO)
if(TEMPCONV_HAS_RELRO)
  target_link_options(tempconv_options INTERFACE "LINKER:-z,relro,-z,now")
endif()
