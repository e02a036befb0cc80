// The settings file and default image delivered beside the program, read the way the
// program reads them at start-up, and the user guides beside them.

#include "image/addressmap.h"
#include "image/chmem.h"
#include "image/numbers.h"
#include "image/optcodec.h"
#include "shell/startup.h"
#include "shell/langtable.h"
#include "support/testenv.h"
#include "ui/inifile.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <map>

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
  EXPECT_EQ(read("Setting", QStringLiteral("FirRun")) + read("Setting", QStringLiteral("ChannelLock")), QStringLiteral("<missing><missing>"));
  const AppState& s = env.ctx->st;
  EXPECT_EQ((std::vector<int>{s.DatNum, env.ctx->IicDat.size(), s.CurLang, s.ComNo, s.CtcDcsMax, s.TableMaxAddr, s.ReadStartAddr,
                              s.ReadEndAddr, s.WriteStartAddr, s.WriteEndAddr}),
            (std::vector<int>{8191, 8192, 2, 1, 260, 0x1FFF, 0, 0x1FFF, 0, 0x1FFF}));
  EXPECT_NE(colorValue(s.DefColor), colorValue(s.OverColor));
}

TEST_F(Delivered, ChannelGridIsDescribedInEveryLanguage) {
  const std::map<int, QString> keyed = {{1, "RxFre"}, {2, "TxFre"}, {3, "CtcssDcsDec"}, {4, "CtcssDcsEnc"}, {8, "CHNAME"}};
  for (int16_t lang = 1; lang <= 3; ++lang) {
    SCOPED_TRACE(lang);
    env.ctx->st.CurLang = lang;
    ReadChInfo(*env.ctx);
    ASSERT_EQ(env.ctx->log.entriesLogged(), 0);
    const ChannelTable& t = env.ctx->ch;
    // Records of channels 1-199 end below the name extension.
    EXPECT_TRUE(t.ChCount == 199 && t.ChCount <= addr::kRecordsBelowNameExt);
    ASSERT_EQ(t.ColCount, 8);
    EXPECT_EQ(t.GridFormat.split(QLatin1Char('|')).size(), 9);
    for (int c = 1; c <= t.ColCount; ++c) {
      EXPECT_TRUE(isNumeric(t.ColItems(c, 2))) << c;  // every column's default is a number
      if (keyed.count(c)) {
        EXPECT_EQ(t.ColItems(c, 0), keyed.at(c));
        continue;
      }
      const int n = textToInt16(t.ColItems(c, 1)), def = textToInt16(t.ColItems(c, 2));
      EXPECT_TRUE(n == (c == 7 ? 3 : 2) && def >= 0 && def < n) << c;
      QStringList texts;
      for (int v = 0; v < n; ++v) texts << t.ColItems(c, 3 + v);
      EXPECT_EQ(t.ColItems(c, 0), texts.join(QLatin1Char('|'))) << c;
    }
    // "Open channel" gives a channel inside the delivered band, TX = RX or none, no tones.
    const int32_t rx = textToInt32(t.ColItems(1, 2)), tx = textToInt32(t.ColItems(2, 2));
    EXPECT_TRUE(rx >= 40000000 && rx <= 46999500 && (tx == 0 || tx == rx)) << rx << " " << tx;
    EXPECT_EQ(t.ColItems(3, 2) + t.ColItems(4, 2), QStringLiteral("00"));
  }
}

// The defaults of the settings file are what the default image holds: a byte out of range
// cannot fall back to the default unseen, since the defaults are hidden from the decoder.
TEST_F(Delivered, OptionDefaultsAreWhatTheImageHoldsAndItsChannelsAreEmpty) {
  ReadChInfo(*env.ctx);  // the channel count, for loading the image
  InitTempArray(*env.ctx);
  ASSERT_EQ(env.ctx->log.entriesLogged(), 0);
  ChInfoSaveSol(*env.ctx, 1);
  for (int n = 1; n <= env.ctx->ch.ChCount; ++n) ASSERT_EQ(env.ctx->ch.ChInfo(n, 1), -1) << n;

  const OptionTable& t = env.ctx->opt;
  for (int16_t lang = 1; lang <= 3; ++lang) {
    SCOPED_TRACE(lang);
    env.ctx->st.CurLang = lang;
    OptNowDefSol(*env.ctx, 0);
    ASSERT_GE(t.OptCount, 54);
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

// The user guides delivered beside the program: self-contained pages whose quoted captions
// are the interface's own, each in its own script.
TEST(HelpGuides, CaptionsAreTheInterfacesOwnAndPagesStandAlone) {
  // A caption as the user sees it: without the accelerator ("文件(&F)" -> "文件", "&File" -> "File").
  const auto shown = [](QString caption) { return caption.remove(QRegularExpression(QStringLiteral("\\(&.\\)"))).remove(QLatin1Char('&')).trimmed(); };
  const std::tuple<const char*, int16_t, const char*, const char*> guides[] = {
      {"ChsHelp.html", 1, "zh-CN", "這個體讀寫開關設資檔對講機頻據"},  // characters of the other script
      {"ChtHelp.html", 2, "zh-TW", "这个体读写开关设资档对讲机频据"},
      {"EngHelp.html", 3, "en", ""}};
  for (const auto& [file, lang, htmlLang, foreign] : guides) {
    SCOPED_TRACE(file);
    QFile f(QDir(QStringLiteral(K52_BIN_DIR)).filePath(QLatin1String(file)));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(html.contains(QStringLiteral("<meta charset=\"utf-8\">")) && html.contains(QStringLiteral("<html lang=\"%1\">").arg(QLatin1String(htmlLang))));
    for (const char* external : {"http:", "https:", "src=", "<link", "url(", "<script"})
      EXPECT_FALSE(html.contains(QLatin1String(external), Qt::CaseInsensitive)) << external;
    // Every caption of the language: the language list and the delivered channel grid's texts.
    QSet<QString> captions;
    for (int n = 0; n <= kFaceTextLast; ++n) captions.insert(shown(FaceTextListOf(lang).value(n)));
    IniFile ini(QDir(test::deliveredFolder()).filePath(QStringLiteral("minglyc.dll")));
    for (int key = 1000 * lang; key < 1000 * lang + 1000; ++key)
      for (const QString& part : ini.read(QStringLiteral("ChInfo"), QString::number(key), {}).split(QLatin1Char('|')))
        captions.insert(shown(QString(part).remove(QLatin1Char('^'))));
    int quoted = 0;
    for (auto it = QRegularExpression(QStringLiteral("<span class=\"ui\">([^<]*)</span>")).globalMatch(html); it.hasNext(); ++quoted) {
      const QString caption = it.next().captured(1);
      EXPECT_TRUE(captions.contains(caption)) << caption.toStdString();
    }
    EXPECT_GT(quoted, 100);
    for (auto it = QRegularExpression(QStringLiteral("href=\"#([^\"]+)\"")).globalMatch(html); it.hasNext();) {
      const QString id = it.next().captured(1);
      EXPECT_TRUE(html.contains(QStringLiteral("id=\"%1\"").arg(id))) << id.toStdString();
    }
    for (QChar c : QString::fromUtf8(foreign)) EXPECT_FALSE(html.contains(c)) << QString(c).toStdString();
  }
}

}  // namespace
}  // namespace k52
