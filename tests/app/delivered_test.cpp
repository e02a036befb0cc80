// The settings file and default image delivered beside the program, read the way the
// program reads them at start-up, the user guides beside them, and the program's tables
// in and out of the codecs (the codecs' bytes are the core tests').

#include "app/chmem.h"
#include "app/ctdcs.h"
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

int rec(int n) { return 16 * (n - 1); }
void put(MemoryImage& image, int a, const char* hex) {
  for (char b : QByteArray::fromHex(hex)) image.at(a++) = static_cast<uint8_t>(b);
}
std::string hex(const MemoryImage& image, int a, int count) {
  return image.toByteArray().mid(a, count).toHex().toUpper().toStdString();
}


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

// The table codecs: the program's tables in and out, and the problems logged under the
// names and in the order the error log has always shown.
TEST(TableCodecs, FillTheTablesAndLogTheProblemsUnderTheirNames) {
  test::TestEnv env;
  AppContext& ctx = *env.ctx;
  ctx.IicDat.allocate(addr::kMemorySize - 1);
  ctx.IicDat.fill(0xFF);
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
  ctx.opt.OptSel(2) = 99;
  ctx.st.CurLang = 2;
  OptNowDefSol(ctx, kLoadOptionDefaults);  // entry 3 is no number: the load stops there
  EXPECT_TRUE((std::vector<int>{ctx.opt.OptDef(1), ctx.opt.OptDef(2), ctx.opt.OptSel(1), ctx.opt.OptSel(2)}) == (std::vector<int>{1, 4, 0, 99}) &&
              test::lastError(ctx) == test::failure(QStringLiteral("modSysSet->OptNowDefSol"), ErrTypeMismatch));
  // A reset copies the defaults and stores them under the language's keys.
  ctx.opt.OptSel(1) = 3;
  OptNowDefSol(ctx, kResetOptionsToDefaults);
  EXPECT_TRUE(IniFile(ctx.ini.path()).read(QStringLiteral("Option"), QStringLiteral("2502"), {}) == QStringLiteral("4") && ctx.opt.OptSel(1) == 1)
      << "stored in the file";
  EXPECT_EQ(ctx.log.entriesLogged(), 1);
}

}  // namespace
}  // namespace k52
