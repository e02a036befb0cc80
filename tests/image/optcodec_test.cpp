#include "image/optcodec.h"

#include "image/codecenv.h"
#include "ui/inifile.h"

#include <map>
#include <random>

using namespace k52;
using k52::test::CodecTest;

namespace {

using B = std::vector<int>;

class OptionCodecTest : public CodecTest {
 protected:
  OptionCodecTest() {
    for (int i = 1; i <= 100; ++i) ctx.opt.OptDef(i) = static_cast<int16_t>(i % 3);
    for (int i = 1; i <= 100; ++i) ctx.opt.OptSel(i) = 0;
  }
  void select(const std::map<int, int>& values) {
    for (const auto& [entry, v] : values) ctx.opt.OptSel(entry) = static_cast<int16_t>(v);
  }
  int sel(int entry) const { return ctx.opt.OptSel(entry); }
  void expectSelected(const std::map<int, int>& values) const {
    for (const auto& [entry, v] : values) EXPECT_EQ(sel(entry), v) << "entry " << entry;
  }
  int station(int i) const { return 0x0E60 + 4 * i; }
};

// One configuration in both forms. The bit bytes have the unused bits (0E10 bits 6-7,
// 0E11 bit 3, 0E12 bit 7) set, as an encode over erased memory leaves them.
const std::map<int, int> kSelections = {
    {1, 3},  {2, 5},  {3, 1},  {4, 1},  {5, 1},   {6, 2},  {7, 1},  {8, 1},  {9, 1},     {10, 1},  {11, 1},
    {12, 0}, {13, 1}, {14, 7}, {15, 2}, {16, 2},  {18, 1}, {20, 1}, {21, 9}, {22, 0},    {23, 24}, {24, 875},
    {25, 1080}, {26, 870}, {27, 0}, {48, 950}, {50, 17}, {51, 14}, {52, 21}, {53, 21}, {54, 24}};
struct Area {
  int address;
  B bytes;
};
const Area kArea[] = {
    {0x0E10, {0xF6, 0x9D, 0xEB, 0x05, 0x03, 0x07, 0x02}},
    {0x0E19, {0x18, 0x09, 0x11, 0x0E, 0x15, 0x15, 0x18}},
    {0x0E60, {0x00, 0x00, 0x75, 0x08, 0x00, 0x00, 0x80, 0x10, 0x00, 0x00, 0x70, 0x08, 0xFF, 0xFF, 0xFF, 0xFF}},
    {0x0EC0, {0x00, 0x00, 0x50, 0x09, 0xFF, 0xFF, 0xFF, 0xFF}},
    {0x0FF0, {0x13, 0x17, 0x64}},
};

TEST_F(OptionCodecTest, EncodeWritesTheDocumentedLayout) {
  put(0x0EC4, {0, 0, 0, 0});
  put(0x0E17, {0x33, 0x44});
  select(kSelections);
  OptSelToSave(ctx);
  for (const Area& a : kArea) EXPECT_EQ(get(a.address, int(a.bytes.size())), a.bytes) << std::hex << a.address;
  // Stations 5-24 are empty; bytes outside the option area stay.
  for (int i = 4; i < 24; ++i) EXPECT_EQ(get(station(i), 4), (B{0xFF, 0xFF, 0xFF, 0xFF})) << i;
  EXPECT_EQ(get(0x0E17, 2), (B{0x33, 0x44}));
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
}

TEST_F(OptionCodecTest, DecodeReadsTheDocumentedLayout) {
  for (const Area& a : kArea) {
    int address = a.address;
    for (int b : a.bytes) ctx.IicDat.at(address++) = static_cast<uint8_t>(b);
  }
  for (int k : {17, 19, 49, 55, 100}) ctx.opt.OptSel(k) = 1234;
  SaveToOptSel(ctx);
  expectSelected(kSelections);
  for (int k = 28; k <= 47; ++k) EXPECT_EQ(sel(k), 0) << k;
  // Entries the codec does not own.
  for (int k : {17, 19, 49, 55, 100}) EXPECT_EQ(sel(k), 1234) << k;
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
}

TEST_F(OptionCodecTest, ThreeStateFieldsDecodeEveryBitPattern) {
  const struct {
    int entry, address, bits, value;
  } kCases[] = {
      {6, 0x0E10, 0x00, 0}, {6, 0x0E10, 0x01, 1}, {6, 0x0E10, 0x02, 2}, {6, 0x0E10, 0x03, 1},
      {7, 0x0E11, 0x00, 0}, {7, 0x0E11, 0x01, 1}, {7, 0x0E11, 0x02, 2}, {7, 0x0E11, 0x03, 0},
      {8, 0x0E11, 0x00, 0}, {8, 0x0E11, 0x10, 1}, {8, 0x0E11, 0x20, 2}, {8, 0x0E11, 0x30, 1},
      {9, 0x0E12, 0x00, 0}, {9, 0x0E12, 0x02, 1}, {9, 0x0E12, 0x12, 2}, {9, 0x0E12, 0x10, 0},
      {16, 0x0E11, 0x00, 0}, {16, 0x0E11, 0x40, 1}, {16, 0x0E11, 0x80, 2}, {16, 0x0E11, 0xC0, 0},
  };
  for (const auto& c : kCases) {
    put(0x0E10, {0, 0, 0});
    put(c.address, {c.bits});
    SaveToOptSel(ctx);
    EXPECT_EQ(sel(c.entry), c.value) << "entry " << c.entry << " bits " << c.bits;
  }
}

TEST_F(OptionCodecTest, BitFieldsEncodeOnlyTheirOwnBits) {
  const struct {
    int entry, value, address, bits;
  } kCases[] = {
      {3, 1, 0x0E12, 0x01},  {4, 1, 0x0E11, 0x04},  {5, 1, 0x0E10, 0x04},  {10, 1, 0x0E12, 0x20},
      {11, 1, 0x0E12, 0x08}, {12, 1, 0x0E10, 0x08}, {13, 1, 0x0E12, 0x40}, {18, 1, 0x0E10, 0x10},
      {20, 1, 0x0E10, 0x20}, {22, 1, 0x0E12, 0x04}, {3, 2, 0x0E12, 0x00},  {13, -1, 0x0E12, 0x00},
      {6, 1, 0x0E10, 0x01},  {6, 2, 0x0E10, 0x02},  {6, 3, 0x0E10, 0x01},  {6, -1, 0x0E10, 0x01},
      {7, 1, 0x0E11, 0x01},  {7, 2, 0x0E11, 0x02},  {7, 3, 0x0E11, 0x00},  {8, 1, 0x0E11, 0x10},
      {8, 2, 0x0E11, 0x20},  {8, 7, 0x0E11, 0x10},  {9, 1, 0x0E12, 0x02},  {9, 2, 0x0E12, 0x12},
      {9, 3, 0x0E12, 0x00},  {16, 1, 0x0E11, 0x40}, {16, 2, 0x0E11, 0x80}, {16, 3, 0x0E11, 0x00},
  };
  for (const auto& c : kCases) {
    // From erased memory: everything but the unused bits is cleared, then the field set.
    put(0x0E10, {0xFF, 0xFF, 0xFF});
    for (int k = 1; k <= 100; ++k) ctx.opt.OptSel(k) = 0;
    ctx.opt.OptSel(c.entry) = static_cast<int16_t>(c.value);
    OptSelToSave(ctx);
    B expected{0xC0, 0x08, 0x80};
    expected[size_t(c.address - 0x0E10)] |= c.bits;
    EXPECT_EQ(get(0x0E10, 3), expected) << "entry " << c.entry << " value " << c.value;
  }
  // From cleared memory the unused bits stay clear.
  put(0x0E10, {0, 0, 0});
  select({{3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 2}, {8, 2}, {9, 2}, {10, 1}, {11, 1}, {12, 1}, {13, 1}, {16, 2}, {18, 1},
          {20, 1}, {22, 1}});
  OptSelToSave(ctx);
  EXPECT_EQ(get(0x0E10, 3), (B{0x3D, 0xA6, 0x7F}));
}

TEST_F(OptionCodecTest, WholeByteValuesAboveTheirLimitsTakeTheDefault) {
  ctx.opt.OptDef(1) = 4;
  ctx.opt.OptDef(14) = 3;
  ctx.opt.OptDef(15) = 1;
  ctx.opt.OptDef(23) = 7;
  select({{1, 10}, {2, 9}, {14, 12}, {15, 6}, {21, 9}, {23, 25}});
  OptSelToSave(ctx);
  EXPECT_EQ(get(0x0E13, 4), (B{9, 4, 3, 1}));
  EXPECT_EQ(get(0x0E19, 2), (B{7, 9}));
  // The table itself holds the replacements.
  expectSelected({{1, 4}, {2, 9}, {14, 3}, {15, 1}, {21, 9}, {23, 7}});
}

TEST_F(OptionCodecTest, WholeByteDecodeReplacesOrClampsOutOfRangeBytes) {
  ctx.opt.OptDef(1) = 4;
  ctx.opt.OptDef(2) = 6;
  ctx.opt.OptDef(21) = 8;
  ctx.opt.OptDef(23) = 7;
  put(0x0E13, {0x0A, 0x0A, 0x0C, 0x05});
  put(0x0E19, {0x19, 0xFF});
  SaveToOptSel(ctx);
  expectSelected({{1, 4}, {2, 6}, {14, 8}, {15, 5}, {21, 8}, {23, 7}});
  put(0x0E13, {0x09, 0x09, 0x08, 0xFF});
  put(0x0E19, {0x18, 0x00});
  SaveToOptSel(ctx);
  expectSelected({{1, 9}, {2, 9}, {14, 8}, {15, 5}, {21, 0}, {23, 24}});
}

TEST_F(OptionCodecTest, FmStationsAreBcdInTensOfHertz) {
  select({{24, 875}, {25, 1080}, {26, 869}, {27, 1081}, {28, -5}, {29, 870}, {30, 869}});
  OptSelToSave(ctx);
  EXPECT_EQ(get(station(0), 4), (B{0x00, 0x00, 0x75, 0x08}));
  EXPECT_EQ(get(station(1), 4), (B{0x00, 0x00, 0x80, 0x10}));
  for (int i : {2, 3, 4, 6}) EXPECT_EQ(get(station(i), 4), (B{0xFF, 0xFF, 0xFF, 0xFF})) << i;
  EXPECT_EQ(get(station(5), 4), (B{0x00, 0x00, 0x70, 0x08}));
  SaveToOptSel(ctx);
  expectSelected({{24, 875}, {25, 1080}, {26, 0}, {27, 0}, {28, 0}, {29, 870}, {30, 0}});

  // Decoding drops the digits below 100 kHz and empties anything outside 87-108 MHz.
  put(station(0), {0x99, 0x99, 0x75, 0x08});
  put(station(1), {0x00, 0x00, 0x60, 0x08});
  put(station(2), {0x00, 0x00, 0x90, 0x10});
  put(station(3), {0x00, 0x00, 0x75, 0x9A});
  put(station(4), {0xFF, 0x00, 0x75, 0x08});
  SaveToOptSel(ctx);
  expectSelected({{24, 875}, {25, 0}, {26, 0}, {27, 0}, {28, 0}});
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
}

TEST_F(OptionCodecTest, FmStationWithADigitAToFIsLoggedAndReadAsEmpty) {
  select({{24, 900}, {25, 900}, {26, 900}, {27, 900}});
  put(station(0), {0x00, 0x00, 0x75, 0x0A});
  put(station(1), {0x00, 0x00, 0x80, 0x10});
  put(station(2), {0x00, 0x1B, 0x80, 0x10});
  put(station(3), {0x00, 0x00, 0x00, 0x09});
  SaveToOptSel(ctx);
  expectSelected({{24, 0}, {25, 1080}, {26, 0}, {27, 900}});
  EXPECT_EQ(ctx.log.entriesLogged(), 2);
  EXPECT_EQ(ctx.log.lastProcName(), QStringLiteral("modSysSet->SaveToOptSel"));
  EXPECT_EQ(ctx.log.lastNumber(), ErrTypeMismatch);
}

TEST_F(OptionCodecTest, BandEdgesRoundToWholeMegahertz) {
  const struct {
    int32_t lower, upper;
    B bytes;
  } kCases[] = {
      {13600000, 17399500, {0x13, 0x17, 0x64}}, {13550000, 15049500, {0x13, 0x15, 0x60}},  // 135.5 -> 136
      {12000000, 51999500, {0x12, 0x52, 0x00}}, {24500000, 24599500, {0x24, 0x24, 0x56}},
      {14450000, 14550000, {0x14, 0x14, 0x46}},  // 144.5 -> 144, 145.5 -> 146
  };
  for (const auto& c : kCases) {
    ctx.band.LowerLimit = c.lower;
    ctx.band.UpperLimit = c.upper;
    OptSelToSave(ctx);
    EXPECT_EQ(get(0x0FF0, 3), c.bytes) << c.lower << " " << c.upper;
  }
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
}

TEST_F(OptionCodecTest, ValuesThatDoNotFitAByteStopTheEncodeWithAnOverflow) {
  put(0x0EC4, {0, 0, 0, 0});
  ctx.band.LowerLimit = 200000000;  // 2000 MHz: hundreds digit 20 does not fit a nibble pair
  OptSelToSave(ctx);
  EXPECT_EQ(ctx.log.lastProcName(), QStringLiteral("modSysSet->OptSelToSave"));
  EXPECT_EQ(ctx.log.lastNumber(), ErrOverflow);
  EXPECT_EQ(get(0x0EC4, 1), (B{0}));

  ctx.band.LowerLimit = 13600000;
  ctx.opt.OptSel(2) = -1;
  OptSelToSave(ctx);
  EXPECT_EQ(ctx.log.entriesLogged(), 2);
  EXPECT_EQ(ctx.log.lastNumber(), ErrOverflow);
  EXPECT_EQ(get(0x0EC4, 1), (B{0}));
}

TEST_F(OptionCodecTest, DirectionChoosesEncodeOrDecode) {
  put(0x0E14, {0x07});
  OptSelSaveSol(ctx, 1);
  EXPECT_EQ(sel(1), 7);
  ctx.opt.OptSel(1) = 2;
  const MemoryImage image = ctx.IicDat;
  OptSelSaveSol(ctx, 2);
  OptSelSaveSol(ctx, -1);
  EXPECT_TRUE(ctx.IicDat == image);
  EXPECT_EQ(sel(1), 2);
  OptSelSaveSol(ctx, 0);
  EXPECT_EQ(get(0x0E14, 1), (B{2}));
  EXPECT_EQ(get(0x0FF0, 3), (B{0x13, 0x17, 0x64}));
}

TEST_F(OptionCodecTest, GeneratedSelectionsSurviveEncodeAndDecode) {
  // Highest valid value of each entry the codec stores; the stations are handled below.
  const std::map<int, int> kMax = {{1, 9},  {2, 9},  {3, 1},  {4, 1},  {5, 1},  {6, 2},  {7, 2},  {8, 2},
                                   {9, 2},  {10, 1}, {11, 1}, {12, 1}, {13, 1}, {14, 8}, {15, 5}, {16, 2},
                                   {18, 1}, {20, 1}, {21, 9}, {22, 1}, {23, 24}, {50, 255}, {51, 255},
                                   {52, 255}, {53, 255}, {54, 255}};
  std::mt19937 rnd(52);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rnd); };
  for (int round = 0; round < 200; ++round) {
    for (int a = 0x0E00; a <= 0x0FFF; ++a) ctx.IicDat.at(a) = static_cast<uint8_t>(pick(0, 255));
    const B unused{ctx.IicDat.at(0x0E10) & 0xC0, ctx.IicDat.at(0x0E11) & 0x08, ctx.IicDat.at(0x0E12) & 0x80};
    std::map<int, int> chosen;
    for (const auto& [entry, max] : kMax) chosen[entry] = pick(0, max);
    for (int k = 24; k <= 48; ++k) chosen[k] = pick(0, 3) == 0 ? 0 : pick(870, 1080);
    select(chosen);
    OptSelToSave(ctx);
    for (int k = 1; k <= 100; ++k) ctx.opt.OptSel(k) = -9;
    SaveToOptSel(ctx);
    for (const auto& [entry, v] : chosen) ASSERT_EQ(sel(entry), v) << "round " << round << " entry " << entry;
    EXPECT_EQ((B{ctx.IicDat.at(0x0E10) & 0xC0, ctx.IicDat.at(0x0E11) & 0x08, ctx.IicDat.at(0x0E12) & 0x80}), unused);
  }
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
}

class OptionSettingsTest : public CodecTest {
 protected:
  void settings(const char* text) {
    env.writeSettings(QString::fromUtf8(text));
    ctx.ini.setPath(env.path(QStringLiteral("minglyc.dll")));
  }
};

TEST_F(OptionSettingsTest, LoadReadsDefaultsAndSelectionsOfTheCurrentLanguage) {
  settings("[Option]\n0=3\n2001=1\n2002= 4 \n2003=2\n2501=5\n2502=6\n2503=7\n3001=9\n3501=8\n");
  ctx.opt.OptSel(4) = 99;
  ctx.st.CurLang = 2;
  OptNowDefSol(ctx, 0);
  EXPECT_EQ(ctx.opt.OptCount, 3);
  EXPECT_EQ((B{ctx.opt.OptDef(1), ctx.opt.OptDef(2), ctx.opt.OptDef(3)}), (B{1, 4, 2}));
  EXPECT_EQ((B{ctx.opt.OptSel(1), ctx.opt.OptSel(2), ctx.opt.OptSel(3), ctx.opt.OptSel(4)}), (B{5, 6, 7, 99}));
  // A language outside 1-3 reads the English keys and is set to English.
  ctx.st.CurLang = 0;
  OptNowDefSol(ctx, 0);
  EXPECT_EQ(ctx.st.CurLang, 3);
  EXPECT_EQ((B{ctx.opt.OptDef(1), ctx.opt.OptDef(2), ctx.opt.OptSel(1)}), (B{9, 0, 8}));
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
}

TEST_F(OptionSettingsTest, ResetCopiesTheDefaultsAndStoresThem) {
  settings("[Option]\n0=2\n1001=3\n1002=1\n1501=0\n1502=0\n");
  ctx.st.CurLang = 1;
  OptNowDefSol(ctx, 0);
  ctx.opt.OptSel(1) = 8;
  ctx.opt.OptSel(3) = 8;
  OptNowDefSol(ctx, 2);
  EXPECT_EQ((B{ctx.opt.OptSel(1), ctx.opt.OptSel(2), ctx.opt.OptSel(3)}), (B{3, 1, 8}));
  IniFile onDisk(env.path(QStringLiteral("minglyc.dll")));
  EXPECT_EQ(onDisk.read(QStringLiteral("Option"), QStringLiteral("1501"), QString()), QStringLiteral("3"));
  EXPECT_EQ(onDisk.read(QStringLiteral("Option"), QStringLiteral("1502"), QString()), QStringLiteral("1"));
  EXPECT_EQ(onDisk.read(QStringLiteral("Option"), QStringLiteral("1503"), QStringLiteral("none")), QStringLiteral("none"));
  // Another mode changes nothing.
  ctx.opt.OptSel(1) = 8;
  OptNowDefSol(ctx, 1);
  EXPECT_EQ(ctx.opt.OptSel(1), 8);
}

TEST_F(OptionSettingsTest, MissingKeysReadAsZero) {
  settings("[Option]\n0=4\n");
  for (int i = 1; i <= 5; ++i) ctx.opt.OptDef(i) = ctx.opt.OptSel(i) = 9;
  OptNowDefSol(ctx, 0);
  for (int i = 1; i <= 4; ++i) {
    EXPECT_EQ(ctx.opt.OptDef(i), 0);
    EXPECT_EQ(ctx.opt.OptSel(i), 0);
  }
  EXPECT_EQ(ctx.opt.OptSel(5), 9);

  settings("[Setting]\nLanguage=2\n");
  OptNowDefSol(ctx, 0);
  EXPECT_EQ(ctx.opt.OptCount, 0);
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
}

TEST_F(OptionSettingsTest, TooManyEntriesOrBadTextIsLogged) {
  settings("[Option]\n0=101\n2100=5\n2501=5\n");
  ctx.st.CurLang = 2;
  OptNowDefSol(ctx, 0);
  EXPECT_EQ(ctx.log.lastProcName(), QStringLiteral("modSysSet->OptNowDefSol"));
  EXPECT_EQ(ctx.log.lastNumber(), ErrBounds);
  EXPECT_EQ(ctx.opt.OptDef(100), 5);
  EXPECT_EQ(ctx.opt.OptSel(1), 0);  // the selections were never reached

  settings("[Option]\n0=2\n2001=x\n");
  OptNowDefSol(ctx, 0);
  EXPECT_EQ(ctx.log.lastNumber(), ErrTypeMismatch);
  EXPECT_EQ(ctx.log.entriesLogged(), 2);
}

}  // namespace
