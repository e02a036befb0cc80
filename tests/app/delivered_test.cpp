// The settings file and default image delivered beside the program, read the way the
// program reads them at start-up, and the user guides beside them.

#include "app/chmem.h"
#include "app/optcodec.h"
#include "app/langtable.h"
#include "app/session.h"
#include "app/startup.h"
#include "support/testenv.h"

#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace k52 {
namespace {

// The defaults of the settings file are what the default image holds: a byte out of range
// cannot fall back to the default unseen, since the defaults are hidden from the decoder.
TEST(Delivered, OptionDefaultsAreWhatTheImageHoldsAndItsChannelsAreEmpty) {
  test::TestEnv env;
  env.installDeliveredFiles();
  ReadSettings(*env.ctx);
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
