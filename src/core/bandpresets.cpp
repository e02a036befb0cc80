#include "core/bandpresets.h"

#include "core/k52error.h"
#include "core/addressmap.h"
#include "core/byteview.h"
#include "core/memoryimage.h"
#include "core/numbers.h"

namespace k52 {

namespace {

constexpr int32_t kUnitsPerMhz = 100000;

// A limit in whole MHz, halves to the even neighbour (173.995 -> 174, 135.5 -> 136).
int wholeMhz(int32_t limit) { return toInt16(static_cast<double>(limit) / kUnitsPerMhz); }

uint8_t checkedByte(int v) {
  if (v < 0 || v > 0xFF) raiseError(ErrOverflow, QStringLiteral("band edge does not fit the band record"));
  return static_cast<uint8_t>(v);
}

}  // namespace

std::array<uint8_t, 3> encodeBandBytes(int32_t lowerLimit, int32_t upperLimit) {
  const int l = wholeMhz(lowerLimit);
  const int u = wholeMhz(upperLimit);
  return {checkedByte((l / 100) * 16 + (l % 100) / 10), checkedByte((u / 100) * 16 + (u % 100) / 10),
          checkedByte((l % 10) * 16 + (u % 10))};
}

BandLimits decodeBandBytes(const MemoryImage& image) {
  // Hundreds and tens of MHz of each edge in the first two bytes, the units of both in the third.
  const ByteView view(image);
  const int lowerHundreds = view.field(addr::kBand, 0xF0), lowerTens = view.field(addr::kBand, 0x0F);
  const int upperHundreds = view.field(addr::kBand + 1, 0xF0), upperTens = view.field(addr::kBand + 1, 0x0F);
  const int lowerUnits = view.field(addr::kBand + 2, 0xF0), upperUnits = view.field(addr::kBand + 2, 0x0F);
  return {(lowerHundreds * 1000 + lowerTens * 100 + lowerUnits * 10) * 10000,
          (upperHundreds * 1000 + upperTens * 100 + upperUnits * 10) * 10000};
}

int16_t presetIndexOf(int32_t lower, int32_t upper) {
  for (const BandPreset& p : kBandPresets)
    if (p.lower == lower && p.upper + kUpperEdgeMargin == upper) return p.index;
  return kCustomBandIndex;
}

int16_t bandIndexOfImage(const MemoryImage& image) {
  const BandLimits edges = decodeBandBytes(image);
  return presetIndexOf(edges.lower, edges.upper);
}

std::optional<BandLimits> customRangeFromTexts(const QString& minText, const QString& maxText) {
  if (!isNumeric(minText) || !isNumeric(maxText)) return std::nullopt;
  int32_t min = 0, max = 0;
  try {
    min = toInt32(numericValue(minText) * kUnitsPerMhz);
    max = toInt32(numericValue(maxText) * kUnitsPerMhz);
  } catch (const K52Error&) {
    return std::nullopt;  // too large to convert: the dialog falls back as for any bad range
  }
  constexpr int32_t kMin = 120 * kUnitsPerMhz, kMax = 520 * kUnitsPerMhz;
  if (min < kMin || min > kMax || max < kMin || max > kMax || min > max) return std::nullopt;
  return BandLimits{min, max - kUpperEdgeMargin};
}

}  // namespace k52
