// The pure parts the codecs stand on, on hand-written bytes: the channel and option codecs
// both ways with the damaged records and round trips over generated images, the tone
// codes, the numbers, the byte view and the band bytes.

#include "core/bandpresets.h"
#include "core/byteview.h"
#include "core/configuration.h"
#include "core/numbers.h"
#include "core/tonecodes.h"

#include <gtest/gtest.h>

#include <functional>
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
  CodecTables operator()(int channels = 4) const { return {tones, 260, defaults, channels}; }
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
  EXPECT_TRUE(hex(image, 0x0E13, 4) + hex(image, 0x0E19, 2) == "090403010709" && e.replacedByDefault == (std::vector<int>{1, 14, 15, 23}));
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
  EXPECT_TRUE(std::vector<int16_t>(d.config.fm.begin(), d.config.fm.begin() + 7) == (std::vector<int16_t>{875, 0, 0, 0, 0, 0, 1080}) &&
              names(d.problems) == (Names{"modSysSet->SaveToOptSel 13"}));

  // A band edge past the record or a byte value below 0 stops the encode where it stands.
  for (const auto& [band, o] : {std::pair{BandLimits{200000000, 17399500}, RadioOptions{}}, {kBand136, options({{2, -1}})}}) {
    put(image, 0x0EC4, "00");
    EXPECT_TRUE(names(encodeOptions(o, fm, band, tables(), image).problems) == (Names{"modSysSet->OptSelToSave 6"}) && hex(image, 0x0EC4, 1) == "00");
  }
}

TEST(ToneList, ImageCodesFindTheirIndexUpToTheLimit) {
  ToneList tones;
  fillToneCodes(tones);
  const std::tuple<int, const char*, int> cases[] = {
      {260, "0670", 1}, {260, "2541", 50}, {260, "8023", 51}, {260, "8754", 155}, {260, "C023", 156}, {260, "C754", 260},
      {260, "FFFF", 0}, {260, "0690", 0}, {260, "8024", 0},  // 69.0 Hz and DCS 024 are not in the list
      {260, "c754", 0},                                       // the comparison is case-sensitive
      {50, "2541", 50}, {50, "8023", 0}, {155, "8754", 155}, {155, "C023", 0},
      {301, "C754", 260},  // a match before the end of the table is still found
  };
  for (const auto& [max, code, expected] : cases)
    EXPECT_EQ(toneIndexOfCode(tones, max, QLatin1String(code)), expected) << max << " " << code;
  EXPECT_THROW(toneIndexOfCode(tones, 301, QStringLiteral("0690")), K52Error) << "a search past the table";
}

int errorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const K52Error& e) {
    return e.number();
  }
  return 0;
}
TEST(Numbers, RoundingIsHalfToEvenTextIsCheckedAndAddressesAreHexadecimalUpTo7FFF) {
  using V = std::vector<int>;
  EXPECT_EQ((std::vector<double>{roundHalfEven(2.5), roundHalfEven(3.5), roundHalfEven(-2.5), roundHalfEven(173.995 * 100000 / 100000)}),
            (std::vector<double>{2, 4, -2, 174}));
  EXPECT_EQ((V{textToInt16(QStringLiteral(" 0.5 ")), textToInt16(QStringLiteral("1.5")), textToInt32(QStringLiteral("135.5")),
               textToInt16(QStringLiteral("-32768")), hexTextToInt16(QStringLiteral("1FFF")), hexTextToInt16(QStringLiteral("7fff"))}),
            (V{0, 2, 136, -32768, 8191, 0x7FFF}));
  for (const char* ok : {"0", " -12.5 ", "+3", ".5", "7.", "00012"}) EXPECT_TRUE(isNumeric(QString::fromLatin1(ok))) << ok;
  for (const char* bad : {"", " ", "-", ".", "1e3", "1,5", "0x10", "1.2.3", "12a", "&H1F", "--1"})
    EXPECT_FALSE(isNumeric(QString::fromLatin1(bad))) << bad;
  const std::pair<std::function<void()>, int> failures[] = {
      {[] { textToInt16(QStringLiteral("32767.5")); }, ErrOverflow}, {[] { toInt16(int64_t{40000}); }, ErrOverflow},
      {[] { textToInt16(QStringLiteral("abc")); }, ErrTypeMismatch},  {[] { hexTextToInt16(QStringLiteral("8000")); }, ErrOverflow},
      {[] { hexTextToInt16(QStringLiteral("12G4")); }, ErrTypeMismatch}, {[] { hexTextToInt16(QString()); }, ErrTypeMismatch},
      {[] { decimalDigitsValue(QStringLiteral("1A000000")); }, ErrTypeMismatch}};
  for (size_t i = 0; i < std::size(failures); ++i) EXPECT_EQ(errorOf(failures[i].first), failures[i].second) << i;
}
using Bytes = std::array<uint8_t, 3>;

// The band record bytes of the band list's presets, worked out by hand from the dealers' list
// (136-174, 136-150, 150-174, 200-260, 245-246, 400-470, 400-440, 440-480, 470-520, 400-520, 120-520 MHz).
const Bytes kPresetBytes[] = {{0x13, 0x17, 0x64}, {0x13, 0x15, 0x60}, {0x15, 0x17, 0x04}, {0x20, 0x26, 0x00},
                              {0x24, 0x24, 0x56}, {0x40, 0x47, 0x00}, {0x40, 0x44, 0x00}, {0x44, 0x48, 0x00},
                              {0x47, 0x52, 0x00}, {0x40, 0x52, 0x00}, {0x12, 0x52, 0x00}};

TEST(BandTable, PresetsEncodeToTheirBytesAndTheBytesSelectThemBack) {
  ASSERT_EQ(std::size(kPresetBytes), kBandPresets.size());
  MemoryImage img;
  img.allocate(addr::kMemorySize - 1);
  for (const BandPreset& p : kBandPresets) {
    const Bytes bytes = kPresetBytes[p.index];
    EXPECT_EQ(encodeBandBytes(p.lower, p.upper), bytes) << p.text;
    for (int i = 0; i < 3; ++i) img.at(addr::kBand + i) = bytes[static_cast<size_t>(i)];
    // The true top edge, and the preset found again.
    EXPECT_TRUE(decodeBandBytes(img) == (BandLimits{p.lower, p.upper + 500}) && bandIndexOfImage(img) == p.index) << p.text;
  }
}

TEST(BandTable, WholeMegahertzRoundHalfToEvenAndNibblesAreReadAsTheyStand) {
  // 519.995 -> 520; 135.5 -> 136, 150.495 -> 150; 134.5 -> 134, 150.5 -> 150; a custom 150 - 150.
  for (const auto& [lower, upper, b] : {std::tuple{40000000, 51999500, Bytes{0x40, 0x52, 0x00}}, {13550000, 15049500, Bytes{0x13, 0x15, 0x60}},
                                        {13450000, 15050000, Bytes{0x13, 0x15, 0x40}}, {15000000, 14999500, Bytes{0x15, 0x15, 0x00}}})
    EXPECT_EQ(encodeBandBytes(lower, upper), b) << lower << " " << upper;
  // 136 - 175 MHz is no preset, and UpperLimit is not the edge.
  for (const int32_t upper : {17500000, 17399500}) EXPECT_EQ(presetIndexOf(13600000, upper), kCustomBandIndex) << upper;
  // Above 1599 MHz the record cannot hold the edge; negative limits neither.
  for (const int32_t lower : {160000000, -13600000}) EXPECT_THROW(encodeBandBytes(lower, 17399500), K52Error) << lower;

  MemoryImage img;
  img.allocate(addr::kMemorySize - 1);
  // 0x0D in the tens place is 13 tens: 0D 17 64 is read as 136 - 174 MHz. Erased memory is
  // 1665 - 1665 MHz, no preset.
  for (const auto& [bytes, index] : {std::pair{0x0D1764, 0}, {0xFFFFFF, int(kCustomBandIndex)}}) {
    for (int i = 0; i < 3; ++i) img.at(addr::kBand + i) = static_cast<uint8_t>(bytes >> (16 - 8 * i));
    EXPECT_EQ(bandIndexOfImage(img), index);
  }
  EXPECT_EQ(decodeBandBytes(img), (BandLimits{166500000, 166500000}));
  MemoryImage shortImg;
  shortImg.allocate(addr::kBand + 1);
  EXPECT_THROW(decodeBandBytes(shortImg), K52Error);
}

TEST(BandTable, CustomRangeTextsAsTheDialogTakesThem) {
  const std::tuple<const char*, const char*, std::optional<BandLimits>> cases[] = {
      {"120", "520", BandLimits{12000000, 51999500}}, {" 135.5 ", "150.5", BandLimits{13550000, 15049500}},
      {"150", "150", BandLimits{15000000, 14999500}}, {"119.9", "300", std::nullopt}, {"200", "520.1", std::nullopt},
      {"300", "200", std::nullopt}, {"abc", "200", std::nullopt}, {"200", "", std::nullopt}, {"99999999999", "200", std::nullopt}};
  for (const auto& [min, max, limits] : cases)
    EXPECT_EQ(customRangeFromTexts(QLatin1String(min), QLatin1String(max)), limits) << min << " " << max;
}

// The byte view's accessors on hand-written bytes, and its refusals: an address outside the
// image is the bounds error, a BCD digit A-F the type-mismatch error, a number too long for
// its bytes the overflow error.
TEST(ByteView, ReadsAndWritesFieldsAndRefusesWhatIsNotThere) {
  MemoryImage image;
  image.allocate(7);
  const uint8_t bytes[] = {0x00, 0x95, 0x39, 0x17, 0x3C, 0xA1, 0x42, 0x99};
  for (int i = 0; i < 8; ++i) image.at(i) = bytes[i];
  const ByteView view(image);
  EXPECT_EQ((std::vector<int>{view.byte(7), view.bits(4, 0x30), view.field(4, 0x30), view.field(4, 0xF0), view.field(4, 0x0F), view.le16(5)}),
            (std::vector<int>{0x99, 0x30, 3, 3, 0xC, 0x42A1}));
  EXPECT_TRUE(view.bcdDigits(0, 4) == QStringLiteral("17399500") && view.bcd(0, 4) == 17399500 && view.bcd(6, 2) == 9942);
  const std::pair<std::function<void()>, int> refusals[] = {
      {[&] { view.byte(-1); }, ErrBounds},       {[&] { view.byte(8); }, ErrBounds},    {[&] { view.le16(7); }, ErrBounds},
      {[&] { view.bcd(6, 3); }, ErrBounds},      {[&] { view.bcd(0, 0); }, ErrBounds},  {[&] { view.bcd(4, 2); }, ErrTypeMismatch},
      {[&] { ByteEditor(image).setBcd(0, 2, 10000); }, ErrOverflow}, {[&] { ByteEditor(image).setBcd(0, 2, -1); }, ErrOverflow},
      {[&] { ByteEditor(image).set(8, 0); }, ErrBounds}};
  for (size_t i = 0; i < std::size(refusals); ++i) EXPECT_EQ(errorOf(refusals[i].first), refusals[i].second) << "refusal " << i;
  EXPECT_EQ(image.toByteArray().toHex(), QByteArray("009539173ca14299")) << "a refused write writes nothing";
  ByteEditor(image).setBits(4, 0x06, 0xFF);
  EXPECT_EQ(image.at(4), 0x3E) << "only the bits of the mask";
}

}  // namespace
