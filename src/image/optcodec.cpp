#include "image/optcodec.h"

#include "errlog/guarded.h"
#include "image/addressmap.h"
#include "image/bandtable.h"
#include "image/byteview.h"
#include "image/charcodec.h"
#include "image/chmem.h"
#include "image/numbers.h"
#include "shell/appcontext.h"
#include "ui/inifile.h"

namespace k52 {

namespace {

constexpr const char* kDecodeName = "modSysSet->SaveToOptSel";
constexpr uint8_t kErased = 0xFF;
constexpr uint8_t kBcdMax = 0x99;
constexpr int32_t kFmDigitsScale = 10000;  // 100 kHz units <-> 10 Hz digits in the image

// An option held in a byte of its own. Too large a value is replaced by the default
// when encoding; when decoding either by the default or by the limit itself.
struct ByteOption {
  int entry;
  int address;
  int16_t limit;
  bool clampOnDecode;
};

constexpr ByteOption kTot{1, addr::kTotStep, 9, false};
constexpr ByteOption kSql{2, addr::kSquelch, 9, false};
constexpr ByteOption kVoxLevel{14, addr::kVoxLevel, 8, true};
constexpr ByteOption kVoxDelay{15, addr::kVoxDelay, 5, true};
constexpr ByteOption kFmSql{21, addr::kFmSquelch, 9, false};
constexpr ByteOption kFmNowCh{23, addr::kFmChannel, 24, false};

// An option held in bits of a shared byte. Value 1 sets `one`, value 2 sets `two` (two-state
// options have none); any other value sets `one` when otherIsOne, else nothing. Decoding
// reverses this; a bit pattern that is neither maps to 1 when otherIsOne, else to 0.
struct BitOption {
  int entry;
  int address;
  uint8_t mask;
  uint8_t one;
  uint8_t two;
  bool otherIsOne;
};

// In the order the encoder visits them.
constexpr BitOption kBitOptions[] = {
    {3, addr::kOptBits2, 0x01, 0x01, 0x00, false},   // beep
    {4, addr::kOptBits1, 0x04, 0x04, 0x00, false},   // key lock
    {6, addr::kOptBits0, 0x03, 0x01, 0x02, true},    // work mode
    {7, addr::kOptBits1, 0x03, 0x01, 0x02, false},   // scan mode
    {8, addr::kOptBits1, 0x30, 0x10, 0x20, true},    // lamp
    {9, addr::kOptBits2, 0x12, 0x02, 0x12, false},   // voice annunciation
    {10, addr::kOptBits2, 0x20, 0x20, 0x00, false},  // channel name shown
    {11, addr::kOptBits2, 0x08, 0x08, 0x00, false},  // battery save
    {12, addr::kOptBits0, 0x08, 0x08, 0x00, false},  // reverse frequency
    {5, addr::kOptBits0, 0x04, 0x04, 0x00, false},   // wide band
    {13, addr::kOptBits2, 0x40, 0x40, 0x00, false},  // VOX
    {16, addr::kOptBits1, 0xC0, 0x40, 0x80, false},  // power-on display
    {18, addr::kOptBits0, 0x10, 0x10, 0x00, false},  // FM receiver on
    {20, addr::kOptBits0, 0x20, 0x20, 0x00, false},  // FM work mode
    {22, addr::kOptBits2, 0x04, 0x04, 0x00, false},  // FM monitor
};
constexpr int kBitOptionsBeforeVox = 11;  // entries 3 ... 13
constexpr int kPowerOnDisplay = 11;       // entry 16
constexpr int kFmBitOptions = 12;         // entries 18 and 20
constexpr int kFmMonitor = 14;            // entry 22
static_assert(addr::kPowerOnMsgSize == kNameLength);

// A value that must fit a byte of the image; anything else is an overflow.
uint8_t checkedByte(int v) {
  if (v < 0 || v > 0xFF) raiseError(ErrOverflow, QStringLiteral("%1 does not fit a byte").arg(v));
  return static_cast<uint8_t>(v);
}

void encodeByte(AppContext& ctx, const ByteOption& o) {
  int16_t& v = ctx.opt.OptSel(o.entry);
  if (v > o.limit) v = ctx.opt.OptDef(o.entry);
  ctx.IicDat.at(o.address) = checkedByte(v);
}

void decodeByte(AppContext& ctx, const ByteOption& o) {
  int16_t v = ByteView(ctx.IicDat).byte(o.address);
  if (o.clampOnDecode) {
    if (v >= o.limit) v = o.limit;
  } else if (v > o.limit) {
    v = ctx.opt.OptDef(o.entry);
  }
  ctx.opt.OptSel(o.entry) = v;
}

void encodeBits(AppContext& ctx, const BitOption& o) {
  const int16_t v = ctx.opt.OptSel(o.entry);
  uint8_t pattern = 0;
  if (v == 1)
    pattern = o.one;
  else if (v == 2)
    pattern = o.two;
  else if (v != 0 && o.otherIsOne)
    pattern = o.one;
  uint8_t& b = ctx.IicDat.at(o.address);
  b = static_cast<uint8_t>((b & ~o.mask) | pattern);
}

void decodeBits(AppContext& ctx, const BitOption& o) {
  const uint8_t m = ByteView(ctx.IicDat).bits(o.address, o.mask);
  int16_t v = 0;
  if (m == 0)
    v = 0;
  else if (m == o.one)
    v = 1;
  else if (o.two != 0 && m == o.two)
    v = 2;
  else
    v = o.otherIsOne ? 1 : 0;
  ctx.opt.OptSel(o.entry) = v;
}

int fmStationAddress(int station) { return addr::kFmStations + addr::kFmStationSize * station; }

void encodeFmStations(AppContext& ctx) {
  for (int i = 0; i < addr::kFmStationCount; ++i) {
    const int base = fmStationAddress(i);
    const int16_t v = ctx.opt.OptSel(kOptFmStation + i);
    if (v < kFmLowest || v > kFmHighest) {
      for (int j = addr::kFmStationSize - 1; j >= 0; --j) ctx.IicDat.at(base + j) = kErased;
      continue;
    }
    SeparateFreChar(ctx, QStringLiteral("%1").arg(int32_t(v) * kFmDigitsScale, 8, 10, QLatin1Char('0')));
    for (int j = 0; j < addr::kFmStationSize; ++j) ctx.IicDat.at(base + 3 - j) = ctx.ConvBuf(j);
  }
}

void decodeFmStations(AppContext& ctx) {
  for (int i = 0; i < addr::kFmStationCount; ++i) {
    const int base = fmStationAddress(i);
    int16_t station = 0;
    const ByteView view(ctx.IicDat);
    const QString digits = view.bcdDigits(base, addr::kFmStationSize);
    bool bcd = true;
    for (int j = addr::kFmStationSize - 1; j >= 0; --j) bcd = bcd && view.byte(base + j) <= kBcdMax;
    if (bcd) {
      // A digit A-F is no frequency: the station is logged once and read as empty.
      int64_t value = 0;
      if (guarded(ctx.log, kDecodeName, [&] { value = decimalDigitsValue(digits) / kFmDigitsScale; }) &&
          value >= kFmLowest && value <= kFmHighest)
        station = static_cast<int16_t>(value);
    }
    ctx.opt.OptSel(kOptFmStation + i) = station;
  }
}

}  // namespace

void OptNowDefSol(AppContext& ctx, int16_t mode) {
  guarded(ctx.log, "modSysSet->OptNowDefSol", [&] {
    ctx.st.CurLang = validLang(ctx.st.CurLang);
    const int b = 1000 * ctx.st.CurLang;
    const QString section = QStringLiteral("Option");
    auto read = [&](int key) { return textToInt16(readClean(ctx.ini, section, QString::number(key), QStringLiteral("0"), 19)); };
    OptionTable& t = ctx.opt;
    t.OptCount = read(0);
    if (mode == kLoadOptionDefaults) {
      for (int i = 1; i <= t.OptCount; ++i) t.OptDef(i) = read(b + i);
      for (int i = 1; i <= t.OptCount; ++i) t.OptSel(i) = read(b + 500 + i);
    } else if (mode == kResetOptionsToDefaults) {
      for (int i = 1; i <= t.OptCount; ++i) t.OptSel(i) = t.OptDef(i);
      IniFile::Batch batch(ctx.ini);
      for (int i = 1; i <= t.OptCount; ++i) ctx.ini.write(section, QString::number(b + 500 + i), QString::number(t.OptSel(i)));
      if (!batch.commit()) ctx.ini.raiseWriteFailure();
    }
  });
}

void OptSelSaveSol(AppContext& ctx, int16_t direction) {
  guarded(ctx.log, "modSysSet->OptSelSaveSol", [&] {
    if (direction == kTablesToImage)
      OptSelToSave(ctx);
    else if (direction == kImageToTables)
      SaveToOptSel(ctx);
  });
}

void OptSelToSave(AppContext& ctx) {
  guarded(ctx.log, "modSysSet->OptSelToSave", [&] {
    writeBandBytes(ctx);

    encodeByte(ctx, kTot);
    encodeByte(ctx, kSql);
    for (int i = 0; i < kBitOptionsBeforeVox; ++i) encodeBits(ctx, kBitOptions[i]);
    encodeByte(ctx, kVoxLevel);
    encodeByte(ctx, kVoxDelay);
    encodeBits(ctx, kBitOptions[kPowerOnDisplay]);
    for (int i = 0; i < kNameLength; ++i)
      ctx.IicDat.at(addr::kPowerOnMsg + i) = checkedByte(ctx.opt.OptSel(kOptPowerOnMsg + i));
    encodeBits(ctx, kBitOptions[kFmBitOptions]);
    encodeBits(ctx, kBitOptions[kFmBitOptions + 1]);
    encodeByte(ctx, kFmSql);
    encodeBits(ctx, kBitOptions[kFmMonitor]);
    encodeByte(ctx, kFmNowCh);

    encodeFmStations(ctx);
    for (int i = 0; i < addr::kOptionTrailerSize; ++i) ctx.IicDat.at(addr::kOptionTrailer + i) = kErased;
  });
}

void SaveToOptSel(AppContext& ctx) {
  guarded(ctx.log, kDecodeName, [&] {
    for (const ByteOption& o : {kTot, kSql, kVoxLevel, kVoxDelay, kFmSql, kFmNowCh}) decodeByte(ctx, o);
    for (int i = 0; i < kNameLength; ++i) ctx.opt.OptSel(kOptPowerOnMsg + i) = ctx.IicDat.at(addr::kPowerOnMsg + i);
    for (const BitOption& o : kBitOptions) decodeBits(ctx, o);
    decodeFmStations(ctx);
  });
}

}  // namespace k52
