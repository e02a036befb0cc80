// The channel and option codecs: hand-written bytes from the memory layout both ways, the
// damaged records, round trips over generated images, and the table codecs' log names.

#include "app/chcodec.h"
#include "app/chmem.h"
#include "core/byteview.h"
#include "core/configuration.h"
#include "app/ctdcs.h"
#include "app/optcodec.h"
#include "support/testenv.h"
#include "core/inifile.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

using namespace k52;

namespace {

int rec(int n) { return 16 * (n - 1); }
int ext(int n) { return 0x0C70 + 2 * (n - 1); }

MemoryImage erased() {
  MemoryImage image;
  image.allocate(addr::kMemorySize - 1);
  image.fill(0xFF);
  return image;
}
void put(MemoryImage& image, int a, const char* hex) {
  for (char b : QByteArray::fromHex(hex)) image.at(a++) = static_cast<uint8_t>(b);
}
std::string hex(const MemoryImage& image, int a, int count) {
  return image.toByteArray().mid(a, count).toHex().toUpper().toStdString();
}
std::vector<std::string> names(const Problems& problems) {
  std::vector<std::string> v;
  for (const Problem& p : problems) v.push_back(std::string(p.procedure) + " " + std::to_string(p.number));
  return v;
}
using Names = std::vector<std::string>;

struct Tables {
  ToneList tones;
  VbArray<int16_t, 1, kOptEntries> defaults;
  Tables() {
    fillToneCodes(tones);
    for (int i = 1; i <= kOptEntries; ++i) defaults(i) = static_cast<int16_t>(i % 3);
  }
  CodecTables operator()(int channels = 4, int toneMax = 260) const { return {tones, toneMax, defaults, channels}; }
};

constexpr NameCodes kNoName{255, 255, 255, 255, 255};
const BandLimits kBand136{13600000, 17399500};

TEST(ChannelCodec, HandWrittenRecordsDecode) {
  struct Case {
    const char* record;  // 16 bytes of the record, then the 2 of the name extension
    Channel expected;
    Names problems;
  };
  const Channel emptyFF = Channel{-1, -1, 0, 0, true, true, Power::High, kNoName};
  const Case cases[] = {
      // 173.995 RX, 146.000 TX, 67.0 Hz, D754I, flag FD (bits 5, 3, power low), "CHANN".
      {"0095391700006014700654C7FD0C110A1717", Channel{17399500, 14600000, 1, 260, true, true, Power::Low, {12, 17, 10, 23, 23}}, {}},
      // Outside every band and still a channel; TX below 10 MHz; 69.0 Hz is no tone, one erased byte neither.
      {"00000090563412059006FF80080001020304", Channel{90000000, 5123456, 0, 0, false, true, Power::High, {0, 1, 2, 3, 4}}, {}},
      {"000000110000009A7006238002FFFFFFFFFF", Channel{11000000, -1, 1, 51, false, false, Power::Middle, kNoName}, {}},
      {"9999999900000001FFFFFFFF06FFFFFFFFFF", Channel{99999999, 1000000, 0, 0, false, false, Power::High, kNoName}, {}},
      // The top RX byte must lie in 11 ... 99.
      {"99999910FFFFFFFFFFFFFFFFFFFFFFFFFFFF", emptyFF, {}},
      {"0000009AFFFFFFFFFFFFFFFFFFFFFFFFFFFF", emptyFF, {}},
      // Digits A-F: an RX that passes the range test makes the channel empty, a TX is none.
      {"0000001AFFFFFFFFFFFFFFFFFFFFFFFFFFFF", emptyFF, {"modChMem->IicDatToChInfo 13"}},
      {"009F5014FFFFFFFFFFFFFFFFFFFFFFFFFFFF", emptyFF, {"modChMem->IicDatToChInfo 13"}},
      {"00005014000B0015FFFFFFFF00FFFFFFFFFF", Channel{14500000, -1, 0, 0, false, false, Power::High, kNoName}, {"modChMem->IcTxFreSol 13"}},
  };
  const Tables tables;
  for (const Case& c : cases) {
    MemoryImage image = erased();
    put(image, rec(3), QByteArray(c.record).left(32).constData());
    put(image, ext(3), QByteArray(c.record).mid(32).constData());
    const Decoded d = decode(image, tables());
    EXPECT_EQ(d.config.channels.at(2), c.expected) << c.record;
    EXPECT_EQ(names(d.problems), c.problems) << c.record;
    EXPECT_TRUE(d.config.channels.at(1).empty() && d.config.channels.at(3).empty());
  }
}

TEST(ChannelCodec, ValuesEncodeToTheirBytesAndTheRadiosBitsPassThrough) {
  struct Case {
    Channel ch;
    const char* before;  // record and extension before, "" for erased
    const char* after;
    Names problems;
  };
  const Case cases[] = {
      {Channel{14652500, 43512500, 13, 156, false, true, Power::Middle, {0, 1, 2, 3, 4}}, "", "0025651400255143001023C0DB0001020304", {}},
      {Channel{-1, 5123456, 0, -1, false, false, Power::High, kNoName}, "", "FFFFFFFF56341205FFFFFFFFD1FFFFFFFFFF", {}},
      {Channel{17399500, -1, 1, 50, true, true, Power::Low, {9, 9, 9, 9, 9}}, "000000000000000000000000000000000000",
       "00953917FFFFFFFF700641252C0909090909", {}},
      {Channel{-1, -1, 0, 0, true, false, Power::Middle, kNoName}, "000000000000000000000000D1FFFFFFFFFF",
       "FFFFFFFFFFFFFFFFFFFFFFFFF3FFFFFFFFFF", {}},
      // A tone without an image code leaves its bytes and the rest is still written.
      {Channel{-1, -1, 301, -2, false, false, Power::High, kNoName}, "0000000000000000123456780600000000FF",
       "FFFFFFFFFFFFFFFF1234567800FFFFFFFFFF", {"modChMem->CiCtdcsDecSol 9", "modChMem->CiCtdcsEncSol 9"}},
      // A frequency of nine digits keeps its first eight; a negative one leaves its bytes.
      {Channel{123456789, -5, 0, 0, false, false, Power::High, kNoName}, "", "78563412FFFFFFFFFFFFFFFFD1FFFFFFFFFF",
       {"modChMem->SeparateFreChar 9", "modChMem->SeparateFreChar 13"}},
  };
  const Tables tables;
  for (const Case& c : cases) {
    MemoryImage image = erased();
    put(image, rec(2), QByteArray(c.before).left(32).constData());
    put(image, ext(2), QByteArray(c.before).mid(32).constData());
    Problems problems;
    encodeChannel(c.ch, 2, tables(), image, problems);
    EXPECT_EQ(hex(image, rec(2), 16) + hex(image, ext(2), 2), c.after) << c.after;
    EXPECT_EQ(names(problems), c.problems) << c.after;
    EXPECT_EQ(hex(image, rec(1), 16) + hex(image, rec(3), 16) + hex(image, ext(3), 2), std::string(68, 'F')) << "nothing else";
  }
}

// Random images: 199 channels, two thirds valid, some with digits A-F; random options.
TEST(Codec, GeneratedImagesKeepTheirValidChannelsAndOptionsAndSettleAfterOneDecodeAndEncode) {
  const Tables tables;
  for (unsigned seed = 1; seed <= 30; ++seed) {
    std::mt19937 rnd(seed);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rnd); };
    MemoryImage image = erased();
    ByteEditor w(image);
    for (int a = 0; a < addr::kMemorySize; ++a) w.set(a, static_cast<uint8_t>(pick(0, 255)));
    std::vector<int> valid;
    for (int n = 1; n <= 199; ++n) {
      if (pick(0, 2) == 0) continue;
      w.setBcd(rec(n), 4, pick(11000000, 99999999));
      pick(0, 3) == 0 ? w.fill(rec(n) + 4, 4, 0xFF) : w.setBcd(rec(n) + 4, 4, pick(10000000, 99999999));
      for (const int tone : {8, 10}) w.setLe16(rec(n) + tone, tables.tones.IicCode(pick(0, 260)).toUShort(nullptr, 16));
      if (image.at(rec(n) + 12) % 8 >= 6) w.setBits(rec(n) + 12, 0x04, 0);  // both power bits set is no power
      if (seed > 25 && n % 3 == 1)
        w.set(rec(n) + 3, 0x1B);  // digits A-F
      else
        valid.push_back(n);
    }
    Decoded first = decode(image, tables(199));
    first.config.band = kBand136;  // random band bytes need not fit the record
    MemoryImage once = image;
    EXPECT_TRUE(encode(first.config, tables(199), once).problems.empty());
    for (int n : valid)
      ASSERT_EQ(hex(once, rec(n), 16) + hex(once, ext(n), 2), hex(image, rec(n), 16) + hex(image, ext(n), 2)) << seed << " " << n;
    EXPECT_TRUE(seed <= 25 || !first.problems.empty()) << seed;
    // The options and stations come back as decoded; the option bytes' unused bits stay.
    const Decoded second = decode(once, tables(199));
    EXPECT_TRUE(second.config.options == first.config.options && second.config.fm == first.config.fm) << seed;
    for (const auto& [a, unused] : {std::pair{0x0E10, 0xC0}, {0x0E11, 0x08}, {0x0E12, 0x80}})
      EXPECT_EQ(once.at(a) & unused, image.at(a) & unused) << seed;
    MemoryImage twice = once;
    encode(second.config, tables(199), twice);
    EXPECT_TRUE(twice == once && second.problems.empty()) << seed;
  }
}

// One set of options in both forms. The bit bytes have the unused bits (0E10 bits 6-7,
// 0E11 bit 3, 0E12 bit 7) set, as an encode over erased memory leaves them.
const std::map<int, int> kSelections = {{1, 3}, {2, 5}, {3, 1}, {4, 1}, {5, 1}, {6, 2}, {7, 1}, {8, 1}, {9, 1}, {10, 1}, {11, 1},
                                        {12, 0}, {13, 1}, {14, 7}, {15, 2}, {16, 2}, {18, 1}, {20, 1}, {21, 9}, {22, 0}, {23, 24}};
const std::pair<int, const char*> kLayout[] = {
    {0x0E10, "F69DEB05030702"}, {0x0E19, "1809110E151518"}, {0x0E60, "000075080000801000007008FFFFFFFF"},
    {0x0EC0, "00005009FFFFFFFF"}, {0x0FF0, "131764"}};

RadioOptions options(const std::map<int, int>& values, std::array<int16_t, 5> message = {}) {
  RadioOptions o;
  for (const auto& [entry, v] : values) o[entry] = static_cast<int16_t>(v);
  o.powerOnMessage = message;
  return o;
}

TEST(OptionCodec, EncodeAndDecodeFollowTheDocumentedLayout) {
  const Tables tables;
  const RadioOptions o = options(kSelections, {17, 14, 21, 21, 24});
  FmStations fm{};
  fm[0] = 875, fm[1] = 1080, fm[2] = 870, fm[24] = 950;
  MemoryImage image = erased();
  put(image, 0x0EC4, "00000000");
  put(image, 0x0E17, "3344");
  const Encoded e = encodeOptions(o, fm, kBand136, tables(), image);
  EXPECT_TRUE(e.problems.empty() && e.replacedByDefault.empty());
  for (const auto& [address, bytes] : kLayout) EXPECT_EQ(hex(image, address, int(std::string(bytes).size() / 2)), bytes) << address;
  EXPECT_EQ(hex(image, 0x0E17, 2), "3344") << "bytes outside the option fields stay";

  MemoryImage back = erased();
  for (const auto& [address, bytes] : kLayout) put(back, address, bytes);
  const Decoded d = decode(back, tables(0));
  EXPECT_TRUE(d.config.options == o && d.config.fm == fm && d.config.band == kBand136 && d.problems.empty());
}

TEST(OptionCodec, BitFieldsDecodeEveryPatternAndEncodeOnlyTheirOwnBits) {
  const Tables tables;
  const std::tuple<int, int, int, int> decoded[] = {  // entry, address, bits, value
      {6, 0x0E10, 0x00, 0}, {6, 0x0E10, 0x01, 1}, {6, 0x0E10, 0x02, 2}, {6, 0x0E10, 0x03, 1}, {7, 0x0E11, 0x03, 0},
      {8, 0x0E11, 0x10, 1}, {8, 0x0E11, 0x20, 2}, {8, 0x0E11, 0x30, 1}, {9, 0x0E12, 0x02, 1}, {9, 0x0E12, 0x12, 2},
      {9, 0x0E12, 0x10, 0}, {16, 0x0E11, 0x40, 1}, {16, 0x0E11, 0x80, 2}, {16, 0x0E11, 0xC0, 0}};
  for (const auto& [entry, address, bits, value] : decoded) {
    MemoryImage image = erased();
    put(image, 0x0E10, "000000");
    image.at(address) = static_cast<uint8_t>(bits);
    EXPECT_EQ(decode(image, tables(0)).config.options[entry], value) << entry << " " << bits;
  }
  const std::tuple<int, int, int, int> encoded[] = {  // entry, value, address, bits
      {3, 1, 0x0E12, 0x01}, {4, 1, 0x0E11, 0x04}, {5, 1, 0x0E10, 0x04}, {10, 1, 0x0E12, 0x20}, {11, 1, 0x0E12, 0x08},
      {12, 1, 0x0E10, 0x08}, {13, 1, 0x0E12, 0x40}, {18, 1, 0x0E10, 0x10}, {20, 1, 0x0E10, 0x20}, {22, 1, 0x0E12, 0x04},
      {3, 2, 0x0E12, 0x00}, {13, -1, 0x0E12, 0x00}, {6, 3, 0x0E10, 0x01}, {6, -1, 0x0E10, 0x01}, {7, 2, 0x0E11, 0x02},
      {7, 3, 0x0E11, 0x00}, {8, 7, 0x0E11, 0x10}, {9, 2, 0x0E12, 0x12}, {9, 3, 0x0E12, 0x00}, {16, 3, 0x0E11, 0x00}};
  for (const auto& [entry, value, address, bits] : encoded) {
    MemoryImage image = erased();
    encodeOptions(options({{entry, value}}), {}, kBand136, tables(), image);
    std::array<int, 3> expected{0xC0, 0x08, 0x80};
    expected[size_t(address - 0x0E10)] |= bits;
    EXPECT_EQ((std::array<int, 3>{image.at(0x0E10), image.at(0x0E11), image.at(0x0E12)}), expected) << entry << " " << value;
  }
}

TEST(OptionCodec, ByteValuesAboveTheirLimitsTakeTheDefaultOrTheLimit) {
  Tables tables;
  for (const auto& [entry, def] : {std::pair{1, 4}, {2, 6}, {14, 3}, {15, 1}, {21, 8}, {23, 7}}) tables.defaults(entry) = int16_t(def);
  MemoryImage image = erased();
  const Encoded e = encodeOptions(options({{1, 10}, {2, 9}, {14, 12}, {15, 6}, {21, 9}, {23, 25}}), {}, kBand136, tables(), image);
  EXPECT_EQ(hex(image, 0x0E13, 4) + hex(image, 0x0E19, 2), "090403010709");
  EXPECT_EQ(e.replacedByDefault, (std::vector<int>{1, 14, 15, 23}));
  const std::pair<const char*, std::map<int, int>> decoded[] = {
      {"0A0A0C0519FF", {{1, 4}, {2, 6}, {14, 8}, {15, 5}, {21, 8}, {23, 7}}},
      {"090908FF1800", {{1, 9}, {2, 9}, {14, 8}, {15, 5}, {21, 0}, {23, 24}}}};
  for (const auto& [bytes, values] : decoded) {
    put(image, 0x0E13, QByteArray(bytes).left(8).constData());
    put(image, 0x0E19, QByteArray(bytes).mid(8).constData());
    const RadioOptions o = decode(image, tables(0)).config.options;
    for (const auto& [entry, v] : values) EXPECT_EQ(o[entry], v) << bytes << " " << entry;
  }
}

TEST(OptionCodec, FmStationsAreBcdBetween87And108MHzAndWhatDoesNotFitStopsTheEncode) {
  const Tables tables;
  MemoryImage image = erased();
  FmStations fm{};
  fm[0] = 875, fm[1] = 1080, fm[2] = 869, fm[3] = 1081, fm[4] = -5, fm[5] = 870;
  encodeOptions({}, fm, kBand136, tables(), image);
  EXPECT_EQ(hex(image, 0x0E60, 28), "0000750800008010FFFFFFFFFFFFFFFFFFFFFFFF00007008FFFFFFFF");
  // Digits below 100 kHz are dropped, anything outside 87-108 MHz is empty, a digit A-F a problem.
  put(image, 0x0E60, "99997508000060080000901000007A9AFF0075080000750A00008010");
  const Decoded d = decode(image, tables(0));
  EXPECT_EQ(std::vector<int16_t>(d.config.fm.begin(), d.config.fm.begin() + 7), (std::vector<int16_t>{875, 0, 0, 0, 0, 0, 1080}));
  EXPECT_EQ(names(d.problems), (Names{"modSysSet->SaveToOptSel 13"}));

  // A band edge past the record or a byte value below 0 stops the encode where it stands.
  for (const auto& [band, o] : {std::pair{BandLimits{200000000, 17399500}, RadioOptions{}}, {kBand136, options({{2, -1}})}}) {
    put(image, 0x0EC4, "00");
    EXPECT_EQ(names(encodeOptions(o, fm, band, tables(), image).problems), (Names{"modSysSet->OptSelToSave 6"}));
    EXPECT_EQ(hex(image, 0x0EC4, 1), "00");
  }
}

// The table codecs: the program's tables in and out, and the problems logged under the
// names and in the order the error log has always shown.
TEST(TableCodecs, FillTheTablesAndLogTheProblemsUnderTheirNames) {
  test::TestEnv env;
  AppContext& ctx = *env.ctx;
  ctx.IicDat = erased();
  fillToneCodes(ctx.tones);
  ctx.ch.ChCount = 4;
  ctx.ch.ColCount = 8;
  for (int f = 5; f <= 8; ++f) ctx.ch.ColItems(f, 2) = QString::number(f - 5);  // column defaults 0, 1, 2, 3
  for (int f = 1; f <= 8; ++f) ctx.ch.ChInfo(1, f) = ctx.ch.ChInfo(2, f) = 9;
  ctx.ch.ChNameCode.fill(7);
  put(ctx.IicDat, rec(1), "0000001A");                          // digits A-F: empty
  put(ctx.IicDat, rec(2), "00004017000B0015700623802A010203");  // 174.000 MHz kept, TX damaged
  put(ctx.IicDat, 0x0E60, "0000750A");
  ChInfoSaveSol(ctx, kImageToTables);
  OptSelSaveSol(ctx, kImageToTables);
  std::vector<int32_t> fields;
  for (int n = 1; n <= 2; ++n) {
    for (int f = 1; f <= 8; ++f) fields.push_back(ctx.ch.ChInfo(n, f));
    for (int i = 0; i < 5; ++i) fields.push_back(ctx.ch.ChNameCode(n, i));
  }
  // An empty channel takes the column defaults and keeps its name.
  EXPECT_EQ(fields, (std::vector<int32_t>{-1, -1, 0, 0, 0, 1, 2, 3, 7, 7, 7, 7, 7, 17400000, -1, 1, 51, 1, 1, 1, 9, 1, 2, 3, 255, 255}));
  const QString log = ctx.log.lines().join(QLatin1Char('\n'));
  const qsizetype a = log.indexOf(QLatin1String("modChMem->IicDatToChInfo")), b = log.indexOf(QLatin1String("modChMem->IcTxFreSol"));
  EXPECT_TRUE(a >= 0 && a < b && b < log.indexOf(QLatin1String("modSysSet->SaveToOptSel")) && ctx.log.entriesLogged() == 3) << log.toStdString();
  // Encoding writes the tables back; a selection too large becomes its default in the table too.
  ctx.opt.OptDef(1) = 2;
  ctx.opt.OptSel(1) = 12;
  encodeTablesIntoImage(ctx);
  EXPECT_EQ(hex(ctx.IicDat, rec(1), 32) + hex(ctx.IicDat, 0x0E14, 1), "FFFFFFFFFFFFFFFFFFFFFFFFDD07070700004017FFFFFFFF700623802A01020302");
  EXPECT_EQ(ctx.opt.OptSel(1) * 10 + ctx.log.entriesLogged(), 23);
}

TEST(OptionDefaults, TheSettingsFileGivesDefaultsAndSelectionsOfTheCurrentLanguage) {
  test::TestEnv env;
  AppContext& ctx = *env.ctx;
  env.writeSettings(QStringLiteral("[Option]\n0=3\n2001=1\n2002= 4 \n2003=x\n2501=5\n"));
  ctx.ini.setPath(env.path(QStringLiteral("minglyc.dll")));
  ctx.opt.OptSel(2) = 99;
  ctx.st.CurLang = 2;
  OptNowDefSol(ctx, kLoadOptionDefaults);  // entry 3 is no number: the load stops there
  EXPECT_EQ((std::vector<int>{ctx.opt.OptDef(1), ctx.opt.OptDef(2), ctx.opt.OptSel(1), ctx.opt.OptSel(2)}), (std::vector<int>{1, 4, 0, 99}));
  EXPECT_EQ(test::lastError(ctx), test::failure(QStringLiteral("modSysSet->OptNowDefSol"), ErrTypeMismatch));
  // A reset copies the defaults and stores them under the language's keys.
  ctx.opt.OptSel(1) = 3;
  OptNowDefSol(ctx, kResetOptionsToDefaults);
  EXPECT_EQ(IniFile(env.path(QStringLiteral("minglyc.dll"))).read(QStringLiteral("Option"), QStringLiteral("2502"), {}), QStringLiteral("4"));
  EXPECT_EQ(ctx.opt.OptSel(1) * 10 + ctx.log.entriesLogged(), 11);
}

}  // namespace
