#pragma once
// The radio's frequency bands: the eleven presets of the band list and the band record at
// 0FF0-0FF2 of the image, as plain values and pure functions.

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace k52 {

class MemoryImage;

struct BandPreset {
  int16_t index;
  const char* text;   // the list text, the same in every language
  int32_t lower;      // LowerLimit, 10 Hz units
  int32_t upper;      // UpperLimit: the band's top edge minus 5 kHz
};

inline constexpr int kBandPresetCount = 11;
inline constexpr int16_t kCustomBandIndex = 11;  // "Custom": the custom range dialog
inline constexpr int16_t kDefaultBandIndex = 5;  // "400 - 470 MHz", selected when the settings window loads
inline constexpr int32_t kUpperEdgeMargin = 500;  // UpperLimit = top edge - 5 kHz

// 120-520 MHz: what the custom range dialog falls back to for a range it cannot take.
inline constexpr int32_t kFallbackLowerLimit = 12000000;
inline constexpr int32_t kFallbackUpperLimit = 51999500;

inline constexpr std::array<BandPreset, kBandPresetCount> kBandPresets{{
    {0, "136 - 174 MHz", 13600000, 17399500},
    {1, "136 - 150 MHz", 13600000, 14999500},
    {2, "150 - 174 MHz", 15000000, 17399500},
    {3, "200 - 260 MHz", 20000000, 25999500},
    {4, "245 - 246 MHz", 24500000, 24599500},
    {5, "400 - 470 MHz", 40000000, 46999500},
    {6, "400 - 440 MHz", 40000000, 43999500},
    {7, "440 - 480 MHz", 44000000, 47999500},
    {8, "470 - 520 MHz", 47000000, 51999500},
    {9, "400 - 520 MHz", 40000000, 51999500},
    {10, "120 - 520 MHz", 12000000, 51999500},
}};

struct BandLimits {
  int32_t lower;
  int32_t upper;
  bool operator==(const BandLimits&) const = default;
};

// The three band bytes for 0FF0, 0FF1, 0FF2: both limits in whole MHz (halves to the even
// neighbour, so 519.995 is 520), hundreds and tens of each as BCD nibbles, then the two
// units digits. A limit whose MHz value does not fit the record raises the overflow error.
std::array<uint8_t, 3> encodeBandBytes(int32_t lowerLimit, int32_t upperLimit);

// The band edges recorded in the image's 0FF0-0FF2, in 10 Hz units (whole MHz; the upper
// one is the true edge, 17400000, not UpperLimit). An image that ends below 0FF3 raises
// the bounds error.
BandLimits decodeBandBytes(const MemoryImage& image);

// Index 0-10 of the first preset whose edges are (lower, upper) (upper being the true
// edge), or kCustomBandIndex when none matches.
int16_t presetIndexOf(int32_t lower, int32_t upper);

// The list index the band bytes of the image select; raises what decoding raises.
int16_t bandIndexOfImage(const MemoryImage& image);

// What the custom range dialog makes of its two boxes when OK is clicked: the limits of a
// valid range (both numeric, 120-520 MHz, min <= max), std::nullopt for any other texts.
std::optional<BandLimits> customRangeFromTexts(const QString& minText, const QString& maxText);

}  // namespace k52
