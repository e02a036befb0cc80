#include "image/chcodec.h"

#include "errlog/guarded.h"
#include "image/addressmap.h"
#include "image/byteview.h"
#include "image/charcodec.h"
#include "image/chmem.h"
#include "image/ctdcs.h"
#include "image/numbers.h"
#include "shell/appcontext.h"

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

// Flag byte bits.
constexpr uint8_t kFlag5 = 0x20;
constexpr uint8_t kFlag6 = 0x08;
constexpr uint8_t kFlag7Mask = 0x06;
constexpr uint8_t kFlag7One = 0x02;
constexpr uint8_t kFlag7Two = 0x04;

// An RX frequency is only taken when its top byte lies in 11 ... 99 (110 MHz up).
constexpr uint8_t kRxTopAbove = 0x10;
constexpr uint8_t kBcdMax = 0x99;
constexpr uint8_t kErased = 0xFF;

constexpr const char* kDecodeAllName = "modChMem->IicDatToChInfo";

// A frequency takes four BCD bytes, least significant first.
constexpr int kFrequencyBytes = 4;

// A frequency field into four bytes: -1 erases them, anything else goes through the
// hex-pair splitter, its first pair becoming the most significant byte.
void encodeFrequency(AppContext& ctx, int32_t value, int base) {
  MemoryImage& image = ctx.IicDat;
  if (value == -1) {
    for (int i = 3; i >= 0; --i) image.at(base + i) = kErased;
    return;
  }
  // Eight digits always: a value below 10 MHz (a TX field read from a damaged image, say)
  // would otherwise be split from the wrong end and written back shifted.
  SeparateFreChar(ctx, value >= 0 ? QStringLiteral("%1").arg(value, 8, 10, QLatin1Char('0')) : QString::number(value));
  for (int i = 0; i < 4; ++i) image.at(base + 3 - i) = ctx.ConvBuf(i);
}

// Two tone bytes to a list index: both must be set, else none.
int32_t decodeTone(AppContext& ctx, int low) {
  const uint16_t code = ByteView(ctx.IicDat).le16(low);
  const auto lo = static_cast<uint8_t>(code & 0xFF);
  const auto hi = static_cast<uint8_t>(code >> 8);
  if (lo == kErased || hi == kErased) return 0;
  QtDqtIndex(ctx, byteHex(lo), byteHex(hi));
  return ctx.tones.CtdcsIndex;
}

// A list index to two tone bytes; an index outside the list is a bounds error that
// leaves both bytes as they were.
void encodeTone(AppContext& ctx, int32_t index, int low) {
  MemoryImage& image = ctx.IicDat;
  if (index == -1) {
    image.at(low + 1) = kErased;
    image.at(low) = kErased;
    return;
  }
  SeparateFreChar(ctx, ctx.tones.IicCode(index));
  image.at(low + 1) = ctx.ConvBuf(0);
  image.at(low) = ctx.ConvBuf(1);
}

}  // namespace

void IicDatToChInfo(AppContext& ctx) {
  guarded(ctx.log, kDecodeAllName, [&] {
    ChannelTable& t = ctx.ch;
    for (int n = 1; n <= t.ChCount; ++n) {
      const int a = addr::channelRecord(n);
      const uint8_t top = ctx.IicDat.at(a + kRx + 3);
      bool valid = top > kRxTopAbove && top <= kBcdMax;
      if (valid) {
        // A byte with a digit A-F passes the range test but is no number: the channel
        // is logged once and taken as empty, and the decode goes on. A channel outside
        // the band stays: the grid shows it in the warning colour until the user changes
        // or deletes it.
        const QString text = ByteView(ctx.IicDat).bcdDigits(a + kRx, kFrequencyBytes);
        valid = guarded(ctx.log, kDecodeAllName, [&] { (void)decimalDigitsValue(text); });
      }
      const auto ch = static_cast<int16_t>(n);
      if (valid) {
        IcChParaSol(ctx, ch);
        IcRxFreSol(ctx, ch);
        IcTxFreSol(ctx, ch);
        IcCtdcsDecSol(ctx, ch);
        IcCtdcsEncSol(ctx, ch);
      } else {
        t.ChInfo(n, kFieldRx) = -1;
        t.ChInfo(n, kFieldTx) = -1;
        t.ChInfo(n, kFieldDecode) = 0;
        t.ChInfo(n, kFieldEncode) = 0;
        for (int f = kFieldOption5; f <= t.ColCount; ++f) t.ChInfo(n, f) = textToInt16(t.ColItems(f, 2));
      }
    }
  });
}

void IcChParaSol(AppContext& ctx, int16_t n) {
  guarded(ctx.log, "modChMem->IcChParaSol", [&] {
    const int a = addr::channelRecord(n);
    const int e = addr::nameExtension(n);
    const ByteView view(ctx.IicDat);
    ChannelTable& t = ctx.ch;
    t.ChInfo(n, kFieldOption5) = view.bits(a + kFlags, kFlag5) ? 1 : 0;
    t.ChInfo(n, kFieldOption6) = view.bits(a + kFlags, kFlag6) ? 1 : 0;
    const uint8_t f7 = view.bits(a + kFlags, kFlag7Mask);
    t.ChInfo(n, kFieldOption7) = f7 == kFlag7One ? 1 : f7 == kFlag7Two ? 2 : 0;
    for (int i = 0; i < kNameInRecord; ++i) t.ChNameCode(n, i) = ctx.IicDat.at(a + kName + i);
    for (int i = 0; i < addr::kNameExtensionSize; ++i) t.ChNameCode(n, kNameInRecord + i) = ctx.IicDat.at(e + i);
  });
}

void IcRxFreSol(AppContext& ctx, int16_t n) {
  guarded(ctx.log, "modChMem->IcRxFreSol", [&] {
    const int a = addr::channelRecord(n);
    ctx.ch.ChInfo(n, kFieldRx) = static_cast<int32_t>(ByteView(ctx.IicDat).bcd(a + kRx, kFrequencyBytes));
  });
}

void IcTxFreSol(AppContext& ctx, int16_t n) {
  const char* name = "modChMem->IcTxFreSol";
  guarded(ctx.log, name, [&] {
    const int a = addr::channelRecord(n);
    const uint8_t top = ctx.IicDat.at(a + kTx + 3);
    int32_t tx = -1;
    if (top <= kBcdMax && top != 0) {
      // A digit A-F in the lower bytes is logged once and read as no TX frequency.
      const QString text = ByteView(ctx.IicDat).bcdDigits(a + kTx, kFrequencyBytes);
      if (!guarded(ctx.log, name, [&] { tx = static_cast<int32_t>(decimalDigitsValue(text)); })) tx = -1;
    }
    ctx.ch.ChInfo(n, kFieldTx) = tx;
  });
}

void IcCtdcsDecSol(AppContext& ctx, int16_t n) {
  guarded(ctx.log, "modChMem->IcCtdcsDecSol", [&] {
    ctx.ch.ChInfo(n, kFieldDecode) = decodeTone(ctx, addr::channelRecord(n) + kDecode);
  });
}

void IcCtdcsEncSol(AppContext& ctx, int16_t n) {
  guarded(ctx.log, "modChMem->IcCtdcsEncSol", [&] {
    ctx.ch.ChInfo(n, kFieldEncode) = decodeTone(ctx, addr::channelRecord(n) + kEncode);
  });
}

void ChInfoToIicDat(AppContext& ctx) {
  guarded(ctx.log, "modChMem->ChInfoToIicDat", [&] {
    for (int n = 1; n <= ctx.ch.ChCount; ++n) {
      const auto ch = static_cast<int16_t>(n);
      CiChParaSol(ctx, ch);
      CiRxFreSol(ctx, ch);
      CiTxFreSol(ctx, ch);
      CiCtdcsDecSol(ctx, ch);
      CiCtdcsEncSol(ctx, ch);
    }
  });
}

void CiChParaSol(AppContext& ctx, int16_t n) {
  guarded(ctx.log, "modChMem->CiChParaSol", [&] {
    const int a = addr::channelRecord(n);
    const int e = addr::nameExtension(n);
    const ChannelTable& t = ctx.ch;
    // Bits 0, 4, 6 and 7 belong to the radio and pass through.
    uint8_t b = ctx.IicDat.at(a + kFlags) & ~kFlag5;
    if (t.ChInfo(n, kFieldOption5) == 1) b |= kFlag5;
    b &= ~kFlag6;
    if (t.ChInfo(n, kFieldOption6) == 1) b |= kFlag6;
    b &= ~kFlag7Mask;
    if (t.ChInfo(n, kFieldOption7) == 1)
      b |= kFlag7One;
    else if (t.ChInfo(n, kFieldOption7) == 2)
      b |= kFlag7Two;
    ctx.IicDat.at(a + kFlags) = b;
    for (int i = 0; i < kNameInRecord; ++i) ctx.IicDat.at(a + kName + i) = t.ChNameCode(n, i);
    for (int i = 0; i < addr::kNameExtensionSize; ++i) ctx.IicDat.at(e + i) = t.ChNameCode(n, kNameInRecord + i);
  });
}

void CiRxFreSol(AppContext& ctx, int16_t n) {
  guarded(ctx.log, "modChMem->CiRxFreSol", [&] {
    encodeFrequency(ctx, ctx.ch.ChInfo(n, kFieldRx), addr::channelRecord(n) + kRx);
  });
}

void CiTxFreSol(AppContext& ctx, int16_t n) {
  guarded(ctx.log, "modChMem->CiTxFreSol", [&] {
    encodeFrequency(ctx, ctx.ch.ChInfo(n, kFieldTx), addr::channelRecord(n) + kTx);
  });
}

void CiCtdcsDecSol(AppContext& ctx, int16_t n) {
  guarded(ctx.log, "modChMem->CiCtdcsDecSol", [&] {
    encodeTone(ctx, ctx.ch.ChInfo(n, kFieldDecode), addr::channelRecord(n) + kDecode);
  });
}

void CiCtdcsEncSol(AppContext& ctx, int16_t n) {
  guarded(ctx.log, "modChMem->CiCtdcsEncSol", [&] {
    encodeTone(ctx, ctx.ch.ChInfo(n, kFieldEncode), addr::channelRecord(n) + kEncode);
  });
}

}  // namespace k52
