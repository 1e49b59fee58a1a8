# The formulas round each operation to double. Where the compiler computes doubles in wider
# registers (FLT_EVAL_METHOD other than 0), the x87 unit of 32-bit x86 among them, the program
# would compute other numbers: there the formulas store each step as a double (which keeps a
# result past a double's range from going through), and the x87 unit is set to round every
# operation to a double's 53 bits (-mpc64, at the link), so that no result is rounded twice.
# Any other target with excess precision stops the configure.
include(CheckCXXSourceCompiles)
set(CMAKE_REQUIRED_QUIET ON)
check_cxx_source_compiles([[
#include <cfloat>
#if FLT_EVAL_METHOD != 0
#error doubles are computed in wider registers
#endif
int main() {}]] TEMPCONV_DOUBLE_EVALUATION)
if(NOT TEMPCONV_DOUBLE_EVALUATION)
  check_cxx_source_compiles([[
#if !defined(__i386__) || defined(__SSE2_MATH__)
#error not the x87 unit
#endif
int main() {}]] TEMPCONV_X87)
  if(TEMPCONV_X87)
    set(CMAKE_REQUIRED_LINK_OPTIONS -mpc64)
    check_cxx_source_compiles("int main() {}" TEMPCONV_HAS_PC64)
    unset(CMAKE_REQUIRED_LINK_OPTIONS)
  endif()
  if(NOT TEMPCONV_HAS_PC64)
    message(FATAL_ERROR "This compiler computes doubles with excess precision (FLT_EVAL_METHOD is "
      "not 0), and tempconv can round them to double only on x86's x87 unit with -mpc64: its "
      "results would differ. Build with SSE2 arithmetic (-msse2 -mfpmath=sse) or with GCC.")
  endif()
  message(STATUS "Doubles are computed in the x87 unit: each operation is rounded to 53 bits "
                 "(-mpc64)")
  target_compile_options(tempconv_options INTERFACE -mpc64)
  target_link_options(tempconv_options INTERFACE -mpc64)
endif()
unset(CMAKE_REQUIRED_QUIET)
