// The result lines show six significant digits, which hide the last bits of a value; these cases
// pin every bit, so that a formula rewritten with another order of operations (value * 1.8 + 32,
// or (value - 32) * (5 / 9)) fails here. Each expected value differs from such a rewrite.
#include "conversion/conversion.h"

#include <gtest/gtest.h>

namespace {

struct formula_case {
  const char *name;
  double (*formula)(double);
  double input;
  double expected;
};

const formula_case formula_cases[] = {
    {"far_from_cel 37", tempconv::far_from_cel, 37.0, 0x1.8a66666666666p+6},
    {"far_from_cel 451", tempconv::far_from_cel, 451.0, 0x1.a5e6666666666p+9},
    {"far_from_cel -17.3", tempconv::far_from_cel, -17.3, 0x1.b851eb851eb60p-1},
    {"cel_from_far 100.1", tempconv::cel_from_far, 100.1, 0x1.2eaaaaaaaaaabp+5},
    {"cel_from_far 451", tempconv::cel_from_far, 451.0, 0x1.d18e38e38e38ep+7},
    {"cel_from_far 98.6", tempconv::cel_from_far, 98.6, 0x1.2800000000000p+5},
    {"cel_from_far -17.3", tempconv::cel_from_far, -17.3, -0x1.b638e38e38e39p+4},
    {"cel_from_kel 300", tempconv::cel_from_kel, 300.0, 0x1.ad999999999a0p+4},
    {"cel_from_kel 0.1", tempconv::cel_from_kel, 0.1, -0x1.110ccccccccccp+8},
};

TEST(Formulas, RoundEachOperationInOrder) {
  for (const auto &c : formula_cases) {
    EXPECT_EQ(c.formula(c.input), c.expected) << c.name;
  }
}

} // namespace
