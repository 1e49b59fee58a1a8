# Hardening that costs a run nothing measurable, wherever the toolchain has it: a stack protector
# in the functions that hold arrays, the C library's checked calls where a buffer's size is
# known, and full RELRO (the GOT made read-only before main). The program stays a static non-PIE
# executable: a static PIE relocates itself at every start and takes about 1.7 times the
# instructions of a run.
include(CheckCXXCompilerFlag)
include(CheckLinkerFlag)

check_cxx_compiler_flag(-fstack-protector-strong TEMPCONV_HAS_STACK_PROTECTOR)
if(TEMPCONV_HAS_STACK_PROTECTOR)
  # At the link too, where the toolchain's C library needs libssp for it (MinGW).
  target_compile_options(tempconv_options INTERFACE -fstack-protector-strong)
  target_link_options(tempconv_options INTERFACE -fstack-protector-strong)
endif()
# The checked calls need the optimiser; a debug build goes without them.
target_compile_options(tempconv_options INTERFACE
  "$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
check_linker_flag(CXX "LINKER:-z,relro,-z,now" TEMPCONV_HAS_RELRO)
if(TEMPCONV_HAS_RELRO)
  target_link_options(tempconv_options INTERFACE "LINKER:-z,relro,-z,now")
endif()
