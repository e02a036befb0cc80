#pragma once
// Where everything lives in the radio's 8 KB configuration memory. Every codec takes its
// addresses from here; the checks below keep the regions inside the memory and apart.

#include <cstdint>

namespace k52::addr {

inline constexpr int kMemorySize = 0x2000;  // 0000-1FFF
// The memory viewer's and the transfers' default range: the whole memory.
inline constexpr int kFirstAddress = 0x0000;
inline constexpr int kLastAddress = kMemorySize - 1;
inline constexpr int kMaxChannels = 260;    // rows of the channel table
inline constexpr int kChannelRecord = 0x0000;
inline constexpr int kChannelRecordSize = 16;
inline constexpr int kNameExtension = 0x0C70;  // name characters 4 and 5
inline constexpr int kNameExtensionSize = 2;
inline constexpr int kRecordsBelowNameExt = kNameExtension / kChannelRecordSize;  // 199

inline constexpr int kOptionBits = 0x0E10;  // 0E10-0E12
inline constexpr int kOptBits0 = 0x0E10;
inline constexpr int kOptBits1 = 0x0E11;
inline constexpr int kOptBits2 = 0x0E12;
inline constexpr int kSquelch = 0x0E13;
inline constexpr int kTotStep = 0x0E14;
inline constexpr int kVoxLevel = 0x0E15;
inline constexpr int kVoxDelay = 0x0E16;
inline constexpr int kWriteLimitedByte = 0x0E17;  // kept at most 4 by the write command
inline constexpr int kFmChannel = 0x0E19;
inline constexpr int kFmSquelch = 0x0E1A;
inline constexpr int kPowerOnMsg = 0x0E1B;  // 0E1B-0E1F
inline constexpr int kPowerOnMsgSize = 5;
inline constexpr int kFmStations = 0x0E60;  // 25 x 4 bytes
inline constexpr int kFmStationCount = 25;
inline constexpr int kFmStationSize = 4;
inline constexpr int kOptionTrailer = 0x0EC4;  // 0EC4-0EC7, FF FF FF FF on every encode
inline constexpr int kOptionTrailerSize = 4;
// The radio's own area, cleared to FF by every write: 0F80-0F8F, then 0F90-0F91.
inline constexpr int kRadioArea = 0x0F80;
inline constexpr int kRadioAreaSize = 16;
inline constexpr int kRadioAreaTail = 0x0F90;
inline constexpr int kRadioAreaTailSize = 2;
inline constexpr int kLastWriteDate = 0x0F92;  // 0F92-0F94: year within the century, month, day
inline constexpr int kLastWriteDateSize = 3;
inline constexpr int kSoftVersion = 0x0F98;    // 0F98-0F9A: version nibbles, year/month nibbles, day
inline constexpr int kSoftVersionSize = 3;
inline constexpr int kBand = 0x0FF0;           // 0FF0-0FF2
inline constexpr int kBandSize = 3;

constexpr int channelRecord(int n) { return kChannelRecord + kChannelRecordSize * (n - 1); }
constexpr int nameExtension(int n) { return kNameExtension + kNameExtensionSize * (n - 1); }

static_assert(channelRecord(kRecordsBelowNameExt + 1) == kNameExtension,
              "channel records 1-199 end just below the name extension");
static_assert(nameExtension(kRecordsBelowNameExt) + kNameExtensionSize <= kOptionBits,
              "the name extensions of channels 1-199 lie below the option area");
static_assert(kOptionBits + 3 == kSquelch && kVoxDelay + 1 == kWriteLimitedByte);
static_assert(kPowerOnMsg + kPowerOnMsgSize <= kFmStations);
static_assert(kFmStations + kFmStationCount * kFmStationSize <= kOptionTrailer);
static_assert(kOptionTrailer + kOptionTrailerSize <= kRadioArea);
static_assert(kRadioArea + kRadioAreaSize == kRadioAreaTail);
static_assert(kRadioAreaTail + kRadioAreaTailSize == kLastWriteDate);
static_assert(kLastWriteDate + kLastWriteDateSize <= kSoftVersion && kSoftVersion + kSoftVersionSize <= kBand);
static_assert(kBand + kBandSize <= kMemorySize);
static_assert(kWriteLimitedByte < kFmChannel && kFmSquelch + 1 == kPowerOnMsg);

}  // namespace k52::addr
