// The optional features: the documented layout both ways, every bit field, the limits
// of the whole-byte values, the FM stations and the band record, generated round trips,
// and the defaults and selections of the settings file.

#include "image/optcodec.h"

#include "image/codecenv.h"
#include "ui/inifile.h"

#include <cstring>
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
    select({});
  }
  // OptSel: the given values, every other entry 0.
  void select(const std::map<int, int>& values) {
    for (int i = 1; i <= 100; ++i) ctx.opt.OptSel(i) = 0;
    for (const auto& [entry, v] : values) ctx.opt.OptSel(entry) = static_cast<int16_t>(v);
  }
  void expectSelected(const std::map<int, int>& values) const {
    for (const auto& [entry, v] : values) EXPECT_EQ(ctx.opt.OptSel(entry), v) << "entry " << entry;
  }
  void settings(const char* text) {
    env.writeSettings(QString::fromUtf8(text));
    ctx.ini.setPath(env.path(QStringLiteral("minglyc.dll")));
  }
  static int station(int i) { return 0x0E60 + 4 * i; }
};

// One configuration in both forms. The bit bytes have the unused bits (0E10 bits 6-7,
// 0E11 bit 3, 0E12 bit 7) set, as an encode over erased memory leaves them.
const std::map<int, int> kSelections = {
    {1, 3},  {2, 5},  {3, 1},  {4, 1},  {5, 1},   {6, 2},  {7, 1},  {8, 1},  {9, 1},     {10, 1},  {11, 1},
    {12, 0}, {13, 1}, {14, 7}, {15, 2}, {16, 2},  {18, 1}, {20, 1}, {21, 9}, {22, 0},    {23, 24}, {24, 875},
    {25, 1080}, {26, 870}, {27, 0}, {48, 950}, {50, 17}, {51, 14}, {52, 21}, {53, 21}, {54, 24}};
const std::pair<int, const char*> kLayout[] = {
    {0x0E10, "F69DEB05030702"}, {0x0E19, "1809110E151518"}, {0x0E60, "000075080000801000007008FFFFFFFF"},
    {0x0EC0, "00005009FFFFFFFF"}, {0x0FF0, "131764"}};

TEST_F(OptionCodecTest, EncodeAndDecodeFollowTheDocumentedLayout) {
  put(0x0EC4, "00000000");
  put(0x0E17, "3344");
  select(kSelections);
  OptSelToSave(ctx);
  for (const auto& [address, bytes] : kLayout) EXPECT_EQ(hex(address, int(strlen(bytes) / 2)), bytes) << std::hex << address;
  for (int i = 4; i < 24; ++i) EXPECT_EQ(hex(station(i), 4), "FFFFFFFF") << i;  // stations 5-24 are empty
  EXPECT_EQ(hex(0x0E17, 2), "3344") << "bytes outside the option area stay";

  ctx.IicDat.fill(0xFF);
  for (const auto& [address, bytes] : kLayout) put(address, bytes);
  select({{17, 1234}, {19, 1234}, {49, 1234}, {55, 1234}, {100, 1234}});
  SaveToOptSel(ctx);
  expectSelected(kSelections);
  for (int k = 28; k <= 47; ++k) EXPECT_EQ(ctx.opt.OptSel(k), 0) << k;
  expectSelected({{17, 1234}, {19, 1234}, {49, 1234}, {55, 1234}, {100, 1234}});  // not the codec's
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
}

TEST_F(OptionCodecTest, BitFieldsDecodeEveryPatternAndEncodeOnlyTheirOwnBits) {
  const std::tuple<int, int, int, int> decode[] = {  // entry, address, bits, value
      {6, 0x0E10, 0x00, 0}, {6, 0x0E10, 0x01, 1}, {6, 0x0E10, 0x02, 2}, {6, 0x0E10, 0x03, 1},
      {7, 0x0E11, 0x00, 0}, {7, 0x0E11, 0x01, 1}, {7, 0x0E11, 0x02, 2}, {7, 0x0E11, 0x03, 0},
      {8, 0x0E11, 0x00, 0}, {8, 0x0E11, 0x10, 1}, {8, 0x0E11, 0x20, 2}, {8, 0x0E11, 0x30, 1},
      {9, 0x0E12, 0x00, 0}, {9, 0x0E12, 0x02, 1}, {9, 0x0E12, 0x12, 2}, {9, 0x0E12, 0x10, 0},
      {16, 0x0E11, 0x00, 0}, {16, 0x0E11, 0x40, 1}, {16, 0x0E11, 0x80, 2}, {16, 0x0E11, 0xC0, 0},
  };
  for (const auto& [entry, address, bits, value] : decode) {
    put(0x0E10, "000000");
    put(address, {bits});
    SaveToOptSel(ctx);
    EXPECT_EQ(ctx.opt.OptSel(entry), value) << "entry " << entry << " bits " << bits;
  }
  const std::tuple<int, int, int, int> encode[] = {  // entry, value, address, bits
      {3, 1, 0x0E12, 0x01},  {4, 1, 0x0E11, 0x04},  {5, 1, 0x0E10, 0x04},  {10, 1, 0x0E12, 0x20},
      {11, 1, 0x0E12, 0x08}, {12, 1, 0x0E10, 0x08}, {13, 1, 0x0E12, 0x40}, {18, 1, 0x0E10, 0x10},
      {20, 1, 0x0E10, 0x20}, {22, 1, 0x0E12, 0x04}, {3, 2, 0x0E12, 0x00},  {13, -1, 0x0E12, 0x00},
      {6, 1, 0x0E10, 0x01},  {6, 2, 0x0E10, 0x02},  {6, 3, 0x0E10, 0x01},  {6, -1, 0x0E10, 0x01},
      {7, 1, 0x0E11, 0x01},  {7, 2, 0x0E11, 0x02},  {7, 3, 0x0E11, 0x00},  {8, 1, 0x0E11, 0x10},
      {8, 2, 0x0E11, 0x20},  {8, 7, 0x0E11, 0x10},  {9, 1, 0x0E12, 0x02},  {9, 2, 0x0E12, 0x12},
      {9, 3, 0x0E12, 0x00},  {16, 1, 0x0E11, 0x40}, {16, 2, 0x0E11, 0x80}, {16, 3, 0x0E11, 0x00},
  };
  for (const auto& [entry, value, address, bits] : encode) {
    // From erased memory: everything but the unused bits is cleared, then the field set.
    put(0x0E10, "FFFFFF");
    select({{entry, value}});
    OptSelToSave(ctx);
    B expected{0xC0, 0x08, 0x80};
    expected[size_t(address - 0x0E10)] |= bits;
    EXPECT_EQ(get(0x0E10, 3), expected) << "entry " << entry << " value " << value;
  }
  // From cleared memory the unused bits stay clear.
  put(0x0E10, "000000");
  select({{3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 2}, {8, 2}, {9, 2}, {10, 1}, {11, 1}, {12, 1}, {13, 1}, {16, 2}, {18, 1}, {20, 1}, {22, 1}});
  OptSelToSave(ctx);
  EXPECT_EQ(hex(0x0E10, 3), "3DA67F");
}

TEST_F(OptionCodecTest, WholeByteValuesAboveTheirLimitsTakeTheDefaultOrAreClamped) {
  for (const auto& [entry, def] : {std::pair{1, 4}, {2, 6}, {14, 3}, {15, 1}, {21, 8}, {23, 7}}) ctx.opt.OptDef(entry) = int16_t(def);
  select({{1, 10}, {2, 9}, {14, 12}, {15, 6}, {21, 9}, {23, 25}});
  OptSelToSave(ctx);
  EXPECT_EQ(hex(0x0E13, 4) + hex(0x0E19, 2), "090403010709");
  expectSelected({{1, 4}, {2, 9}, {14, 3}, {15, 1}, {21, 9}, {23, 7}});  // the table holds the replacements

  put(0x0E13, "0A0A0C05");
  put(0x0E19, "19FF");
  SaveToOptSel(ctx);
  expectSelected({{1, 4}, {2, 6}, {14, 8}, {15, 5}, {21, 8}, {23, 7}});
  put(0x0E13, "090908FF");
  put(0x0E19, "1800");
  SaveToOptSel(ctx);
  expectSelected({{1, 9}, {2, 9}, {14, 8}, {15, 5}, {21, 0}, {23, 24}});
}

TEST_F(OptionCodecTest, FmStationsAreBcdInTensOfHertzBetween87And108MHz) {
  select({{24, 875}, {25, 1080}, {26, 869}, {27, 1081}, {28, -5}, {29, 870}, {30, 869}});
  OptSelToSave(ctx);
  EXPECT_EQ(hex(station(0), 28), "0000750800008010FFFFFFFFFFFFFFFFFFFFFFFF00007008FFFFFFFF");
  SaveToOptSel(ctx);
  expectSelected({{24, 875}, {25, 1080}, {26, 0}, {27, 0}, {28, 0}, {29, 870}, {30, 0}});

  // Decoding drops the digits below 100 kHz and empties anything outside 87-108 MHz; a
  // station with a digit A-F is logged and read as empty.
  put(station(0), "9999750800006008000090100000759AFF007508");
  SaveToOptSel(ctx);
  expectSelected({{24, 875}, {25, 0}, {26, 0}, {27, 0}, {28, 0}});
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
  select({{24, 900}, {25, 900}, {26, 900}, {27, 900}});
  put(station(0), "0000750A00008010001B801000000009");
  SaveToOptSel(ctx);
  expectSelected({{24, 0}, {25, 1080}, {26, 0}, {27, 900}});
  EXPECT_EQ(ctx.log.entriesLogged(), 2);
  EXPECT_EQ(test::lastError(ctx), test::failure(QStringLiteral("modSysSet->SaveToOptSel"), ErrTypeMismatch));
}

// (How the band edges round to the record's bytes is the band table's.)
TEST_F(OptionCodecTest, ValuesThatDoNotFitStopTheEncodeAndTheDirectionChoosesEncodeOrDecode) {
  put(0x0EC4, "00000000");
  ctx.band.LowerLimit = 200000000;  // 2000 MHz: hundreds digit 20 does not fit a nibble pair
  OptSelToSave(ctx);
  EXPECT_EQ(ctx.log.lastProcName(), QStringLiteral("modSysSet->OptSelToSave"));
  ctx.band.LowerLimit = 13600000;
  ctx.opt.OptSel(2) = -1;
  OptSelToSave(ctx);
  EXPECT_EQ(ctx.log.entriesLogged(), 2);
  EXPECT_EQ(ctx.log.lastNumber(), ErrOverflow);
  EXPECT_EQ(hex(0x0EC4, 1), "00");

  // The direction chooses encode (0) or decode (1); anything else does nothing.
  put(0x0E14, "07");
  OptSelSaveSol(ctx, 1);
  EXPECT_EQ(ctx.opt.OptSel(1), 7);
  ctx.opt.OptSel(1) = 2;
  ctx.opt.OptSel(2) = 3;
  const MemoryImage image = ctx.IicDat;
  OptSelSaveSol(ctx, 2);
  OptSelSaveSol(ctx, -1);
  EXPECT_TRUE(ctx.IicDat == image && ctx.opt.OptSel(1) == 2);
  OptSelSaveSol(ctx, 0);
  EXPECT_EQ(hex(0x0E14, 1), "02");
}

TEST_F(OptionCodecTest, GeneratedSelectionsSurviveEncodeAndDecode) {
  // Highest valid value of each entry the codec stores; the stations are handled below.
  const std::map<int, int> kMax = {{1, 9},  {2, 9},  {3, 1},  {4, 1},  {5, 1},  {6, 2},  {7, 2},  {8, 2},  {9, 2},
                                   {10, 1}, {11, 1}, {12, 1}, {13, 1}, {14, 8}, {15, 5}, {16, 2}, {18, 1}, {20, 1},
                                   {21, 9}, {22, 1}, {23, 24}, {50, 255}, {51, 255}, {52, 255}, {53, 255}, {54, 255}};
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
    for (const auto& [entry, v] : chosen) ASSERT_EQ(ctx.opt.OptSel(entry), v) << "round " << round << " entry " << entry;
    EXPECT_EQ((B{ctx.IicDat.at(0x0E10) & 0xC0, ctx.IicDat.at(0x0E11) & 0x08, ctx.IicDat.at(0x0E12) & 0x80}), unused);
  }
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
}

TEST_F(OptionCodecTest, TheSettingsFileGivesDefaultsAndSelectionsOfTheCurrentLanguage) {
  settings("[Option]\n0=3\n2001=1\n2002= 4 \n2003=2\n2501=5\n2502=6\n2503=7\n3001=9\n3501=8\n");
  ctx.opt.OptSel(4) = 99;
  ctx.st.CurLang = 2;
  OptNowDefSol(ctx, 0);
  EXPECT_EQ(ctx.opt.OptCount, 3);
  EXPECT_EQ((B{ctx.opt.OptDef(1), ctx.opt.OptDef(2), ctx.opt.OptDef(3)}), (B{1, 4, 2}));
  expectSelected({{1, 5}, {2, 6}, {3, 7}, {4, 99}});
  ctx.st.CurLang = 0;  // outside 1-3: the English keys, and English from then on
  OptNowDefSol(ctx, 0);
  EXPECT_EQ(ctx.st.CurLang, 3);
  EXPECT_EQ((B{ctx.opt.OptDef(1), ctx.opt.OptDef(2), ctx.opt.OptSel(1)}), (B{9, 0, 8})) << "missing keys read as 0";
  EXPECT_EQ(ctx.log.entriesLogged(), 0);

  // A reset copies the defaults and stores them; another mode changes nothing.
  ctx.st.CurLang = 1;
  settings("[Option]\n0=2\n1001=3\n1002=1\n1501=0\n1502=0\n");
  OptNowDefSol(ctx, 0);
  select({{1, 8}, {3, 8}});
  OptNowDefSol(ctx, 2);
  expectSelected({{1, 3}, {2, 1}, {3, 8}});
  IniFile onDisk(env.path(QStringLiteral("minglyc.dll")));
  EXPECT_EQ(onDisk.read(QStringLiteral("Option"), QStringLiteral("1501"), {}) + onDisk.read(QStringLiteral("Option"), QStringLiteral("1502"), {}) +
                onDisk.read(QStringLiteral("Option"), QStringLiteral("1503"), QStringLiteral("none")),
            QStringLiteral("31none"));
  ctx.opt.OptSel(1) = 8;
  OptNowDefSol(ctx, 1);
  EXPECT_EQ(ctx.opt.OptSel(1), 8);

  settings("[Setting]\nLanguage=2\n");
  OptNowDefSol(ctx, 0);
  EXPECT_EQ(ctx.opt.OptCount, 0);
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
  // Too many entries, or text that is no number.
  ctx.st.CurLang = 2;
  select({});
  settings("[Option]\n0=101\n2100=5\n2501=5\n");
  OptNowDefSol(ctx, 0);
  EXPECT_EQ(test::lastError(ctx), test::failure(QStringLiteral("modSysSet->OptNowDefSol"), ErrBounds));
  EXPECT_EQ(ctx.opt.OptDef(100), 5);
  EXPECT_EQ(ctx.opt.OptSel(1), 0) << "the selections were never reached";
  settings("[Option]\n0=2\n2001=x\n");
  OptNowDefSol(ctx, 0);
  EXPECT_EQ(ctx.log.lastNumber(), ErrTypeMismatch);
  EXPECT_EQ(ctx.log.entriesLogged(), 2);
}

}  // namespace
