#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/language/values.h"

using namespace platform;

namespace {

int ErrorOf(auto&& action)
{
    try {
        action();
    } catch (const RuntimeError& error) {
        return error.Number();
    }
    return 0;
}

}  // namespace

TEST(Integer, SumsAndProductsAreCheckedAndAnOverflowStoresNothing)
{
    Integer score = 32760;
    EXPECT_EQ(ErrorOf([&] { score = score + 10; }), 6);
    EXPECT_EQ(score, 32760);
    EXPECT_EQ(ErrorOf([&] { score = score * 2; }), 6);
    EXPECT_EQ(ErrorOf([] { return Integer(-32768) - 1; }), 6);
    EXPECT_EQ(ErrorOf([] { return -Integer(-32768); }), 6);
    EXPECT_EQ(ErrorOf([] { return Integer(40000); }), 6);
    EXPECT_EQ(Integer(32757) + 10, 32767);
    EXPECT_EQ(Integer(3) * 28, 84);
}

TEST(Integer, ComplementIsMinusValueMinusOne)
{
    EXPECT_EQ(Not(Integer(3)), -4);
    EXPECT_EQ(Not(Integer(-4)), 3);
    EXPECT_EQ(Not(Integer(0)), -1);
    EXPECT_EQ(Not(Integer(-32768)), 32767);
    EXPECT_EQ(Str(Integer(-1250)), "-1250");
    EXPECT_EQ(Str(Integer(32760)), "32760");
}

TEST(Conversions, BlockTransferCoordinatesRoundHalfToEven)
{
    EXPECT_EQ(CLng(300.5), 300);
    EXPECT_EQ(CLng(301.5), 302);
    EXPECT_EQ(CLng(174.5), 174);
    EXPECT_EQ(CLng(-2.5), -2);
    EXPECT_EQ(CLng(-3.5), -4);
    EXPECT_EQ(CLng(200.49), 200);
    EXPECT_EQ(CLng(2147483647.0), 2147483647);
    EXPECT_EQ(ErrorOf([] { return CLng(2147483648.0); }), 6);
    EXPECT_EQ(ErrorOf([] { return CLng(std::nan("")); }), 6);
    EXPECT_EQ(ErrorOf([] { return CInt(32767.5); }), 6);
    EXPECT_EQ(CInt(32766.5), 32766);
}

TEST(Conversions, SpeedsFloorTowardMinusInfinity)
{
    EXPECT_EQ(CInt(Int(0.0 * 5 + 1)), 1);
    EXPECT_EQ(CInt(Int(0.99999 * 5 + 1)), 5);
    EXPECT_EQ(CInt(Int(0.99999 * 7 + 3)), 9);
    EXPECT_EQ(CInt(Int(-0.5)), -1);
    // The largest number the generator gives still draws the top speeds, not
    // one above: the formula is evaluated in 64 bits.
    const Single largest = 16777215.0F / 16777216.0F;
    EXPECT_EQ(CInt(Int(Double{largest} * 5 + 1)), 5);
    EXPECT_EQ(CInt(Int(Double{largest} * 7 + 3)), 9);
    EXPECT_EQ(ErrorOf([] { return Int(std::numeric_limits<double>::infinity()); }), 6);
}

TEST(Conversions, SingleRoundingRaisesInsteadOfOverflowing)
{
    EXPECT_EQ(CSng(232.0 + 10), 242.0F);
    // A 64-bit value is rounded to 32 bits before it is compared.
    EXPECT_EQ(CSng(0.1), 0.1F);
    EXPECT_EQ(ErrorOf([] { return CSng(1e39); }), 6);
    EXPECT_EQ(ErrorOf([] { return CSng(-std::numeric_limits<double>::infinity()); }), 6);
}

TEST(Array, IndexOutsideRaisesSubscriptOutOfRange)
{
    Array<Integer, 5> speeds;
    speeds(4) = 9;
    EXPECT_EQ(speeds(4), 9);
    EXPECT_EQ(ErrorOf([&] { return speeds(5); }), 9);
    EXPECT_EQ(ErrorOf([&] { return speeds(-1); }), 9);
}
