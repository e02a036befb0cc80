#include "core/configuration.h"

#include "core/addressmap.h"
#include "core/byteview.h"
#include "core/tonecodes.h"
#include "core/numbers.h"

#include <algorithm>
#include <exception>
#include <new>
#include <stdexcept>

namespace k52 {

namespace {

// Offsets inside a channel record.
constexpr int kRx = 0;       // 0-3: RX frequency, BCD, least significant byte first
constexpr int kTx = 4;       // 4-7: TX frequency
constexpr int kDecode = 8;   // 8 low, 9 high: decode tone
constexpr int kEncode = 10;  // 10 low, 11 high: encode tone
constexpr int kFlags = 12;   // flag byte
constexpr int kName = 13;    // 13-15: name characters 1-3
constexpr int kNameInRecord = 3;
static_assert(kName + kNameInRecord == addr::kChannelRecordSize);
static_assert(kNameInRecord + addr::kNameExtensionSize == kNameLength);
static_assert(addr::kPowerOnMsgSize == kNameLength);

// Flag byte bits; bits 0, 4, 6 and 7 belong to the radio and pass through.
constexpr uint8_t kNarrow = 0x20;
constexpr uint8_t kScanAdd = 0x08;
constexpr uint8_t kPowerMask = 0x06;
constexpr uint8_t kPowerMiddle = 0x02;
constexpr uint8_t kPowerLow = 0x04;

// An RX frequency is only taken when its top byte lies in 11 ... 99 (110 MHz up).
constexpr uint8_t kRxTopAbove = 0x10;
constexpr uint8_t kBcdMax = 0x99;
constexpr uint8_t kErased = 0xFF;
constexpr int kFrequencyBytes = 4;
constexpr int32_t kFmDigitsScale = 10000;  // 100 kHz units <-> 10 Hz digits in the image

constexpr const char* kDecodeChannels = "modChMem->IicDatToChInfo";
constexpr const char* kDecodeOptions = "modSysSet->SaveToOptSel";
constexpr const char* kEncodeOptions = "modSysSet->OptSelToSave";
constexpr const char* kSplitDigits = "modChMem->SeparateFreChar";

// Runs body; a failure becomes a problem under `procedure`, as the error log would record it.
template <class Body>
bool attempt(Problems& problems, const char* procedure, int channel, ChannelPart part, Body&& body) {
  auto add = [&](int number, const QString& source) { problems.push_back({procedure, number, source, channel, part}); };
  try {
    body();
    return true;
  } catch (const K52Error& e) {
    add(e.number(), e.source());
  } catch (const std::bad_alloc&) {
    add(ErrOutOfMemory, QString::fromLatin1(kErrSource));
  } catch (const std::out_of_range&) {
    add(ErrBounds, QString::fromLatin1(kErrSource));
  } catch (...) {
    add(ErrInvalidCall, QString::fromLatin1(kErrSource));
  }
  return false;
}

// Two tone bytes to a list index: both must be set, else none. A failed look-up is none too.
int32_t decodeTone(const MemoryImage& image, int low, const CodecTables& t, Problems& problems, int n,
                   ChannelPart part) {
  const uint16_t code = ByteView(image).le16(low);
  const auto lo = static_cast<uint8_t>(code & 0xFF);
  const auto hi = static_cast<uint8_t>(code >> 8);
  if (lo == kErased || hi == kErased) return 0;
  int32_t index = 0;
  attempt(problems, "modChMem->QtDqtIndex", n, part,
          [&] { index = toneIndexOfCode(t.tones, t.toneMax, byteHex(hi) + byteHex(lo)); });
  return index;
}

// A frequency into four BCD bytes: -1 erases them. A value of more than eight digits keeps
// its first eight and a negative one leaves the bytes alone; both are problems.
void encodeFrequency(int32_t value, int base, MemoryImage& image, Problems& problems, int n, ChannelPart part) {
  ByteEditor bytes(image);
  if (value == -1) {
    bytes.fill(base, kFrequencyBytes, kErased);
    return;
  }
  if (value < 0) {
    problems.push_back({kSplitDigits, ErrTypeMismatch, QString::fromLatin1(kErrSource), n, part});
    return;
  }
  int64_t digits = value;
  if (digits > 99999999) {
    while (digits > 99999999) digits /= 10;
    problems.push_back({kSplitDigits, ErrBounds, QString::fromLatin1(kErrSource), n, part});
  }
  bytes.setBcd(base, kFrequencyBytes, digits);
}

// A list index into two tone bytes; an index without an image code leaves both as they were.
void encodeTone(int32_t index, int low, const CodecTables& t, MemoryImage& image) {
  ByteEditor bytes(image);
  if (index == -1) {
    bytes.fill(low, 2, kErased);
    return;
  }
  const QString& code = t.tones.IicCode(index);
  if (code.size() != 4) raiseError(ErrBounds, QStringLiteral("tone %1 has no image code").arg(index));
  int value = 0;
  for (const QChar c : code) {
    const int d = hexDigit(c);
    if (d < 0) raiseError(ErrTypeMismatch, QStringLiteral("not a hexadecimal pair: \"%1\"").arg(code));
    value = value * 16 + d;
  }
  bytes.setLe16(low, static_cast<uint16_t>(value));
}

// A value that must fit a byte of the image; anything else is an overflow.
uint8_t checkedByte(int v) {
  if (v < 0 || v > 0xFF) raiseError(ErrOverflow, QStringLiteral("%1 does not fit a byte").arg(v));
  return static_cast<uint8_t>(v);
}

int16_t decodeField(const ByteView& view, const OptionField& f, int16_t fallback) {
  if (f.storage != OptStorage::Bits) {
    const int16_t v = view.byte(f.address);
    if (f.storage == OptStorage::ClampedByte) return v >= f.limit ? f.limit : v;
    return v > f.limit ? fallback : v;
  }
  const uint8_t m = view.bits(f.address, f.mask);
  if (m == 0) return 0;
  if (m == f.one) return 1;
  if (f.two != 0 && m == f.two) return 2;
  return f.otherIsOne ? 1 : 0;
}

uint8_t bitPattern(const OptionField& f, int16_t v) {
  if (v == 1) return f.one;
  if (v == 2) return f.two;
  return v != 0 && f.otherIsOne ? f.one : 0;
}

int fmStationAddress(int station) { return addr::kFmStations + addr::kFmStationSize * station; }

int16_t decodeFmStation(const MemoryImage& image, int station, Problems& problems) {
  const int base = fmStationAddress(station);
  const ByteView view(image);
  const QString digits = view.bcdDigits(base, addr::kFmStationSize);
  for (int j = addr::kFmStationSize - 1; j >= 0; --j)
    if (view.byte(base + j) > kBcdMax) return 0;
  // A digit A-F is no frequency: the station is a problem and empty.
  int64_t value = 0;
  if (!attempt(problems, kDecodeOptions, 0, ChannelPart::None,
               [&] { value = decimalDigitsValue(digits) / kFmDigitsScale; }))
    return 0;
  return value >= kFmLowest && value <= kFmHighest ? static_cast<int16_t>(value) : 0;
}

}  // namespace

unsigned decodeChannel(const MemoryImage& image, int n, const CodecTables& t, Channel& ch, Problems& problems) {
  const int a = addr::channelRecord(n);
  const ByteView view(image);
  const uint8_t top = view.byte(a + kRx + 3);
  bool valid = top > kRxTopAbove && top <= kBcdMax;
  if (valid) {
    // A byte with a digit A-F passes the range test but is no number: the channel is a
    // problem and empty. A channel outside the band stays as it is.
    valid = attempt(problems, kDecodeChannels, n, ChannelPart::Record, [&] { (void)view.bcd(a + kRx, kFrequencyBytes); });
  }
  unsigned failed = 0;
  const auto step = [&](const char* name, ChannelPart part, auto&& body) {
    if (!attempt(problems, name, n, part, body)) failed |= 1u << static_cast<unsigned>(part);
  };
  step("modChMem->IcChParaSol", ChannelPart::Options, [&] {
    const uint8_t flags = view.byte(a + kFlags);
    const int e = addr::nameExtension(n);
    NameCodes name{};
    for (int i = 0; i < kNameInRecord; ++i) name[static_cast<size_t>(i)] = view.byte(a + kName + i);
    for (int i = 0; i < addr::kNameExtensionSize; ++i) name[static_cast<size_t>(kNameInRecord + i)] = view.byte(e + i);
    ch.narrow = (flags & kNarrow) != 0;
    ch.scanAdd = (flags & kScanAdd) != 0;
    const uint8_t power = flags & kPowerMask;
    ch.power = power == kPowerMiddle ? Power::Middle : power == kPowerLow ? Power::Low : Power::High;
    ch.name = name;
  });
  if (!valid) {
    ch.rx = -1;
    ch.tx = -1;
    ch.decodeTone = 0;
    ch.encodeTone = 0;
    return failed;
  }
  step("modChMem->IcRxFreSol", ChannelPart::Rx,
       [&] { ch.rx = static_cast<int32_t>(view.bcd(a + kRx, kFrequencyBytes)); });
  step("modChMem->IcTxFreSol", ChannelPart::Tx, [&] {
    const uint8_t txTop = view.byte(a + kTx + 3);
    int32_t tx = -1;
    if (txTop <= kBcdMax && txTop != 0) {
      // A digit A-F in the lower bytes is a problem and no TX frequency.
      if (!attempt(problems, "modChMem->IcTxFreSol", n, ChannelPart::Tx,
                   [&] { tx = static_cast<int32_t>(view.bcd(a + kTx, kFrequencyBytes)); }))
        tx = -1;
    }
    ch.tx = tx;
  });
  step("modChMem->IcCtdcsDecSol", ChannelPart::DecodeTone,
       [&] { ch.decodeTone = decodeTone(image, a + kDecode, t, problems, n, ChannelPart::DecodeTone); });
  step("modChMem->IcCtdcsEncSol", ChannelPart::EncodeTone,
       [&] { ch.encodeTone = decodeTone(image, a + kEncode, t, problems, n, ChannelPart::EncodeTone); });
  return failed;
}

void encodeChannel(const Channel& ch, int n, const CodecTables& t, MemoryImage& image, Problems& problems) {
  const int a = addr::channelRecord(n);
  attempt(problems, "modChMem->CiChParaSol", n, ChannelPart::Options, [&] {
    const int e = addr::nameExtension(n);
    ByteEditor bytes(image);
    const uint8_t power = ch.power == Power::Middle ? kPowerMiddle : ch.power == Power::Low ? kPowerLow : 0;
    bytes.setBits(a + kFlags, kNarrow | kScanAdd | kPowerMask,
                  static_cast<uint8_t>((ch.narrow ? kNarrow : 0) | (ch.scanAdd ? kScanAdd : 0) | power));
    for (int i = 0; i < kNameInRecord; ++i) bytes.set(a + kName + i, ch.name[static_cast<size_t>(i)]);
    for (int i = 0; i < addr::kNameExtensionSize; ++i) bytes.set(e + i, ch.name[static_cast<size_t>(kNameInRecord + i)]);
  });
  attempt(problems, "modChMem->CiRxFreSol", n, ChannelPart::Rx,
          [&] { encodeFrequency(ch.rx, a + kRx, image, problems, n, ChannelPart::Rx); });
  attempt(problems, "modChMem->CiTxFreSol", n, ChannelPart::Tx,
          [&] { encodeFrequency(ch.tx, a + kTx, image, problems, n, ChannelPart::Tx); });
  attempt(problems, "modChMem->CiCtdcsDecSol", n, ChannelPart::DecodeTone,
          [&] { encodeTone(ch.decodeTone, a + kDecode, t, image); });
  attempt(problems, "modChMem->CiCtdcsEncSol", n, ChannelPart::EncodeTone,
          [&] { encodeTone(ch.encodeTone, a + kEncode, t, image); });
}

void decodeOptions(const MemoryImage& image, const CodecTables& t, RadioOptions& options, FmStations& fm,
                   Problems& problems) {
  attempt(problems, kDecodeOptions, 0, ChannelPart::None, [&] {
    const ByteView view(image);
    // Byte options first, then the message, the bit options and the stations.
    for (const OptionField& f : kOptionFields)
      if (f.storage != OptStorage::Bits) options[f.entry] = decodeField(view, f, t.optionDefaults(f.entry));
    for (int i = 0; i < kNameLength; ++i) options.powerOnMessage[static_cast<size_t>(i)] = view.byte(addr::kPowerOnMsg + i);
    for (const OptionField& f : kOptionFields)
      if (f.storage == OptStorage::Bits) options[f.entry] = decodeField(view, f, 0);
    for (int i = 0; i < addr::kFmStationCount; ++i) fm[static_cast<size_t>(i)] = decodeFmStation(image, i, problems);
  });
}

Encoded encodeOptions(const RadioOptions& options, const FmStations& fm, const BandLimits& band,
                      const CodecTables& t, MemoryImage& image) {
  Encoded out;
  attempt(out.problems, kEncodeOptions, 0, ChannelPart::None, [&] {
    ByteEditor bytes(image);
    const auto bandBytes = encodeBandBytes(band.lower, band.upper);
    for (int i = 0; i < addr::kBandSize; ++i) bytes.set(addr::kBand + i, bandBytes[static_cast<size_t>(i)]);
    // In the table's order; the power-on message follows the power-on display.
    for (const OptionField& f : kOptionFields) {
      int16_t v = options[f.entry];
      if (f.storage == OptStorage::Bits) {
        bytes.setBits(f.address, f.mask, bitPattern(f, v));
      } else {
        if (v > f.limit) {
          v = t.optionDefaults(f.entry);
          out.replacedByDefault.push_back(f.entry);
        }
        bytes.set(f.address, checkedByte(v));
      }
      if (f.entry == kOptPwrOnShowMode)
        for (int i = 0; i < kNameLength; ++i)
          bytes.set(addr::kPowerOnMsg + i, checkedByte(options.powerOnMessage[static_cast<size_t>(i)]));
    }
    for (int i = 0; i < addr::kFmStationCount; ++i) {
      const int base = fmStationAddress(i);
      const int16_t v = fm[static_cast<size_t>(i)];
      if (v < kFmLowest || v > kFmHighest)
        bytes.fill(base, addr::kFmStationSize, kErased);
      else
        bytes.setBcd(base, addr::kFmStationSize, int64_t(v) * kFmDigitsScale);
    }
    bytes.fill(addr::kOptionTrailer, addr::kOptionTrailerSize, kErased);
  });
  return out;
}

Decoded decode(const MemoryImage& image, const CodecTables& tables) {
  Decoded out;
  Configuration& c = out.config;
  c.image = image;
  c.channels.resize(static_cast<size_t>(std::max(tables.channelCount, 0)));
  attempt(out.problems, kDecodeChannels, 0, ChannelPart::None, [&] {
    for (int n = 1; n <= tables.channelCount; ++n)
      decodeChannel(image, n, tables, c.channels[static_cast<size_t>(n - 1)], out.problems);
  });
  if (image.size() >= addr::kBand + addr::kBandSize) {
    const BandLimits edges = decodeBandBytes(image);
    c.band = {edges.lower, edges.upper - kUpperEdgeMargin};
  }
  for (int e = 1; e <= kLastOptionEntry; ++e) c.options[e] = optionField(e) ? tables.optionDefaults(e) : 0;
  decodeOptions(image, tables, c.options, c.fm, out.problems);
  return out;
}

Encoded encode(const Configuration& config, const CodecTables& tables, MemoryImage& image) {
  Encoded out;
  attempt(out.problems, "modChMem->ChInfoToIicDat", 0, ChannelPart::None, [&] {
    for (int n = 1; n <= static_cast<int>(config.channels.size()); ++n)
      encodeChannel(config.channels[static_cast<size_t>(n - 1)], n, tables, image, out.problems);
  });
  Encoded options = encodeOptions(config.options, config.fm, config.band, tables, image);
  out.problems.insert(out.problems.end(), options.problems.begin(), options.problems.end());
  out.replacedByDefault = std::move(options.replacedByDefault);
  return out;
}

}  // namespace k52
