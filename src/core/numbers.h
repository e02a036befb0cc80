#pragma once
// Numbers as the program handles them: real-to-integer conversion rounds half to even,
// 16-bit values are checked, and "numeric" text has one parser.

#include <QString>
#include <cstdint>
#include <optional>

namespace k52 {

// Nearest whole number, a half going to the even neighbour (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double v);

// Checked conversions; out-of-range values raise the overflow error (6).
int16_t toInt16(double v);
int16_t toInt16(int64_t v);
int32_t toInt32(double v);

// A decimal number with optional sign, one optional point and surrounding blanks
// (" -12.5 ", "+3", ".5", "7."). Nothing else is numeric.
std::optional<double> parseNumeric(const QString& text);
bool isNumeric(const QString& text);
// The value of a numeric text; any other text raises the type-mismatch error (13).
double numericValue(const QString& text);

// Numeric text to a 16-bit integer (halves to even), raising 13 or 6.
int16_t textToInt16(const QString& text);
// Numeric text to a 32-bit integer (halves to even), raising 13 or 6.
int32_t textToInt32(const QString& text);
// The value of a hexadecimal digit (0-9, A-F, a-f); -1 for any other character. Every
// hexadecimal text the program reads goes through this.
int hexDigit(QChar c);
// Hexadecimal text ("1FFF") to a 16-bit value 0 ... 0x7FFF, raising 13 or 6.
int16_t hexTextToInt16(const QString& text);

// Two upper-case hexadecimal digits of a byte ("05", "C7").
QString byteHex(uint8_t b);
// Four upper-case hexadecimal digits of an address ("0FF0"); a negative value shows as
// its low 16 bits.
QString hex4(int v);
// A text of decimal digits read as a whole number; raises 13 when it holds any other
// character (a byte text with a hexadecimal digit A-F, for example).
int64_t decimalDigitsValue(const QString& digits);

}  // namespace k52
