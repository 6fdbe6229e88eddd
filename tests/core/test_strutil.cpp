#include "core/Strutil.h"
#include "core/Tmy_string.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

namespace {
struct Decimal {
    bool failed;
    double value;
};
Decimal dec(const char* text) {
    double value = -1;
    const bool failed = readDecimal(text, &value);
    return {failed, value};
}
struct Integer {
    bool failed;
    std::int32_t value;
};
Integer integer(const char* text, int count = 0) {
    std::int32_t value = -1;
    const bool failed = readInteger(text, &value, count);
    return {failed, value};
}
} // namespace

TEST(ReadDecimal, AcceptsSignsBlanksAndExponents) {
    EXPECT_FALSE(dec("1013.25").failed);
    EXPECT_DOUBLE_EQ(dec("1013.25").value, 1013.25);
    EXPECT_DOUBLE_EQ(dec(" - 2.5 ").value, -2.5);
    EXPECT_DOUBLE_EQ(dec("1.5e2").value, 150);
    EXPECT_DOUBLE_EQ(dec("2E-1").value, 0.2);
    EXPECT_DOUBLE_EQ(dec("5-").value, -5);
    EXPECT_DOUBLE_EQ(dec("-+5").value, 5);
    EXPECT_DOUBLE_EQ(dec("1 2.5").value, 12.5);
    EXPECT_DOUBLE_EQ(dec("1.2.3").value, 1.23); // a second "." changes nothing
    EXPECT_DOUBLE_EQ(dec("1e0.5").value, std::pow(10.0, 0.5));
    EXPECT_DOUBLE_EQ(dec("1.25e0.5").value, 1.25 * std::pow(10.0, 0.5)); // digits restart
    EXPECT_DOUBLE_EQ(dec("-2e-1").value, -0.2);
    EXPECT_DOUBLE_EQ(dec("2e1-").value, 0.2); // the exponent's own sign, wherever it stands
    EXPECT_DOUBLE_EQ(dec("-2e+1").value, -20);
    EXPECT_DOUBLE_EQ(dec("\t7\t").value, 7);
}

TEST(ReadDecimal, DeliversTheLeadingValueOnFailure) {
    EXPECT_TRUE(dec("12,5").failed);
    EXPECT_DOUBLE_EQ(dec("12,5").value, 12);
    EXPECT_FALSE(dec("").failed);
    EXPECT_DOUBLE_EQ(dec("").value, 0);
    EXPECT_TRUE(dec("abc").failed);
    EXPECT_DOUBLE_EQ(dec("abc").value, 0);
    EXPECT_TRUE(dec(nullptr).failed);
    EXPECT_DOUBLE_EQ(dec(nullptr).value, 0);
    EXPECT_TRUE(readDecimal("3x", nullptr));
}

// A text whose value a double cannot hold is no number: the reader says so, and still delivers
// what it computed.
TEST(ReadDecimal, ValuesBeyondADoubleFail) {
    EXPECT_FALSE(dec("1e308").failed);
    EXPECT_DOUBLE_EQ(dec("1e308").value, 1e308);
    EXPECT_FALSE(dec("1e-400").failed); // underflows to 0, which is a number
    EXPECT_TRUE(dec("1e999").failed);
    EXPECT_TRUE(std::isinf(dec("1e999").value));
    EXPECT_TRUE(dec("-1e999").failed);
    const std::string hugeTimesTiny = std::string(400, '9') + "e-400";
    EXPECT_TRUE(dec(hugeTimesTiny.c_str()).failed);
    EXPECT_TRUE(std::isnan(dec(hugeTimesTiny.c_str()).value));
}

TEST(ReadInteger, ReadsLenientlyIn32Bits) {
    EXPECT_EQ(integer("+42").value, 42);
    EXPECT_FALSE(integer("4 2").failed);
    EXPECT_EQ(integer("4 2").value, 42);
    EXPECT_TRUE(integer("42x").failed);
    EXPECT_EQ(integer("42x").value, 42);
    EXPECT_EQ(integer("-7-").value, -7);
    EXPECT_EQ(integer("--").value, 0);
    EXPECT_TRUE(integer(nullptr).failed);
    EXPECT_EQ(integer(nullptr).value, 0);
    EXPECT_EQ(integer("4294967297").value, 1); // wraps like 32-bit arithmetic
    EXPECT_FALSE(integer("12ab", 2).failed);
    EXPECT_EQ(integer("12ab", 2).value, 12);
    EXPECT_TRUE(integer("1a", 2).failed);
}

TEST(CopyBounded, CopiesOnlyWhatFits) {
    char dest[40] = "old";
    EXPECT_EQ(copyBounded(dest, "COM3", 32), 4);
    EXPECT_STREQ(dest, "COM3");
    const std::string source32(32, 'c');
    EXPECT_EQ(copyBounded(dest, source32.c_str(), 32), 0);
    EXPECT_STREQ(dest, "");
    std::strcpy(dest, "old");
    EXPECT_EQ(copyBounded(dest, nullptr, 32), 0);
    EXPECT_STREQ(dest, "");
    EXPECT_EQ(copyBounded(nullptr, "x", 32), 0);
    std::strcpy(dest, "old");
    EXPECT_EQ(copyBounded(dest, "x", 0), 0);
    EXPECT_STREQ(dest, "old"); // nothing may be written with size 0
}

TEST(MyString, GrowsInStepsOf128) {
    Tmy_string s;
    EXPECT_STREQ(s.c_str(), "");
    EXPECT_EQ(s.getCapacity(), 0);
    for (int i = 0; i < 127; ++i)
        s.append('a');
    EXPECT_EQ(s.getCapacity(), 128);
    s.append('b');
    EXPECT_EQ(s.getCapacity(), 256);
    EXPECT_EQ(s.getLength(), 128);
    EXPECT_EQ(std::string(s.c_str()), std::string(127, 'a') + "b");
}

TEST(MyString, AppendsTextsWholeOrByCount) {
    Tmy_string s;
    s.append("hello", 0);
    s.append(", world!", 7);
    s.append(nullptr);
    s.append("");
    EXPECT_STREQ(s.c_str(), "hello, world");
    const std::string big(300, 'z');
    s.append(big.c_str());
    EXPECT_EQ(s.getCapacity(), 12 + 300 + 1);
    EXPECT_EQ(s.getLength(), 312);
    s.clear();
    EXPECT_STREQ(s.c_str(), "");
    EXPECT_EQ(s.getCapacity(), 0);
}
