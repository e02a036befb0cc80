// The settings file and default image delivered beside the program, read the way the
// program reads them at start-up, and the user guides beside them.

#include "image/addressmap.h"
#include "image/chmem.h"
#include "image/numbers.h"
#include "image/optcodec.h"
#include "shell/langtable.h"
#include "shell/session.h"
#include "shell/startup.h"
#include "support/testenv.h"

#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace k52 {
namespace {

class Delivered : public ::testing::Test {
 protected:
  void SetUp() override {
    env.installDeliveredFiles();
    env.ctx->ini.setPath(env.path(QStringLiteral("minglyc.dll")));
    ReadSettings(*env.ctx);
  }
  test::TestEnv env;
};

// Every column's default is a number; the choice columns (two, two and three choices) have
// their choices as their key; "Open channel" gives a channel inside the delivered band,
// TX = RX or none, no tones. Records of channels 1-199 end below the name extension.
TEST_F(Delivered, ChannelGridIsDescribedInEveryLanguage) {
  for (int16_t lang = 1; lang <= 3; ++lang) {
    env.ctx->st.CurLang = lang;
    ReadChInfo(*env.ctx);
    const ChannelTable& t = env.ctx->ch;
    ASSERT_TRUE(env.ctx->log.entriesLogged() == 0 && t.ColCount == 8 && t.GridFormat.split(QLatin1Char('|')).size() == 9) << lang;
    EXPECT_TRUE(t.ChCount == 199 && t.ChCount <= addr::kRecordsBelowNameExt) << lang;
    QStringList keys;
    for (int c = 1; c <= t.ColCount; ++c) {
      EXPECT_TRUE(isNumeric(t.ColItems(c, 2))) << lang << " " << c;
      const int n = c >= 5 && c <= 7 ? textToInt16(t.ColItems(c, 1)) : 0;
      QStringList texts;
      for (int v = 0; v < n; ++v) texts << t.ColItems(c, 3 + v);
      EXPECT_TRUE(n == 0 || (n == (c == 7 ? 3 : 2) && unsigned(textToInt16(t.ColItems(c, 2))) < unsigned(n) && t.ColItems(c, 0) == texts.join(QLatin1Char('|')))) << lang << " " << c;
      keys << (n ? QStringLiteral("choice") : t.ColItems(c, 0));
    }
    EXPECT_EQ(keys.join(QLatin1Char(' ')), QStringLiteral("RxFre TxFre CtcssDcsDec CtcssDcsEnc choice choice choice CHNAME"));
    const int32_t rx = textToInt32(t.ColItems(1, 2)), tx = textToInt32(t.ColItems(2, 2));
    EXPECT_TRUE(rx >= 40000000 && rx <= 46999500 && (tx == 0 || tx == rx) && t.ColItems(3, 2) + t.ColItems(4, 2) == QStringLiteral("00"));
  }
}

// The defaults of the settings file are what the default image holds: a byte out of range
// cannot fall back to the default unseen, since the defaults are hidden from the decoder.
TEST_F(Delivered, OptionDefaultsAreWhatTheImageHoldsAndItsChannelsAreEmpty) {
  Session session(*env.ctx);
  const OptionTable& t = env.ctx->opt;
  for (int16_t lang = 1; lang <= 3; ++lang) {
    env.ctx->st.CurLang = lang;
    ReadChInfo(*env.ctx);
    OptNowDefSol(*env.ctx, kLoadOptionDefaults);
    const OptionTable defaults = t;
    env.ctx->opt.OptDef.fill(-1);
    session.loadDefaultImage();
    session.decodeImage();
    ASSERT_TRUE(env.ctx->log.entriesLogged() == 0 && t.OptCount >= 54) << lang << env.log();
    for (int n = 1; n <= env.ctx->ch.ChCount; ++n) ASSERT_EQ(env.ctx->ch.ChInfo(n, 1), -1) << n;
    for (int i = 1; i <= 54; ++i)  // 17, 19 and 49 are not stored in the image
      EXPECT_TRUE(i == 17 || i == 19 || i == 49 || t.OptSel(i) == defaults.OptDef(i)) << lang << " entry " << i << ": " << t.OptSel(i);
  }
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
    EXPECT_FALSE(html.contains(QRegularExpression(QStringLiteral("https?:|src=|<link|url\\(|<script"), QRegularExpression::CaseInsensitiveOption)));
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
