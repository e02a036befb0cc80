// The settings file and default image delivered beside the program, read the way the
// program reads them at start-up.

#include "image/addressmap.h"
#include "image/chmem.h"
#include "image/numbers.h"
#include "image/optcodec.h"
#include "shell/startup.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <map>
#include <set>

namespace k52 {
namespace {

class Delivered : public ::testing::Test {
 protected:
  void SetUp() override {
    env.installDeliveredFiles();
    env.ctx->ini.setPath(env.path(QStringLiteral("minglyc.dll")));
    ReadSettings(*env.ctx);
  }
  QString read(const char* section, const QString& key) const {
    return readClean(env.ctx->ini, QString::fromLatin1(section), key, QStringLiteral("<missing>"), 99);
  }
  test::TestEnv env;
};

TEST_F(Delivered, SettingsGiveAFreshInstallationWithAFullImage) {
  EXPECT_EQ(env.ctx->log.entriesLogged(), 0);
  // No "FirRun": the first start is the installation pass.
  EXPECT_EQ(read("Setting", QStringLiteral("FirRun")), QStringLiteral("<missing>"));
  EXPECT_EQ(read("Setting", QStringLiteral("ChannelLock")), QStringLiteral("<missing>"));
  const AppState& s = env.ctx->st;
  EXPECT_EQ(s.DatNum, 8191);
  EXPECT_EQ(env.ctx->IicDat.size(), 8192);
  EXPECT_EQ(s.CurLang, 2);
  EXPECT_EQ(s.ComNo, 1);
  EXPECT_EQ(s.ChsFont, QStringLiteral("宋体"));
  EXPECT_EQ(s.EngFont, QStringLiteral("Times New Roman"));
  EXPECT_EQ(s.CtcDcsMax, 260);
  EXPECT_NE(colorValue(s.DefColor), colorValue(s.OverColor));
  EXPECT_EQ(s.TableMaxAddr, 0x1FFF);
  EXPECT_EQ(s.ReadStartAddr, 0);
  EXPECT_EQ(s.ReadEndAddr, 0x1FFF);
  EXPECT_EQ(s.WriteStartAddr, 0);
  EXPECT_EQ(s.WriteEndAddr, 0x1FFF);
}

TEST_F(Delivered, ChannelGridIsDescribedInEveryLanguage) {
  const std::map<int, QString> keyed = {
      {1, "RxFre"}, {2, "TxFre"}, {3, "CtcssDcsDec"}, {4, "CtcssDcsEnc"}, {8, "CHNAME"}};
  const std::map<int, int> choiceCounts = {{5, 2}, {6, 2}, {7, 3}};
  std::map<int, QStringList> headersByLang;
  for (int16_t lang = 1; lang <= 3; ++lang) {
    SCOPED_TRACE(lang);
    env.ctx->st.CurLang = lang;
    ReadChInfo(*env.ctx);
    ASSERT_EQ(env.ctx->log.entriesLogged(), 0);
    const ChannelTable& t = env.ctx->ch;
    // Records of channels 1-199 end below the name extension.
    EXPECT_EQ(t.ChCount, 199);
    EXPECT_LE(t.ChCount, addr::kRecordsBelowNameExt);
    ASSERT_EQ(t.ColCount, 8);
    EXPECT_GE(t.RowHeight, 200);

    const QStringList headers = t.GridFormat.split(QLatin1Char('|'));
    ASSERT_EQ(headers.size(), t.ColCount + 1);
    for (const QString& h : headers) EXPECT_GT(h.size(), 1) << qPrintable(t.GridFormat);
    headersByLang[lang] = headers;
    for (int c = 0; c <= t.ColCount; ++c) EXPECT_GE(t.ColWidth(c), 400) << c;

    for (int c = 1; c <= t.ColCount; ++c) {
      SCOPED_TRACE(c);
      EXPECT_TRUE(isNumeric(t.ColItems(c, 2)));  // every column's default is a number
      if (keyed.count(c)) {
        EXPECT_EQ(t.ColItems(c, 0), keyed.at(c));
        continue;
      }
      const int n = textToInt16(t.ColItems(c, 1));
      EXPECT_EQ(n, choiceCounts.at(c));
      const int def = textToInt16(t.ColItems(c, 2));
      EXPECT_TRUE(def >= 0 && def < n) << def;
      QStringList texts;
      for (int v = 0; v < n; ++v) texts << t.ColItems(c, 3 + v);
      for (const QString& x : texts) EXPECT_FALSE(x.trimmed().isEmpty());
      EXPECT_EQ(t.ColItems(c, 0), texts.join(QLatin1Char('|')));
    }
    // "Open channel" gives a channel inside the delivered band, TX = RX or none, no tones.
    const int32_t rx = textToInt32(t.ColItems(1, 2));
    EXPECT_TRUE(rx >= 40000000 && rx <= 46999500) << rx;
    const int32_t tx = textToInt32(t.ColItems(2, 2));
    EXPECT_TRUE(tx == 0 || tx == rx) << tx;
    EXPECT_EQ(t.ColItems(3, 2), QStringLiteral("0"));
    EXPECT_EQ(t.ColItems(4, 2), QStringLiteral("0"));
  }
  // Each language has its own wording.
  EXPECT_NE(headersByLang[1], headersByLang[2]);
  EXPECT_NE(headersByLang[1], headersByLang[3]);
  EXPECT_NE(headersByLang[2], headersByLang[3]);
}

// Highest list value of each option entry with a control; FM stations (24-48) and the
// power-on message (50-54) are checked by their own rules.
const std::map<int, int> kHighest = {{1, 9},  {2, 9},  {3, 1},  {4, 1},  {5, 1},  {6, 2},  {7, 2},
                                     {8, 2},  {9, 2},  {10, 1}, {11, 1}, {12, 1}, {13, 1}, {14, 8},
                                     {15, 5}, {16, 2}, {18, 1}, {20, 1}, {21, 9}, {22, 1}, {23, 24}};

bool validOption(int entry, int v) {
  if (kHighest.count(entry)) return v >= 0 && v <= kHighest.at(entry);
  if (entry >= 24 && entry <= 48) return v == 0 || (v >= 870 && v <= 1080);
  if (entry >= 50 && entry <= 54) return (v >= 0 && v <= 44) || v == 255;
  return v == 0;  // 17, 19, 49: no control
}

TEST_F(Delivered, OptionDefaultsFitTheirControlsAndAreWhatTheImageHolds) {
  ReadChInfo(*env.ctx);  // the channel count, for loading the image
  InitTempArray(*env.ctx);
  ASSERT_EQ(env.ctx->log.entriesLogged(), 0);
  // Every channel of the default image is empty.
  ChInfoSaveSol(*env.ctx, 1);
  for (int n = 1; n <= env.ctx->ch.ChCount; ++n) ASSERT_EQ(env.ctx->ch.ChInfo(n, 1), -1) << n;

  const OptionTable& t = env.ctx->opt;
  for (int16_t lang = 1; lang <= 3; ++lang) {
    SCOPED_TRACE(lang);
    env.ctx->st.CurLang = lang;
    OptNowDefSol(*env.ctx, 0);
    ASSERT_GE(t.OptCount, 54);
    ASSERT_LE(t.OptCount, 100);
    for (int i = 1; i <= t.OptCount; ++i) {
      EXPECT_TRUE(validOption(i, t.OptDef(i))) << "default " << i << " = " << t.OptDef(i);
      EXPECT_TRUE(validOption(i, t.OptSel(i))) << "selection " << i << " = " << t.OptSel(i);
    }
    EXPECT_EQ(t.OptDef(2), 3);  // squelch 3
    EXPECT_EQ(t.OptDef(1), 6);  // time-out 180 s
    EXPECT_EQ(t.OptDef(3), 1);  // beep on

    // The default image decodes to the same factory values; the defaults are hidden
    // from the decoder, so a byte out of range cannot fall back to them unseen.
    const OptionTable defaults = t;
    env.ctx->opt.OptDef.fill(-1);
    SaveToOptSel(*env.ctx);
    for (int i = 1; i <= 54; ++i) {
      if (i == 17 || i == 19 || i == 49) continue;  // not stored in the image
      EXPECT_EQ(t.OptSel(i), defaults.OptDef(i)) << "entry " << i;
    }
  }
  EXPECT_EQ(env.ctx->log.entriesLogged(), 0);
}

TEST_F(Delivered, DefaultImageIsAnUnprogrammed400To470Radio) {
  const QByteArray file = env.readFile(QStringLiteral("dhcpqec.dll"));
  ASSERT_EQ(file.size(), 8192);
  auto byte = [&](int a) { return static_cast<uint8_t>(file.at(a)); };

  // Only the option bytes, the firmware version and the band bytes are programmed.
  std::set<int> programmed;
  for (int a = addr::kOptBits0; a <= addr::kWriteLimitedByte; ++a) programmed.insert(a);
  for (int a = addr::kFmChannel; a < addr::kPowerOnMsg + addr::kPowerOnMsgSize; ++a) programmed.insert(a);
  for (int a = addr::kSoftVersion; a < addr::kSoftVersion + 3; ++a) programmed.insert(a);
  for (int a = addr::kBand; a < addr::kBand + addr::kBandSize; ++a) programmed.insert(a);
  for (int a = 0; a < file.size(); ++a) {
    if (!programmed.count(a)) {
      ASSERT_EQ(byte(a), 0xFF) << "address " << a;
    }
  }

  EXPECT_EQ(byte(addr::kBand), 0x40);
  EXPECT_EQ(byte(addr::kBand + 1), 0x47);
  EXPECT_EQ(byte(addr::kBand + 2), 0x00);
  EXPECT_LE(byte(addr::kWriteLimitedByte), 4);
  // Firmware version and date: nibbles of a real version and month, a real day.
  EXPECT_NE(byte(addr::kSoftVersion), 0xFF);
  const int month = byte(addr::kSoftVersion + 1) & 0x0F;
  const int day = byte(addr::kSoftVersion + 2);
  EXPECT_TRUE(month >= 1 && month <= 12) << month;
  EXPECT_TRUE(day >= 1 && day <= 31) << day;
}

}  // namespace
}  // namespace k52
