#include "errlog/k52error.h"
#include "image/numbers.h"

#include <gtest/gtest.h>

using namespace k52;

namespace {
int errorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const K52Error& e) {
    return e.number();
  }
  return 0;
}
}  // namespace

TEST(Numbers, RoundingGoesHalfToEven) {
  EXPECT_EQ(roundHalfEven(2.5), 2);
  EXPECT_EQ(roundHalfEven(3.5), 4);
  EXPECT_EQ(roundHalfEven(-2.5), -2);
  EXPECT_EQ(roundHalfEven(173.995 * 100000 / 100000), 174);
  EXPECT_EQ(textToInt16(QStringLiteral(" 0.5 ")), 0);
  EXPECT_EQ(textToInt16(QStringLiteral("1.5")), 2);
  EXPECT_EQ(textToInt32(QStringLiteral("135.5")), 136);
  EXPECT_EQ(textToInt32(QStringLiteral("150.5")), 150);
}

TEST(Numbers, NumericTextIsSignPointDigitsAndBlanksOnly) {
  for (const char* ok : {"0", " -12.5 ", "+3", ".5", "7.", "00012"}) EXPECT_TRUE(isNumeric(QString::fromLatin1(ok))) << ok;
  for (const char* bad : {"", " ", "-", ".", "1e3", "1,5", "0x10", "1.2.3", "12a", "&H1F", "--1"})
    EXPECT_FALSE(isNumeric(QString::fromLatin1(bad))) << bad;
  EXPECT_EQ(errorOf([] { textToInt16(QStringLiteral("abc")); }), ErrTypeMismatch);
}

TEST(Numbers, SixteenBitConversionsAreChecked) {
  EXPECT_EQ(textToInt16(QStringLiteral("32767")), 32767);
  EXPECT_EQ(textToInt16(QStringLiteral("-32768")), -32768);
  EXPECT_EQ(errorOf([] { textToInt16(QStringLiteral("32767.5")); }), ErrOverflow);
  EXPECT_EQ(errorOf([] { textToInt16(QStringLiteral("99999")); }), ErrOverflow);
  EXPECT_EQ(errorOf([] { toInt16(int64_t{40000}); }), ErrOverflow);
}

TEST(Numbers, AddressTextIsHexadecimalUpTo7FFF) {
  EXPECT_EQ(hexTextToInt16(QStringLiteral("1FFF")), 8191);
  EXPECT_EQ(hexTextToInt16(QStringLiteral("0000")), 0);
  EXPECT_EQ(hexTextToInt16(QStringLiteral("7fff")), 0x7FFF);
  EXPECT_EQ(errorOf([] { hexTextToInt16(QStringLiteral("8000")); }), ErrOverflow);
  EXPECT_EQ(errorOf([] { hexTextToInt16(QStringLiteral("12G4")); }), ErrTypeMismatch);
  EXPECT_EQ(errorOf([] { hexTextToInt16(QString()); }), ErrTypeMismatch);
}

TEST(Numbers, ByteTextsAndTheirDecimalReading) {
  EXPECT_EQ(byteHex(0x05), QStringLiteral("05"));
  EXPECT_EQ(byteHex(0xC7), QStringLiteral("C7"));
  EXPECT_EQ(decimalDigitsValue(QStringLiteral("17399500")), 17399500);
  EXPECT_EQ(errorOf([] { decimalDigitsValue(QStringLiteral("1A000000")); }), ErrTypeMismatch);
}
