#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>

#include "base/number_text.hpp"

namespace morvkit {
namespace {

TEST(FormatNumber, WritesTheShortestTextThatReadsBack) {
    EXPECT_EQ(format_number(0.1), "0.1");
    EXPECT_EQ(format_number(440), "440");
    EXPECT_EQ(format_number(-2.5), "-2.5");
    EXPECT_EQ(format_number(1e-300), "1e-300");
    EXPECT_EQ(format_number(0.1 + 0.2), "0.30000000000000004");
}

TEST(FormatNumber, EveryDoubleSurvivesTheRoundTrip) {
    std::mt19937_64 bits(7);
    for (int i = 0; i < 20000; ++i) {
        const std::uint64_t raw = bits();
        double value;
        std::memcpy(&value, &raw, sizeof value);
        if (!std::isfinite(value))
            continue;
        const std::string text = format_number(value);
        EXPECT_EQ(std::strtod(text.c_str(), nullptr), value) << text;
    }
    const double extremes[] = {std::numeric_limits<double>::denorm_min(),
                               std::numeric_limits<double>::max(),
                               std::numeric_limits<double>::lowest(), -0.0};
    for (double value : extremes) {
        const double back = std::strtod(format_number(value).c_str(), nullptr);
        EXPECT_EQ(back, value);
        EXPECT_EQ(std::signbit(back), std::signbit(value));
    }
}

TEST(FormatNumber, NamesTheNonFiniteValues) {
    EXPECT_EQ(format_number(std::numeric_limits<double>::quiet_NaN()), "nan");
    EXPECT_EQ(format_number(std::numeric_limits<double>::infinity()), "inf");
    EXPECT_EQ(format_number(-std::numeric_limits<double>::infinity()), "-inf");
}

}  // namespace
}  // namespace morvkit
