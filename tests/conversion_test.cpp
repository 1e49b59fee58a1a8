// The formulas and the number reader, bit for bit, where the result lines' six significant
// digits would hide a difference. The formulas' cases fail for a rewrite with another order of
// operations (value * 1.8 + 32, or (value - 32) * (5 / 9)), four of them for a result rounded
// twice (to 64 bits, then to 53) as the x87 unit would, and the last five where a step passes
// the largest double. The reader's cases fix one grammar and correct rounding at any length, the
// same with every C++ library and decimal parser.

#include "conversion/conversion.h"
#include "conversion/reader.h"

#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

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
    // Rounded twice, these four would differ.
    {"far_from_cel 0.00063888", tempconv::far_from_cel, 0.0006388888888883869,
     0x1.00025aee631f9p+5},
    {"cel_from_far -0.00046720", tempconv::cel_from_far, -0.00046720742382078,
     -0x1.1c72d74777298p+4},
    {"kel_from_cel 5.2549e-06", tempconv::kel_from_cel, 5.254906596982514e-06,
     0x1.112666be900d5p+8},
    {"cel_from_kel 5.2549e-06", tempconv::cel_from_kel, 5.254906596982514e-06,
     -0x1.1126660e3cbf7p+8},
    // A step passes the largest double, the result does not; or the result itself does.
    {"far_from_cel 9.9e307", tempconv::far_from_cel, 9.9e307, 0x1.fb87cb5d0b5e6p+1023},
    {"far_from_cel -9.9e307", tempconv::far_from_cel, -9.9e307, -0x1.fb87cb5d0b5e6p+1023},
    {"cel_from_far 1e308", tempconv::cel_from_far, 1e308, 0x1.3c747785b50b2p+1022},
    {"cel_from_far largest", tempconv::cel_from_far, 0x1.fffffffffffffp+1023,
     0x1.1c71c71c71c71p+1023},
    {"far_from_cel 1e308", tempconv::far_from_cel, 1e308, HUGE_VAL},
};

TEST(Formulas, RoundEachOperationInOrder) {
  for (const auto &c : formula_cases) {
    EXPECT_EQ(c.formula(c.input), c.expected) << c.name;
  }
}

} // namespace

namespace {

using namespace std::string_literals;

struct reading_case {
  std::string text;
  tempconv::reading expected;
  double value;
};

const std::string many_zeros(1000, '0');
// Half the smallest subnormal, 2^-1075, whole: 752 significant digits.
const std::string half_smallest =
    "0."
    "2470328229206232720882843964341106861825299013071623822127928412503377536351043759326499"
    "1818081799618989828234772285886546332835517796989819938739800539093906315035659515570226"
    "3922908583924491051844359318028499365361525003193704576782492193656236698636584807570015"
    "8576926990370631192827955855133292783433840935197801553124659726357957462276646527282722"
    "0056374006485499977096599470454020828166226237857393450736339007967761930577506740176324"
    "6736009689513405355374585166611342237666786041621596804619144672918403005300575308490487"
    "6539171138659164623952491262365388187963623937328042389101867234849766823508986338858792"
    "5628302755995657524455507255189313690836254779186948667994968324049705821028513185451396"
    "213837722826145437693412532098591327667236328125";
// Halfway between the largest subnormal and the smallest normal double, (2^53 - 1) * 2^-1075,
// whole: 768 significant digits, every one of which decides the rounding.
const std::string halfway_768 =
    "0." + std::string(307, '0') +
    "2225073858507201136057409796709131975934819546351645648023426109724822222021076945516529"
    "5239081350879141491589130396211068700864386945946455276572074078206217433799881410632673"
    "2925355228688137214901298112245145188984905722230728525513315575501591439747639798341180"
    "1999323962548289017107081850690630666655994938275772572015763062690663332647565300009245"
    "8883164330377797918696120494973903778297049050510806099407302629371289589500035837999672"
    "0725430436028407889577179615094551674824347103070260914462157228988025818254518032570701"
    "8860872113128079512233426288368622321503775666622503982534335974568884423900265498198385"
    "4879482922068947216898310996983658468140228542433306603398508864458040010349339704275671"
    "8644338377048603786162277173854562306587467901408672332763671875";
constexpr auto number = tempconv::reading::number;
constexpr auto refused = tempconv::reading::not_a_number;

// The same texts, the same values, with every C++ library.
const reading_case reading_cases[] = {
    {"25", number, 25},
    {"  -40", number, -40},
    {"+25", number, 25},
    {".5", number, 0.5},
    {"5.", number, 5},
    {"-.5e1", number, -5},
    {"1E+2", number, 100},
    {"00012", number, 12},
    {"0e5", number, 0},
    {"25 degrees", number, 25},
    {"25\r\n", number, 25},
    {"25\v", number, 25},
    {"25\tdegrees", number, 25},
    {"25\f", number, 25},
    {"0.1", number, 0x1.999999999999ap-4},
    {"1e-400", number, 0},
    {"1e-18446744073709551616", number, 0},
    {"1" + many_zeros + "e-1000", number, 1},
    {"0." + many_zeros + "25e1002", number, 25},
    // 2^53 + 1 lies halfway between two doubles: ties go to the even one, and a non-zero digit
    // past the 800 kept decides it upwards.
    {"9007199254740993", number, 0x1p53},
    {"9007199254740993." + many_zeros + "1", number, 0x1.0000000000001p53},
    {"9007199254740993" + many_zeros + "1e-1001", number, 0x1.0000000000001p53},
    {"9007199254740993." + std::string(800, '0') + "10", number, 0x1.0000000000001p53},
    {"9007199254740993." + many_zeros, number, 0x1p53},
    {halfway_768, number, 0x1p-1022},
    {"1.7976931348623157e308", number, 0x1.fffffffffffffp1023},
    {"4.9406564584124654e-324", number, 0x1p-1074},
    {"2.4703282292062328e-324", number, 0x1p-1074},
    {"2.4703282292062327e-324", number, 0},
    {half_smallest + "e-323", number, 0},
    {half_smallest + "0001e-323", number, 0x1p-1074},
    {"", tempconv::reading::ended, 0},
    {" \n\t", tempconv::reading::ended, 0},
};

// Not numbers: out of range, incomplete, or with text glued to them, a NUL among it; packed, as
// short texts read best.
// clang-format off
const std::string refused_texts[] = {
    "1.7976931348623159e308", "1e400", ".", "-", "1e", "1e+", "25e", "inf", "nan", "--5",
    "25abc", "36,6", "0x10", "0x1p3", "1e5x", "12.5.3", "25\u00b0C", "2\0005"s,
    "1e18446744073709551616", "e5", ".e1", "-e3"};
// clang-format on

TEST(Reader, ReadsOneGrammarWithCorrectRounding) {
  for (const auto &c : reading_cases) {
    std::istringstream in(c.text);
    double value = -1;
    EXPECT_EQ(tempconv::read_temperature(in, value), c.expected) << c.text.substr(0, 40);
    if (c.expected == number) {
      EXPECT_EQ(value, c.value) << c.text.substr(0, 40);
    }
  }
  for (const auto &text : refused_texts) {
    std::istringstream in(text);
    double value = 0;
    EXPECT_EQ(tempconv::read_temperature(in, value), refused) << text;
  }
}

// Serves each text its count of times in turn, without holding more than one of each: a number
// longer than any memory would hold.
struct repeated_texts : std::streambuf {
  std::vector<std::pair<std::string, std::uint64_t>> texts;
  std::size_t at = 0;

  int_type underflow() override {
    for (; at < texts.size(); ++at) {
      auto &[text, count] = texts[at];
      if (count > 0 && !text.empty()) {
        --count;
        setg(text.data(), text.data(), text.data() + text.size());
        return traits_type::to_int_type(text.front());
      }
    }
    return traits_type::eof();
  }
};

// Past a thousand million digits, the point's place and the exponent still add up exactly.
TEST(Reader, ExactPastAThousandMillionDigits) {
  constexpr std::uint64_t zeros = 1'000'000'004;
  constexpr std::uint64_t block = 1 << 20;
  const std::pair<std::string, double> cases[] = {{"1|e-1000000000", 1e4}, {"0.|1e1000000005", 1}};
  for (const auto &[text, value] : cases) {
    const auto bar = text.find('|');
    repeated_texts in_buffer;
    in_buffer.texts = {{text.substr(0, bar), 1},
                       {std::string(block, '0'), zeros / block},
                       {std::string(zeros % block, '0'), 1},
                       {text.substr(bar + 1), 1}};
    std::istream in(&in_buffer);
    double read = 0;
    EXPECT_EQ(tempconv::read_temperature(in, read), number) << text;
    EXPECT_EQ(read, value) << text;
  }
}

TEST(Reader, LeavesWhatFollowsTheNumberUnread) {
  std::istringstream in("-0 rest");
  double value = 1;
  ASSERT_EQ(tempconv::read_temperature(in, value), number);
  EXPECT_TRUE(std::signbit(value));
  EXPECT_EQ(in.rdbuf()->sgetc(), ' ');
}

} // namespace
