#include "core/numbers.h"

#include "core/k52error.h"

#include <array>
#include <cmath>
#include <limits>

namespace k52 {

double roundHalfEven(double v) { return std::nearbyint(v); }  // default FE_TONEAREST: ties to even

int16_t toInt16(double v) {
  const double r = roundHalfEven(v);
  if (!std::isfinite(r) || r < std::numeric_limits<int16_t>::min() || r > std::numeric_limits<int16_t>::max())
    raiseError(ErrOverflow, QStringLiteral("value does not fit 16 bits"));
  return static_cast<int16_t>(r);
}

int16_t toInt16(int64_t v) {
  if (v < std::numeric_limits<int16_t>::min() || v > std::numeric_limits<int16_t>::max())
    raiseError(ErrOverflow, QStringLiteral("value does not fit 16 bits"));
  return static_cast<int16_t>(v);
}

int32_t toInt32(double v) {
  const double r = roundHalfEven(v);
  if (!std::isfinite(r) || r < std::numeric_limits<int32_t>::min() || r > std::numeric_limits<int32_t>::max())
    raiseError(ErrOverflow, QStringLiteral("value does not fit 32 bits"));
  return static_cast<int32_t>(r);
}

std::optional<double> parseNumeric(const QString& text) {
  const QString t = text.trimmed();
  int i = 0;
  const int n = static_cast<int>(t.size());
  if (i < n && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-'))) ++i;
  int digits = 0, points = 0;
  for (; i < n; ++i) {
    const QChar c = t[i];
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
      ++digits;
    else if (c == QLatin1Char('.') && points == 0)
      ++points;
    else
      return std::nullopt;
  }
  if (digits == 0) return std::nullopt;
  bool ok = false;
  double v = t.toDouble(&ok);
  if (!ok) {
    // "7." and ".5" are numeric; QString::toDouble accepts both, but be safe.
    QString u = t;
    if (u.endsWith(QLatin1Char('.'))) u.chop(1);
    v = u.toDouble(&ok);
    if (!ok) return std::nullopt;
  }
  return v;
}

bool isNumeric(const QString& text) { return parseNumeric(text).has_value(); }

double numericValue(const QString& text) {
  const auto v = parseNumeric(text);
  if (!v) raiseError(ErrTypeMismatch, QStringLiteral("not a number: \"%1\"").arg(text));
  return *v;
}

int16_t textToInt16(const QString& text) { return toInt16(numericValue(text)); }
int32_t textToInt32(const QString& text) { return toInt32(numericValue(text)); }

int hexDigit(QChar c) {
  const char16_t u = c.unicode();
  if (u >= u'0' && u <= u'9') return u - u'0';
  if (u >= u'A' && u <= u'F') return u - u'A' + 10;
  if (u >= u'a' && u <= u'f') return u - u'a' + 10;
  return -1;
}

int16_t hexTextToInt16(const QString& text) {
  const QString t = text.trimmed();
  if (t.isEmpty()) raiseError(ErrTypeMismatch, QStringLiteral("empty hexadecimal text"));
  int64_t v = 0;
  for (const QChar c : t) {
    const int d = hexDigit(c);
    if (d < 0) raiseError(ErrTypeMismatch, QStringLiteral("not a hexadecimal number: \"%1\"").arg(text));
    v = v * 16 + d;
    if (v > 0x7FFF) raiseError(ErrOverflow, QStringLiteral("address above 7FFF: \"%1\"").arg(text));
  }
  return static_cast<int16_t>(v);
}

QString byteHex(uint8_t b) {
  // Made once: a decode asks for some thousand of these, and a copy of a ready text is
  // only a reference count.
  static const auto table = [] {
    std::array<QString, 256> t;
    for (int i = 0; i < 256; ++i) t[std::size_t(i)] = QStringLiteral("%1").arg(i, 2, 16, QLatin1Char('0')).toUpper();
    return t;
  }();
  return table[b];
}

QString hex4(int v) { return QStringLiteral("%1").arg(v & 0xFFFF, 4, 16, QLatin1Char('0')).toUpper(); }

int64_t decimalDigitsValue(const QString& digits) {
  if (digits.isEmpty()) raiseError(ErrTypeMismatch, QStringLiteral("empty number"));
  int64_t v = 0;
  for (const QChar c : digits) {
    if (c < QLatin1Char('0') || c > QLatin1Char('9'))
      raiseError(ErrTypeMismatch, QStringLiteral("not a decimal number: \"%1\"").arg(digits));
    if (v > (std::numeric_limits<int64_t>::max() - 9) / 10) raiseError(ErrOverflow, QStringLiteral("number too long"));
    v = v * 10 + (c.unicode() - '0');
  }
  return v;
}

}  // namespace k52
