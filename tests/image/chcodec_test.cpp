// The channel records: hand-written bytes from the memory layout, the edge cases of the
// band and the BCD digits, and round trips over generated images.

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

using V = std::vector<int32_t>;
using B = std::vector<int>;

class ChannelCodecTest : public CodecTest {
 protected:
  ChannelCodecTest() {
    for (int n = 1; n <= 260; ++n)  // as after InitChInfo: every field of every row unset
      for (int f = 1; f <= 8; ++f) ctx.ch.ChInfo(n, f) = -1;
  }
  V fields(int n, int from = 1, int to = 7) const {
    V v;
    for (int f = from; f <= to; ++f) v.push_back(ctx.ch.ChInfo(n, f));
    return v;
  }
  B name(int n) const {
    B v;
    for (int i = 0; i < 5; ++i) v.push_back(ctx.ch.ChNameCode(n, i));
    return v;
  }
  void setFields(int n, V values, B nameCodes = {}) {
    for (size_t f = 0; f < values.size(); ++f) ctx.ch.ChInfo(n, int(f) + 1) = values[f];
    for (size_t i = 0; i < nameCodes.size(); ++i) ctx.ch.ChNameCode(n, int(i)) = static_cast<uint8_t>(nameCodes[i]);
  }
  // The fields of a channel decoded as empty with the fixture's column defaults.
  static V empty() { return {-1, -1, 0, 0, 0, 1, 2}; }
};

TEST_F(ChannelCodecTest, DecodeReadsEveryFieldOfAValidRecord) {
  // 173.995 MHz RX, 146.000 MHz TX, decode 67.0 Hz, encode D754I, options 1/1/2 with the
  // radio's own bits 0, 4, 6, 7 set, name "CHANN".
  put(rec(2), "0095391700006014700654C7FD0C110A");
  put(ext(2), "1717");
  ctx.ch.ChInfo(2, 0) = 0;
  IicDatToChInfo(ctx);
  EXPECT_EQ(fields(2, 0, 8), (V{0, 17399500, 14600000, 1, 260, 1, 1, 2, -1}));
  EXPECT_EQ(name(2), (B{12, 17, 10, 23, 23}));
  // The erased records around it are empty channels with the column defaults.
  for (int n : {1, 3, 4}) EXPECT_EQ(fields(n, 1, 8), (V{-1, -1, 0, 0, 0, 1, 2, 0})) << n;
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
}

TEST_F(ChannelCodecTest, EncodeWritesEveryFieldAndNothingElse) {
  put(rec(5), "5A5A");
  put(ext(5), "5A5A");
  put(0x0E10, "5A");
  setFields(3, {14652500, 43512500, 13, 156, 0, 1, 1}, {0, 1, 2, 3, 4});
  setFields(4, {17399500, -1, 0, 0, 0, 0, 0});
  setFields(2, {-1, 40012500, 0, 0, 0, 0, 0});
  ChInfoToIicDat(ctx);
  // 146.525 RX; 435.125 TX (the band is not checked for TX); 100.0 Hz; D023I; flag from
  // the erased 0xFF keeps bits 0, 4, 6, 7, sets bit 3 and field 7's value 1.
  EXPECT_EQ(hex(rec(3), 16) + hex(ext(3), 2), "0025651400255143001023C0DB0001020304");
  // BCD, least significant byte first, each frequency on its own; an unset channel is
  // erased, its options cleared.
  EXPECT_EQ(hex(rec(4), 8) + hex(rec(2), 8), "00953917FFFFFFFFFFFFFFFF00250140");
  EXPECT_EQ(hex(rec(1), 16) + hex(ext(1), 2), "FFFFFFFFFFFFFFFFFFFFFFFFD1FFFFFFFFFF");
  // Channel 5 is past ChCount.
  EXPECT_EQ(hex(rec(5), 2) + hex(ext(5), 2) + hex(0x0E10, 1), "5A5A5A5A5A");
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
}

TEST_F(ChannelCodecTest, RxIsKeptOutsideTheBandAndTxIsOptionalAndNotChecked) {
  // A channel outside the band stays (the grid shows it in the warning colour).
  const std::tuple<const char*, int32_t, int32_t, int32_t> rx[] = {
      {"00953917", 13600000, 17399500, 17399500}, {"00953917", 40000000, 46999500, 17399500},
      {"00006013", 13600000, 17399500, 13600000},  // the lower edge itself
      {"50995913", 13600000, 17399500, 13599950},  // 135.99950
      {"00004017", 13600000, 17399500, 17400000},  // 174.00000, above UpperLimit
      // The top byte must lie in 11 ... 99, whatever the band.
      {"99999910", 0, 99999999, -1}, {"00000011", 0, 99999999, 11000000}, {"99999999", 0, 99999999, 99999999},
      {"0000009A", 0, 99999999, -1}, {"00000000", 0, 99999999, -1},
  };
  for (const auto& [bytes, lower, upper, expected] : rx) {
    put(rec(1), bytes);
    ctx.band.LowerLimit = lower;
    ctx.band.UpperLimit = upper;
    IicDatToChInfo(ctx);
    EXPECT_EQ(ctx.ch.ChInfo(1, 1), expected) << bytes << " in " << lower << "-" << upper;
  }
  put(rec(1), "00005014");
  ctx.band.LowerLimit = 13600000;
  ctx.band.UpperLimit = 17399500;
  const std::pair<const char*, int32_t> tx[] = {{"00000000", -1},        {"FFFFFFFF", -1},     {"0000009A", -1},
                                                {"00000090", 90000000},  // 900 MHz, far outside 136-174
                                                {"00000001", 1000000},   {"25214515", 15452125}};
  for (const auto& [bytes, expected] : tx) {
    put(rec(1) + 4, bytes);
    IicDatToChInfo(ctx);
    EXPECT_EQ(ctx.ch.ChInfo(1, 2), expected) << bytes;
  }
  // A TX below 10 MHz is written back as it was read, not shifted.
  put(rec(1) + 4, "56341205");
  IicDatToChInfo(ctx);
  EXPECT_EQ(ctx.ch.ChInfo(1, 2), 5123456);
  ChInfoToIicDat(ctx);
  EXPECT_EQ(hex(rec(1) + 4, 4), "56341205");
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
}

TEST_F(ChannelCodecTest, FlagByteFieldsAndThePassThroughBits) {
  put(rec(1), "00005014");
  const std::pair<int, V> decode[] = {{0x00, {0, 0, 0}}, {0x20, {1, 0, 0}}, {0x08, {0, 1, 0}}, {0x02, {0, 0, 1}},
                                      {0x04, {0, 0, 2}}, {0x06, {0, 0, 0}}, {0xD9, {0, 1, 0}}, {0xFF, {1, 1, 0}}};
  for (const auto& [flag, options] : decode) {
    put(rec(1) + 12, {flag});
    IicDatToChInfo(ctx);
    EXPECT_EQ(fields(1, 5, 7), options) << flag;
  }
  const std::tuple<int, V, int> encode[] = {
      {0x06, {0, 0, 0}, 0x00},  // both bits of field 7 cleared
      {0xFF, {0, 0, 0}, 0xD1},  // bits 0, 4, 6, 7 survive
      {0x00, {1, 1, 2}, 0x2C},
      {0xD1, {1, 0, 1}, 0xF3},
      {0x2E, {2, 5, 3}, 0x00},  // only 1 sets a two-state bit; field 7 knows only 1 and 2
      {0x2E, {-1, -1, -1}, 0x00},
  };
  for (const auto& [before, options, after] : encode) {
    put(rec(1) + 12, {before});
    for (int f = 5; f <= 7; ++f) ctx.ch.ChInfo(1, f) = options[size_t(f - 5)];
    ChInfoToIicDat(ctx);
    EXPECT_EQ(ctx.IicDat.at(rec(1) + 12), after) << before;
  }
}

TEST_F(ChannelCodecTest, AnEmptyChannelKeepsItsOldNameAndTheNextEncodeWritesIt) {
  setFields(1, {15000000, 15000000, 7, 8, 1, 0, 1}, {1, 2, 3, 4, 5});
  ctx.ch.ChInfo(1, 0) = 0;
  IicDatToChInfo(ctx);
  EXPECT_EQ(fields(1), empty());
  EXPECT_EQ(name(1), (B{1, 2, 3, 4, 5}));
  EXPECT_EQ(ctx.ch.ChInfo(1, 0), 0);
  ChInfoToIicDat(ctx);
  // RX, TX erased; tones none; options from the column defaults; the old name.
  EXPECT_EQ(hex(rec(1), 16) + hex(ext(1), 2), "FFFFFFFFFFFFFFFFFFFFFFFFDD0102030405");
  IicDatToChInfo(ctx);
  EXPECT_EQ(fields(1), empty()) << "the record still decodes as an empty channel";
}

TEST_F(ChannelCodecTest, TonesEncodeThroughTheCodeListAndOnlyTheSearchedPartDecodes) {
  const std::pair<int32_t, const char*> cases[] = {{0, "FFFF"}, {-1, "FFFF"}, {1, "7006"}, {50, "4125"}, {51, "2380"}, {260, "54C7"}};
  for (const auto& [index, bytes] : cases) {
    put(rec(1) + 8, "12345678");
    ctx.ch.ChInfo(1, 3) = ctx.ch.ChInfo(1, 4) = index;
    ChInfoToIicDat(ctx);
    EXPECT_EQ(hex(rec(1) + 8, 4), std::string(bytes) + bytes) << index;
  }
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
  // 69.0 Hz is not in the list, an encode tone with one byte erased neither: none, and
  // erased on the next encode.
  put(rec(1), "00005014FFFFFFFF900670FF");
  IicDatToChInfo(ctx);
  EXPECT_EQ(fields(1, 3, 4), (V{0, 0}));
  ChInfoToIicDat(ctx);
  EXPECT_EQ(hex(rec(1) + 8, 4), "FFFFFFFF");
  put(rec(1) + 8, "70062380");
  ctx.st.CtcDcsMax = 50;
  IicDatToChInfo(ctx);
  EXPECT_EQ(fields(1, 3, 4), (V{1, 0}));

  // An index outside the table leaves that tone's bytes, is logged, and the rest of the
  // record and the later channels are still encoded.
  const std::tuple<V, const char*, const char*> outside[] = {{{-1, -1, 301, 0}, "1234FFFF", "modChMem->CiCtdcsDecSol"},
                                                             {{-1, -1, 0, -2}, "FFFF5678", "modChMem->CiCtdcsEncSol"}};
  for (const auto& [values, bytes, proc] : outside) {
    put(rec(1) + 8, "12345678");
    put(rec(4) + 12, "00");
    setFields(1, values);
    ChInfoToIicDat(ctx);
    EXPECT_EQ(hex(rec(1) + 8, 4), bytes);
    EXPECT_EQ(test::lastError(ctx), test::failure(QLatin1String(proc), ErrBounds));
    EXPECT_EQ(hex(rec(4) + 12, 1), "0C") << "channel 4 (options 0, 1, 2) was encoded all the same";
  }
}

TEST_F(ChannelCodecTest, FrequenciesWithADigitAToFAreLoggedAndReadAsEmptyOrAsNoTx) {
  put(rec(1), "0000001A");  // passes the range test, is no number
  put(rec(2), "009F5014");
  put(rec(3), "00005014FFFFFFFF7006FFFF20");
  put(rec(4), "000000FA");  // fails the range test: no entry
  for (int n = 1; n <= 4; ++n) setFields(n, {12345, 12345, 9, 9, 9, 9, 9});
  setFields(2, {12345}, {10, 11, 12, 13, 14});
  put(rec(5), "00005014000B001570062380");
  put(rec(6), "0000501400005015");
  ctx.ch.ChCount = 6;
  IicDatToChInfo(ctx);
  for (int n : {1, 2, 4}) EXPECT_EQ(fields(n), empty()) << n;
  EXPECT_EQ(name(2), (B{10, 11, 12, 13, 14}));
  EXPECT_EQ(fields(3), (V{14500000, -1, 1, 0, 1, 0, 0}));
  EXPECT_EQ(fields(5), (V{14500000, -1, 1, 51, 1, 1, 0}));
  EXPECT_EQ(ctx.ch.ChInfo(6, 2), 15500000);
  const QStringList lines = ctx.log.lines();
  EXPECT_EQ(ctx.log.entriesLogged(), 3);
  EXPECT_EQ(lines.filter(QStringLiteral("modChMem->IicDatToChInfo")).size(), 2);
  EXPECT_EQ(lines.filter(QStringLiteral("modChMem->IcTxFreSol")).size(), 1);
  EXPECT_EQ(ctx.log.lastNumber(), ErrTypeMismatch);
  ChInfoToIicDat(ctx);
  EXPECT_EQ(hex(rec(5) + 4, 4), "FFFFFFFF") << "the next encode writes no TX";
}

// Generated images: 199 channels, about two thirds valid and the rest random bytes.
TEST_F(ChannelCodecTest, GeneratedImagesReproduceTheirValidChannelsAndSettleAfterOneDecodeAndEncode) {
  ctx.ch.ChCount = 199;
  const auto bcd = [](int32_t v) {
    char b[4];
    for (int i = 0; i < 4; ++i, v /= 100) b[i] = char((v % 100 / 10) * 16 + v % 10);
    return QByteArray(b, 4);
  };
  for (unsigned seed = 1; seed <= 30; ++seed) {
    std::mt19937 rnd(seed);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rnd); };
    QByteArray image(8192, '\0');
    for (char& b : image) b = char(pick(0, 255));
    std::vector<int> valid;
    for (int n = 1; n <= 199; ++n) {
      if (pick(0, 2) == 0) continue;
      const QString dec = ctx.tones.IicCode(pick(0, 260)), enc = ctx.tones.IicCode(pick(0, 260));
      int flag = pick(0, 255);
      if ((flag & 0x06) == 0x06) flag &= ~0x04;  // both bits set is not a value of field 7
      image.replace(rec(n), 13, bcd(pick(ctx.band.LowerLimit, ctx.band.UpperLimit)) +
                                    (pick(0, 3) == 0 ? QByteArray(4, '\xFF') : bcd(pick(10000000, 99999999))) +
                                    QByteArray::fromHex((dec.mid(2) + dec.left(2) + enc.mid(2) + enc.left(2)).toLatin1()) + char(flag));
      if (seed > 25 && n % 3 == 1)
        image[rec(n) + 3] = 0x1B;  // digits A-F, as random bytes mostly have
      else
        valid.push_back(n);
    }
    ctx.IicDat.assignFrom(image);
    const int logged = ctx.log.entriesLogged();
    IicDatToChInfo(ctx);
    ChInfoToIicDat(ctx);
    const QByteArray once = ctx.IicDat.toByteArray();
    for (int n : valid)
      ASSERT_EQ(once.mid(rec(n), 16) + once.mid(ext(n), 2), image.mid(rec(n), 16) + image.mid(ext(n), 2)) << "seed " << seed << " channel " << n;
    EXPECT_EQ(once.mid(ext(200)), image.mid(ext(200))) << "seed " << seed;
    if (seed <= 25) {
      EXPECT_GT(valid.size(), 100u);
    } else {
      EXPECT_GT(ctx.log.entriesLogged(), logged);
    }
    const int afterFirst = ctx.log.entriesLogged();
    IicDatToChInfo(ctx);
    ChInfoToIicDat(ctx);
    EXPECT_EQ(ctx.IicDat.toByteArray(), once) << "seed " << seed;
    EXPECT_EQ(ctx.log.entriesLogged(), afterFirst) << "seed " << seed;
  }
}

}  // namespace
