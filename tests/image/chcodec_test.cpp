#include "image/chcodec.h"

#include "image/chmem.h"
#include "image/codecenv.h"

#include <random>

using namespace k52;
using k52::test::CodecTest;

namespace {

// Channel n's record and name extension.
int rec(int n) { return 16 * (n - 1); }
int ext(int n) { return 0x0C70 + 2 * (n - 1); }

class ChannelCodecTest : public CodecTest {
 protected:
  ChannelCodecTest() {
    // As after InitChInfo: every field of every row unset.
    for (int n = 1; n <= 260; ++n)
      for (int f = 1; f <= 8; ++f) ctx.ch.ChInfo(n, f) = -1;
  }
  std::vector<int32_t> fields(int n) const {
    std::vector<int32_t> v;
    for (int f = 1; f <= 7; ++f) v.push_back(ctx.ch.ChInfo(n, f));
    return v;
  }
  std::vector<int> name(int n) const {
    std::vector<int> v;
    for (int i = 0; i < 5; ++i) v.push_back(ctx.ch.ChNameCode(n, i));
    return v;
  }
  void setFields(int n, std::initializer_list<int32_t> values) {
    int f = 1;
    for (int32_t v : values) ctx.ch.ChInfo(n, f++) = v;
  }
  void setName(int n, std::initializer_list<int> codes) {
    int i = 0;
    for (int c : codes) ctx.ch.ChNameCode(n, i++) = static_cast<uint8_t>(c);
  }
  // The fields of a channel decoded as empty with the fixture's column defaults.
  static std::vector<int32_t> empty() { return {-1, -1, 0, 0, 0, 1, 2}; }
};

using V = std::vector<int32_t>;
using B = std::vector<int>;

TEST_F(ChannelCodecTest, DecodeReadsEveryFieldOfAValidRecord) {
  // 173.995 MHz RX, 146.000 MHz TX, decode 67.0 Hz, encode D754I, options 1/1/2 with the
  // radio's own bits 0, 4, 6, 7 set, name "CHANN".
  put(rec(2), {0x00, 0x95, 0x39, 0x17, 0x00, 0x00, 0x60, 0x14, 0x70, 0x06, 0x54, 0xC7, 0xFD, 0x0C, 0x11, 0x0A});
  put(ext(2), {0x17, 0x17});
  ctx.ch.ChInfo(2, 0) = 0;
  IicDatToChInfo(ctx);
  EXPECT_EQ(fields(2), (V{17399500, 14600000, 1, 260, 1, 1, 2}));
  EXPECT_EQ(name(2), (B{12, 17, 10, 23, 23}));
  EXPECT_EQ(ctx.ch.ChInfo(2, 0), 0);
  EXPECT_EQ(ctx.ch.ChInfo(2, 8), -1);
  // The erased records around it are empty channels with the column defaults.
  for (int n : {1, 3, 4}) {
    EXPECT_EQ(fields(n), empty()) << n;
    EXPECT_EQ(ctx.ch.ChInfo(n, 8), 0);
  }
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
}

TEST_F(ChannelCodecTest, EncodeWritesEveryFieldAndNothingElse) {
  put(rec(5), {0x5A, 0x5A});
  put(ext(5), {0x5A, 0x5A});
  put(0x0E10, {0x5A});
  setFields(3, {14652500, 43512500, 13, 156, 0, 1, 1});
  setName(3, {0, 1, 2, 3, 4});
  ChInfoToIicDat(ctx);
  // 146.525 RX; 435.125 TX (the band is not checked for TX); 100.0 Hz; D023I; flag from
  // the erased 0xFF keeps bits 0, 4, 6, 7, sets bit 3 and field 7's value 1.
  EXPECT_EQ(get(rec(3), 16), (B{0x00, 0x25, 0x65, 0x14, 0x00, 0x25, 0x51, 0x43, 0x00, 0x10, 0x23, 0xC0, 0xDB, 0x00,
                                0x01, 0x02}));
  EXPECT_EQ(get(ext(3), 2), (B{0x03, 0x04}));
  // Unset channels: everything erased, options cleared.
  for (int n : {1, 2, 4}) {
    EXPECT_EQ(get(rec(n), 16), (B{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xD1, 0xFF,
                                  0xFF, 0xFF}))
        << n;
    EXPECT_EQ(get(ext(n), 2), (B{0xFF, 0xFF}));
  }
  // Channel 5 is past ChCount.
  EXPECT_EQ(get(rec(5), 2), (B{0x5A, 0x5A}));
  EXPECT_EQ(get(ext(5), 2), (B{0x5A, 0x5A}));
  EXPECT_EQ(get(0x0E10, 1), (B{0x5A}));
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
}

TEST_F(ChannelCodecTest, RxMustLieInTheBand) {
  const struct {
    std::initializer_list<int> rx;
    int32_t lower, upper, expected;
  } kCases[] = {
      {{0x00, 0x95, 0x39, 0x17}, 13600000, 17399500, 17399500},
      {{0x00, 0x95, 0x39, 0x17}, 40000000, 46999500, -1},
      {{0x00, 0x00, 0x60, 0x13}, 13600000, 17399500, 13600000},  // the lower edge itself
      {{0x50, 0x99, 0x59, 0x13}, 13600000, 17399500, -1},        // 135.99950
      {{0x00, 0x00, 0x40, 0x17}, 13600000, 17399500, -1},        // 174.00000, above UpperLimit
      // The top byte must lie in 11 ... 99, whatever the band.
      {{0x99, 0x99, 0x99, 0x10}, 0, 99999999, -1},
      {{0x00, 0x00, 0x00, 0x11}, 0, 99999999, 11000000},
      {{0x99, 0x99, 0x99, 0x99}, 0, 99999999, 99999999},
      {{0x00, 0x00, 0x00, 0x9A}, 0, 99999999, -1},
      {{0x00, 0x00, 0x00, 0x00}, 0, 99999999, -1},
  };
  for (const auto& c : kCases) {
    put(rec(1), c.rx);
    ctx.band.LowerLimit = c.lower;
    ctx.band.UpperLimit = c.upper;
    IicDatToChInfo(ctx);
    EXPECT_EQ(ctx.ch.ChInfo(1, 1), c.expected) << c.lower << " " << c.upper;
  }
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
}

TEST_F(ChannelCodecTest, TxIsOptionalAndNotCheckedAgainstTheBand) {
  put(rec(1), {0x00, 0x00, 0x50, 0x14});
  const struct {
    std::initializer_list<int> tx;
    int32_t expected;
  } kCases[] = {
      {{0x00, 0x00, 0x00, 0x00}, -1},  // top byte 0
      {{0xFF, 0xFF, 0xFF, 0xFF}, -1},
      {{0x00, 0x00, 0x00, 0x9A}, -1},
      {{0x00, 0x00, 0x00, 0x90}, 90000000},  // 900 MHz, far outside 136-174
      {{0x00, 0x00, 0x00, 0x01}, 1000000},
      {{0x25, 0x21, 0x45, 0x15}, 15452125},
  };
  for (const auto& c : kCases) {
    put(rec(1) + 4, c.tx);
    IicDatToChInfo(ctx);
    EXPECT_EQ(ctx.ch.ChInfo(1, 2), c.expected);
  }
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
}

TEST_F(ChannelCodecTest, TxBelowTenMegahertzIsWrittenBackUnshifted) {
  put(rec(1), {0x00, 0x00, 0x50, 0x14});
  put(rec(1) + 4, {0x56, 0x34, 0x12, 0x05});
  IicDatToChInfo(ctx);
  EXPECT_EQ(ctx.ch.ChInfo(1, 2), 5123456);
  ChInfoToIicDat(ctx);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(ctx.IicDat.at(rec(1) + 4 + i), (std::array<int, 4>{0x56, 0x34, 0x12, 0x05}[i])) << i;
}

TEST_F(ChannelCodecTest, FlagByteFieldsAndThePassThroughBits) {
  put(rec(1), {0x00, 0x00, 0x50, 0x14});
  const struct {
    int flag;
    V options;
  } kDecode[] = {{0x00, {0, 0, 0}}, {0x20, {1, 0, 0}}, {0x08, {0, 1, 0}}, {0x02, {0, 0, 1}},
                 {0x04, {0, 0, 2}}, {0x06, {0, 0, 0}}, {0xD9, {0, 1, 0}}, {0xFF, {1, 1, 0}}};
  for (const auto& c : kDecode) {
    put(rec(1) + 12, {c.flag});
    IicDatToChInfo(ctx);
    EXPECT_EQ((V{ctx.ch.ChInfo(1, 5), ctx.ch.ChInfo(1, 6), ctx.ch.ChInfo(1, 7)}), c.options) << c.flag;
  }

  const struct {
    int before;
    V options;
    int after;
  } kEncode[] = {
      {0x06, {0, 0, 0}, 0x00},  // both bits of field 7 cleared
      {0xFF, {0, 0, 0}, 0xD1},  // bits 0, 4, 6, 7 survive
      {0x00, {1, 1, 2}, 0x2C},
      {0xD1, {1, 0, 1}, 0xF3},
      {0x2E, {2, 5, 3}, 0x00},  // only 1 sets a two-state bit; field 7 knows only 1 and 2
      {0x2E, {-1, -1, -1}, 0x00},
  };
  for (const auto& c : kEncode) {
    put(rec(1) + 12, {c.before});
    ctx.ch.ChInfo(1, 5) = c.options[0];
    ctx.ch.ChInfo(1, 6) = c.options[1];
    ctx.ch.ChInfo(1, 7) = c.options[2];
    ChInfoToIicDat(ctx);
    EXPECT_EQ(ctx.IicDat.at(rec(1) + 12), c.after) << c.before;
  }
}

TEST_F(ChannelCodecTest, EmptyChannelKeepsItsOldNameAndTheNextEncodeWritesIt) {
  setName(1, {1, 2, 3, 4, 5});
  setFields(1, {15000000, 15000000, 7, 8, 1, 0, 1});
  ctx.ch.ChInfo(1, 0) = 0;
  IicDatToChInfo(ctx);
  EXPECT_EQ(fields(1), empty());
  EXPECT_EQ(name(1), (B{1, 2, 3, 4, 5}));
  EXPECT_EQ(ctx.ch.ChInfo(1, 0), 0);
  ChInfoToIicDat(ctx);
  // RX, TX erased; tones none; options from the column defaults; the old name.
  EXPECT_EQ(get(rec(1), 16), (B{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xDD, 0x01,
                                0x02, 0x03}));
  EXPECT_EQ(get(ext(1), 2), (B{0x04, 0x05}));
  // The record still decodes as an empty channel.
  IicDatToChInfo(ctx);
  EXPECT_EQ(fields(1), empty());
}

TEST_F(ChannelCodecTest, FrequencyFieldsEncodeAsBcdLeastSignificantFirst) {
  setFields(1, {17399500, -1, 0, 0, 0, 0, 0});
  setFields(2, {-1, 40012500, 0, 0, 0, 0, 0});
  ChInfoToIicDat(ctx);
  EXPECT_EQ(get(rec(1), 8), (B{0x00, 0x95, 0x39, 0x17, 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(get(rec(2), 8), (B{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x25, 0x01, 0x40}));
}

TEST_F(ChannelCodecTest, ToneFieldsEncodeThroughTheCodeList) {
  const struct {
    int32_t index;
    B bytes;  // low, high
  } kCases[] = {{0, {0xFF, 0xFF}},   {-1, {0xFF, 0xFF}},   {1, {0x70, 0x06}},
                {50, {0x41, 0x25}},  {51, {0x23, 0x80}},   {260, {0x54, 0xC7}}};
  for (const auto& c : kCases) {
    put(rec(1) + 8, {0x12, 0x34, 0x56, 0x78});
    ctx.ch.ChInfo(1, 3) = c.index;
    ctx.ch.ChInfo(1, 4) = c.index;
    ChInfoToIicDat(ctx);
    EXPECT_EQ(get(rec(1) + 8, 2), c.bytes) << c.index;
    EXPECT_EQ(get(rec(1) + 10, 2), c.bytes) << c.index;
  }
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
}

TEST_F(ChannelCodecTest, ToneIndexOutsideTheTableLeavesTheToneBytes) {
  put(rec(1) + 8, {0x12, 0x34, 0x56, 0x78});
  setFields(1, {-1, -1, 301, 0, 0, 0, 0});
  ChInfoToIicDat(ctx);
  EXPECT_EQ(get(rec(1) + 8, 4), (B{0x12, 0x34, 0xFF, 0xFF}));
  EXPECT_EQ(ctx.log.entriesLogged(), 1);
  EXPECT_EQ(ctx.log.lastProcName(), QStringLiteral("modChMem->CiCtdcsDecSol"));
  EXPECT_EQ(ctx.log.lastNumber(), ErrBounds);

  put(rec(1) + 8, {0x12, 0x34, 0x56, 0x78});
  setFields(1, {-1, -1, 0, -2, 0, 0, 0});
  ChInfoToIicDat(ctx);
  EXPECT_EQ(get(rec(1) + 8, 4), (B{0xFF, 0xFF, 0x56, 0x78}));
  EXPECT_EQ(ctx.log.lastProcName(), QStringLiteral("modChMem->CiCtdcsEncSol"));
  // The rest of the record and the later channels were still encoded.
  EXPECT_EQ(ctx.IicDat.at(rec(1) + 12), 0xD1);
  EXPECT_EQ(ctx.IicDat.at(rec(4) + 12), 0xD1);
}

TEST_F(ChannelCodecTest, ToneNotInTheListDecodesAsNoneAndIsErasedOnEncode) {
  put(rec(1), {0x00, 0x00, 0x50, 0x14, 0xFF, 0xFF, 0xFF, 0xFF, 0x90, 0x06, 0x70, 0xFF});
  IicDatToChInfo(ctx);
  EXPECT_EQ(ctx.ch.ChInfo(1, 3), 0);  // 69.0 Hz
  EXPECT_EQ(ctx.ch.ChInfo(1, 4), 0);  // one byte erased
  ChInfoToIicDat(ctx);
  EXPECT_EQ(get(rec(1) + 8, 4), (B{0xFF, 0xFF, 0xFF, 0xFF}));
  // Only the searched part of the list counts.
  put(rec(1) + 8, {0x70, 0x06, 0x23, 0x80});
  ctx.st.CtcDcsMax = 50;
  IicDatToChInfo(ctx);
  EXPECT_EQ(ctx.ch.ChInfo(1, 3), 1);
  EXPECT_EQ(ctx.ch.ChInfo(1, 4), 0);
}

TEST_F(ChannelCodecTest, RxWithADigitAToFIsLoggedAndTakenAsEmpty) {
  put(rec(1), {0x00, 0x00, 0x00, 0x1A});  // passes the range test, is no number
  put(rec(2), {0x00, 0x9F, 0x50, 0x14});
  put(rec(3), {0x00, 0x00, 0x50, 0x14, 0xFF, 0xFF, 0xFF, 0xFF, 0x70, 0x06, 0xFF, 0xFF, 0x20});
  put(rec(4), {0x00, 0x00, 0x00, 0xFA});  // fails the range test: no entry
  for (int n = 1; n <= 4; ++n) setFields(n, {12345, 12345, 9, 9, 9, 9, 9});
  setName(2, {10, 11, 12, 13, 14});
  IicDatToChInfo(ctx);
  EXPECT_EQ(fields(1), empty());
  EXPECT_EQ(fields(2), empty());
  EXPECT_EQ(name(2), (B{10, 11, 12, 13, 14}));
  EXPECT_EQ(fields(3), (V{14500000, -1, 1, 0, 1, 0, 0}));
  EXPECT_EQ(fields(4), empty());
  EXPECT_EQ(ctx.log.entriesLogged(), 2);
  EXPECT_EQ(ctx.log.lastProcName(), QStringLiteral("modChMem->IicDatToChInfo"));
  EXPECT_EQ(ctx.log.lastNumber(), ErrTypeMismatch);
}

TEST_F(ChannelCodecTest, TxWithADigitAToFIsLoggedAndReadAsNoTx) {
  put(rec(1), {0x00, 0x00, 0x50, 0x14, 0x00, 0x0B, 0x00, 0x15, 0x70, 0x06, 0x23, 0x80});
  put(rec(2), {0x00, 0x00, 0x50, 0x14, 0x00, 0x00, 0x50, 0x15});
  ctx.ch.ChInfo(1, 2) = 12345;
  IicDatToChInfo(ctx);
  EXPECT_EQ(fields(1), (V{14500000, -1, 1, 51, 1, 1, 0}));
  EXPECT_EQ(ctx.ch.ChInfo(2, 2), 15500000);
  EXPECT_EQ(ctx.log.entriesLogged(), 1);
  EXPECT_EQ(ctx.log.lastProcName(), QStringLiteral("modChMem->IcTxFreSol"));
  EXPECT_EQ(ctx.log.lastNumber(), ErrTypeMismatch);
  // The next encode writes "no TX".
  ChInfoToIicDat(ctx);
  EXPECT_EQ(get(rec(1) + 4, 4), (B{0xFF, 0xFF, 0xFF, 0xFF}));
}

// Generated images: 199 channels, about two thirds valid and the rest random bytes.
class GeneratedImageTest : public ChannelCodecTest {
 protected:
  static int bcd(int v) { return (v / 10) * 16 + v % 10; }
  void putFrequency(int a, int32_t v) {
    for (int i = 0; i < 4; ++i, v /= 100) ctx.IicDat.at(a + i) = static_cast<uint8_t>(bcd(v % 100));
  }
  void putTone(int a, int index) {
    const QString code = ctx.tones.IicCode(index);
    ctx.IicDat.at(a) = static_cast<uint8_t>(code.mid(2, 2).toInt(nullptr, 16));
    ctx.IicDat.at(a + 1) = static_cast<uint8_t>(code.left(2).toInt(nullptr, 16));
  }

  // Fills the image; returns which channels were written as valid ones.
  std::vector<bool> generate(unsigned seed) {
    std::mt19937 rnd(seed);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rnd); };
    for (int a = 0; a <= ctx.IicDat.upper(); ++a) ctx.IicDat.at(a) = static_cast<uint8_t>(pick(0, 255));
    std::vector<bool> valid(200, false);
    for (int n = 1; n <= 199; ++n) {
      if (pick(0, 2) == 0) continue;
      valid[size_t(n)] = true;
      const int a = rec(n);
      putFrequency(a, pick(ctx.band.LowerLimit, ctx.band.UpperLimit));
      if (pick(0, 3) == 0)
        put(a + 4, {0xFF, 0xFF, 0xFF, 0xFF});
      else
        putFrequency(a + 4, pick(10000000, 99999999));
      putTone(a + 8, pick(0, 260));
      putTone(a + 10, pick(0, 260));
      int flag = pick(0, 255);
      if ((flag & 0x06) == 0x06) flag &= ~0x04;  // both bits set is not a value of field 7
      ctx.IicDat.at(a + 12) = static_cast<uint8_t>(flag);
    }
    return valid;
  }
};

TEST_F(GeneratedImageTest, DecodeThenEncodeReproducesValidChannelsAndTouchesNothingElse) {
  ctx.ch.ChCount = 199;
  for (unsigned seed = 1; seed <= 25; ++seed) {
    const std::vector<bool> valid = generate(seed);
    const MemoryImage before = ctx.IicDat;
    IicDatToChInfo(ctx);
    ChInfoToIicDat(ctx);
    int validCount = 0;
    for (int n = 1; n <= 199; ++n) {
      if (!valid[size_t(n)]) continue;
      ++validCount;
      for (int i = 0; i < 16; ++i)
        ASSERT_EQ(ctx.IicDat.at(rec(n) + i), before.at(rec(n) + i)) << "seed " << seed << " channel " << n << " byte " << i;
      for (int i = 0; i < 2; ++i)
        ASSERT_EQ(ctx.IicDat.at(ext(n) + i), before.at(ext(n) + i)) << "seed " << seed << " channel " << n;
    }
    EXPECT_GT(validCount, 100);
    for (int a = ext(200); a <= ctx.IicDat.upper(); ++a) ASSERT_EQ(ctx.IicDat.at(a), before.at(a)) << a;
  }
}

TEST_F(GeneratedImageTest, AnyImageSettlesAfterOneDecodeAndEncode) {
  ctx.ch.ChCount = 199;
  for (unsigned seed = 100; seed < 110; ++seed) {
    generate(seed);
    // Random bytes everywhere: most invalid channels carry digits A-F as well.
    for (int n = 1; n <= 199; n += 3) ctx.IicDat.at(rec(n) + 3) = 0x1B;
    IicDatToChInfo(ctx);
    ChInfoToIicDat(ctx);
    const MemoryImage once = ctx.IicDat;
    const auto logged = ctx.log.entriesLogged();
    EXPECT_GT(logged, 0);
    IicDatToChInfo(ctx);
    ChInfoToIicDat(ctx);
    EXPECT_TRUE(ctx.IicDat == once) << "seed " << seed;
    EXPECT_EQ(ctx.log.entriesLogged(), logged) << "seed " << seed;
  }
}

}  // namespace
