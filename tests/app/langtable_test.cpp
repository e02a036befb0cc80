// The interface texts: the three delivered lists, how a list is read, and how the table
// of the running program is filled from it.

#include "app/langtable.h"

#include "core/k52error.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

using namespace k52;
using k52::test::TestEnv;

namespace {

const FaceTextList& eng() { return FaceTextListOf(3); }
const FaceTextList& chs() { return FaceTextListOf(1); }
const FaceTextList& cht() { return FaceTextListOf(2); }
QString u(const char* s) { return QString::fromUtf8(s); }

// The accelerator letter of a caption ("S&ave As" gives 'A'), or 0.
QChar accelerator(const QString& caption) {
  const qsizetype i = caption.indexOf(QLatin1Char('&'));
  return (i >= 0 && i + 1 < caption.size()) ? caption[i + 1].toUpper() : QChar();
}

std::vector<std::pair<const char*, const FaceTextList*>> lists() { return {{"English", &eng()}, {"Simplified", &chs()}, {"Traditional", &cht()}}; }

// (The texts themselves are the lists'; these are the faults a list can carry.)
TEST(LanguageLists, EveryListReadsCleanlyEveryEnglishTextIsTranslatedAndMenusKeepUniqueAccelerators) {
  for (const auto& [name, list] : lists()) {
    EXPECT_EQ(list->badLines, 0) << name << " line " << list->firstBadLine << ": " << list->firstBadReason.toStdString();
    EXPECT_TRUE(list->repeated.empty()) << name << " repeats a number";
    // The menu bar, File, Program (shown items), Settings and the language submenu.
    for (const std::vector<int>& menu : {std::vector<int>{20, 26, 31, 36}, {21, 22, 340, 23, 24, 43, 25, 320}, {27, 28, 321}, {32, 33}, {34, 35, 57}}) {
      QString seen;
      for (int n : menu) {
        const QChar key = accelerator(list->value(n));
        EXPECT_FALSE(!key.isNull() && seen.contains(key)) << name << " " << n;
        seen += key;
      }
    }
  }
  for (int n = 0; n <= kFaceTextLast; ++n) {
    const QString e = eng().value(n);
    for (const FaceTextList* list : {&chs(), &cht()}) {
      const QString c = list->value(n);
      EXPECT_TRUE(e.isEmpty() || !c.isEmpty()) << n;
      // A caption with an accelerator in English ends with "(&X)" in Chinese.
      EXPECT_TRUE(accelerator(e).isNull() || (c.size() > 4 && c.endsWith(QLatin1Char(')')) && c.mid(c.size() - 4, 2) == u("(&") && c[c.size() - 2].isUpper())) << n;
    }
  }
}

TEST(FaceTextParsing, TakesTheTextVerbatimAfterTheFirstEqualsSignAndSkipsMalformedLines) {
  const FaceTextList l = ParseFaceTextList(
      "\xEF\xBB\xBF# comment=not a text\n257=CH \r\n5==a=b\n  7 =  padded  \n9=\n\n   \n"
      "11=two\\nlines\\\\and\\tmore\n12=\xE4\xB8\xAD\xE6\x96\x87");  // no final line break
  EXPECT_EQ(l.badLines, 0);
  const std::pair<int, const char*> texts[] = {{257, "CH "}, {5, "=a=b"}, {7, "  padded  "}, {9, ""}, {11, "two\nlines\\and\\tmore"}, {12, "中文"}};
  for (const auto& [n, text] : texts) EXPECT_TRUE(l.isSet(n) && l.value(n) == u(text)) << n;
  EXPECT_FALSE(l.isSet(0) || l.isSet(446));

  const FaceTextList bad = ParseFaceTextList(
      "1=one\nno equals sign\n446=too far\n-1=negative\nx2=letters\n=no number\n99999999999999999999=huge\n3=\xFF\xFE bad bytes\n"
      "2=two\n2=again\n");
  EXPECT_EQ((std::vector<int>{bad.badLines, bad.firstBadLine, bad.firstBadError}), (std::vector<int>{7, 2, ErrTypeMismatch}));
  EXPECT_TRUE(bad.value(1) == u("one") && !bad.isSet(3) && bad.value(2) == u("again") && bad.repeated == std::vector<int>{2});
}

TEST(InitFaceText, AnUnknownLanguageIsEnglishAndABadListIsLoggedOnceWithItsGoodLinesApplied) {
  TestEnv env;
  AppContext& ctx = *env.ctx;
  ctx.st.CurLang = 7;  // unknown: English, and 3 from then on
  InitFaceText(ctx);
  EXPECT_TRUE(ctx.st.CurLang == 3 && ctx.log.entriesLogged() == 0 && ctx.SoftFaceText(94) == u("Ready"));
  ctx.SoftFaceText(2) = QStringLiteral("before");
  ApplyFaceTextList(ctx, ParseFaceTextList("1=one\nbroken\n500=x\n3=three\n"));
  EXPECT_EQ(ctx.SoftFaceText(1) + ctx.SoftFaceText(2) + ctx.SoftFaceText(3), u("onebeforethree"));
  EXPECT_TRUE(ctx.log.entriesLogged() == 1 && test::lastError(ctx) == test::failure(u("mdifrmMain->InitFaceText"), ErrTypeMismatch));
}

}  // namespace
