#include "shell/langtable.h"

#include "errlog/k52error.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

#include <utility>

using namespace k52;
using k52::test::TestEnv;

namespace {

const FaceTextList& eng() { return FaceTextListOf(3); }
const FaceTextList& chs() { return FaceTextListOf(1); }
const FaceTextList& cht() { return FaceTextListOf(2); }

QString u(const char* s) { return QString::fromUtf8(s); }

// The accelerator letter of an English caption ("S&ave As" gives 'A'), or 0.
QChar accelerator(const QString& caption) {
  const qsizetype i = caption.indexOf(QLatin1Char('&'));
  return (i >= 0 && i + 1 < caption.size()) ? caption[i + 1].toUpper() : QChar();
}

bool hasLowercase(const QString& s) {
  for (QChar c : s)
    if (c.isLower()) return true;
  return false;
}

struct NamedList {
  const char* name;
  const FaceTextList* list;
};

std::vector<NamedList> chineseLists() { return {{"Simplified", &chs()}, {"Traditional", &cht()}}; }

}  // namespace

// --- The delivered lists -------------------------------------------------------------

TEST(LanguageLists, EveryListReadsWithoutBadOrRepeatedLines) {
  for (auto [name, list] : std::vector<NamedList>{{"English", &eng()}, {"Simplified", &chs()}, {"Traditional", &cht()}}) {
    EXPECT_EQ(list->badLines, 0) << name << " line " << list->firstBadLine << ": " << list->firstBadReason.toStdString();
    EXPECT_TRUE(list->repeated.empty()) << name << " gives text " << (list->repeated.empty() ? -1 : list->repeated[0])
                                        << " twice";
  }
}

TEST(LanguageLists, EveryEnglishTextHasBothChineseTextsAndEmptyOnesStayEmpty) {
  int withText = 0;
  for (int n = 0; n <= kFaceTextLast; ++n) {
    if (!eng().value(n).isEmpty()) {
      ++withText;
      for (auto [name, list] : chineseLists()) EXPECT_FALSE(list->value(n).isEmpty()) << name << " text " << n;
    } else if (n < 136 || n > 139) {
      // The Chinese lists set every number (410-445 too) and leave the reserved ones empty.
      for (auto [name, list] : chineseLists()) {
        EXPECT_TRUE(list->isSet(n)) << name << " text " << n << " not set";
        EXPECT_EQ(list->value(n), QString()) << name << " text " << n;
      }
    }
  }
  EXPECT_EQ(withText, 221);  // 55 and 56, the company lines, included
}

TEST(LanguageLists, EnglishWordingOfRepresentativeTexts) {
  const std::pair<int, const char*> quoted[] = {
      {16, "KDR T17 Radio Software"},
      {68, "Language has changed, you need to restart the software."},
      {70, "Notice"},
      {73, "Are you sure want to exit?"},
      {74, "All data will be cleared,continue?"},
      {79, "Communication failed,please check commuication port!"},
      {83, "Wrong file type!"},
      {85, "File Name:"},
      {89, "Frequency range is not right，continue?"},  // full-width comma
      {94, "Ready"},
      {116, "Interface Locked"},
      {162, "MCU Ver："},  // full-width colon
      {204, "Off"},
      {257, "CH "},
      {259, "CH "},
      {373, "Custom"},
      {374, "Custom"},
      {375, "Min [MHz]"},
      {376, "Max [MHz]"},
      {377, "OK"},
      {378, "Cancel"},
  };
  for (auto [n, text] : quoted) EXPECT_EQ(eng().value(n), u(text)) << n;
  // Reserved numbers are set, to the empty text; 410-445 are not set at all.
  for (int n : {9, 17, 65, 201, 409}) {
    EXPECT_TRUE(eng().isSet(n)) << n;
    EXPECT_EQ(eng().value(n), QString()) << n;
  }
  for (int n = 410; n <= 445; ++n) EXPECT_FALSE(eng().isSet(n)) << n;
}

TEST(LanguageLists, QuotedChineseTextsStandExactly) {
  const std::tuple<int, const char*, const char*> quoted[] = {
      {16, "KDR T17 写频软件", "KDR T17 寫頻軟體"},
      {34, "中文简体(&C)", "中文簡體(&C)"},
      {57, "中文繁体(&T)", "中文繁體(&T)"},
      {72, "选择不同型号的机型将删除所有信道的数据，是否继续?", "選擇不同型號的機型將刪除所有信道的資料，是否繼續?"},
      {74, "当前所有信道数据将被清除，是否继续?", "當前所有信道資料將被清除，是否繼續?"},
      {86, "写文件出错!", "寫文件出錯!"},
      {94, "就绪", "就緒"},
      {116, "信道界面已锁定", "信道介面已鎖定"},
      {124, "确定删除所有的信道数据?", "確定刪除所有的信道資料?"},
      {373, "自定义", "自定義"},
  };
  for (auto [n, simplified, traditional] : quoted) {
    EXPECT_EQ(chs().value(n), u(simplified)) << n;
    EXPECT_EQ(cht().value(n), u(traditional)) << n;
  }
  EXPECT_EQ(chs().value(374), u("自定义频率范围"));
  EXPECT_EQ(chs().value(73), u("你要退出吗?"));
  // 75 sends the user to the port dialog by its menu path and ends by asking to choose a port.
  EXPECT_TRUE(chs().value(75).endsWith(u("选择串口"))) << chs().value(75).toStdString();
  for (auto [name, list] : chineseLists()) {
    for (int menu : {31, 32}) {
      QString caption = list->value(menu);
      caption.truncate(caption.indexOf(u("(&")));
      EXPECT_FALSE(caption.isEmpty()) << name << " " << menu;
      EXPECT_TRUE(list->value(75).contains(caption)) << name << " 75 does not name " << caption.toStdString();
    }
  }
}

TEST(LanguageLists, TextsThatReadTheSameInEveryLanguage) {
  for (int n : {68, 300, 235, 236, 237, 238, 239, 240}) {
    EXPECT_EQ(chs().value(n), eng().value(n)) << n;
    EXPECT_EQ(cht().value(n), eng().value(n)) << n;
  }
  for (auto [name, list] : chineseLists()) EXPECT_TRUE(list->value(16).startsWith(u("KDR T17 "))) << name;
}

TEST(LanguageLists, TextsEndingWithABlank) {
  // 257 ends with a blank in every language. 259 is the station label, followed by the
  // station number: "CH 1" in English, no blank before the number in Chinese.
  EXPECT_EQ(eng().value(257), u("CH "));
  EXPECT_EQ(eng().value(259), u("CH "));
  for (auto [name, list] : chineseLists()) {
    EXPECT_TRUE(list->value(257).endsWith(QLatin1Char(' '))) << name;
    EXPECT_GT(list->value(257).trimmed().size(), 0) << name;
    EXPECT_FALSE(list->value(259).isEmpty()) << name;
    EXPECT_FALSE(list->value(259).endsWith(QLatin1Char(' '))) << name;
  }
}

TEST(LanguageLists, NoListSets136To139) {
  for (int n = 136; n <= 139; ++n) {
    EXPECT_FALSE(eng().isSet(n)) << n;
    EXPECT_FALSE(chs().isSet(n)) << n;
    EXPECT_FALSE(cht().isSet(n)) << n;
  }
}

TEST(LanguageLists, ChineseCaptionsKeepAnAcceleratorAndAreTranslated) {
  for (int n = 0; n <= kFaceTextLast; ++n) {
    const QString e = eng().value(n);
    if (e.isEmpty()) continue;
    for (auto [name, list] : chineseLists()) {
      const QString c = list->value(n);
      // A caption with an accelerator in English ends with "(&X)" in Chinese.
      if (!accelerator(e).isNull()) {
        EXPECT_TRUE(c.size() > 4 && c.endsWith(QLatin1Char(')')) && c[c.size() - 3] == QLatin1Char('&') &&
                    c[c.size() - 4] == QLatin1Char('(') && c[c.size() - 2] >= QLatin1Char('A') &&
                    c[c.size() - 2] <= QLatin1Char('Z'))
            << name << " " << n << ": " << c.toStdString();
      }
      // A text left in English is a forgotten translation, unless it holds no words
      // (numbers, "VOX") or is one of the texts shared by every language.
      if (n != 68 && n != 300 && hasLowercase(e)) {
        EXPECT_NE(c, e) << name << " " << n << " is not translated";
      }
    }
  }
}

TEST(LanguageLists, AcceleratorsAreUniqueWithinEachShownMenu) {
  // The menu bar, File, Program (shown items), Settings and the language submenu.
  const std::vector<std::vector<int>> menus = {
      {20, 26, 31, 36}, {21, 22, 23, 24, 25}, {27, 28}, {32, 33}, {34, 35, 57}};
  for (auto [name, list] : std::vector<NamedList>{{"English", &eng()}, {"Simplified", &chs()}, {"Traditional", &cht()}}) {
    for (const auto& menu : menus) {
      QString seen;
      for (int n : menu) {
        const QChar key = accelerator(list->value(n));
        if (key.isNull()) continue;
        EXPECT_FALSE(seen.contains(key)) << name << " " << n << " repeats &" << QString(key).toStdString();
        seen += key;
      }
    }
  }
}

// --- Reading a list --------------------------------------------------------------------

TEST(FaceTextParsing, TakesTheTextVerbatimAfterTheFirstEqualsSign) {
  const FaceTextList l = ParseFaceTextList(
      "\xEF\xBB\xBF# comment=not a text\n"
      "257=CH \r\n"
      "5==a=b\n"
      "  7 =  padded  \n"
      "9=\n"
      "\n"
      "   \n"
      "11=two\\nlines\\\\and\\tmore\n"
      "12=\xE4\xB8\xAD\xE6\x96\x87");  // no final line break
  EXPECT_EQ(l.badLines, 0);
  EXPECT_EQ(l.value(257), u("CH "));
  EXPECT_EQ(l.value(5), u("=a=b"));
  EXPECT_EQ(l.value(7), u("  padded  "));
  EXPECT_TRUE(l.isSet(9));
  EXPECT_EQ(l.value(9), QString());
  EXPECT_EQ(l.value(11), u("two\nlines\\and\\tmore"));
  EXPECT_EQ(l.value(12), u("中文"));
  EXPECT_FALSE(l.isSet(0));
  EXPECT_FALSE(l.isSet(446));
}

TEST(FaceTextParsing, SkipsMalformedLinesAndReportsTheFirst) {
  const FaceTextList l = ParseFaceTextList(
      "1=one\n"
      "no equals sign\n"
      "446=too far\n"
      "-1=negative\n"
      "x2=letters\n"
      "=no number\n"
      "99999999999999999999=huge\n"
      "3=\xFF\xFE bad bytes\n"
      "2=two\n"
      "2=again\n");
  EXPECT_EQ(l.badLines, 7);
  EXPECT_EQ(l.firstBadLine, 2);
  EXPECT_EQ(l.firstBadError, ErrTypeMismatch);
  EXPECT_EQ(l.value(1), u("one"));
  EXPECT_FALSE(l.isSet(3));
  EXPECT_EQ(l.value(2), u("again"));
  EXPECT_EQ(l.repeated, std::vector<int>{2});

  const FaceTextList far = ParseFaceTextList("446=x\n0=y\n");
  EXPECT_EQ(far.badLines, 1);
  EXPECT_EQ(far.firstBadError, ErrBounds);
  EXPECT_EQ(far.value(0), u("y"));
}

// --- Filling the table -----------------------------------------------------------------

TEST(InitFaceText, UnknownLanguageGivesEnglishAndBecomesThree) {
  TestEnv env;
  AppContext& ctx = *env.ctx;
  ctx.st.CurLang = 7;
  InitFaceText(ctx);
  EXPECT_EQ(ctx.st.CurLang, 3);
  EXPECT_EQ(ctx.SoftFaceText(16), u("KDR T17 Radio Software"));
  EXPECT_EQ(ctx.SoftFaceText(94), u("Ready"));
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
}

TEST(InitFaceText, NumbersTheListDoesNotSetKeepTheirValue) {
  TestEnv env;
  AppContext& ctx = *env.ctx;
  for (int n : {137, 410, 445}) ctx.SoftFaceText(n) = QStringLiteral("kept");
  ctx.SoftFaceText(9) = QStringLiteral("overwritten");
  ctx.st.CurLang = 3;
  InitFaceText(ctx);
  EXPECT_EQ(ctx.SoftFaceText(137), u("kept"));
  EXPECT_EQ(ctx.SoftFaceText(410), u("kept"));
  EXPECT_EQ(ctx.SoftFaceText(445), u("kept"));
  EXPECT_EQ(ctx.SoftFaceText(9), QString());  // set, to the empty text

  // Simplified Chinese sets 410-445 (empty) but not 136-139.
  ctx.st.CurLang = 1;
  InitFaceText(ctx);
  EXPECT_EQ(ctx.st.CurLang, 1);
  EXPECT_EQ(ctx.SoftFaceText(410), QString());
  EXPECT_EQ(ctx.SoftFaceText(137), u("kept"));
  EXPECT_EQ(ctx.SoftFaceText(94), u("就绪"));
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
}

TEST(InitFaceText, ListWithBadLinesFillsTheGoodOnesAndLogsOnce) {
  TestEnv env;
  AppContext& ctx = *env.ctx;
  ctx.SoftFaceText(2) = QStringLiteral("before");
  ApplyFaceTextList(ctx, ParseFaceTextList("1=one\nbroken\n500=x\n3=three\n"));
  EXPECT_EQ(ctx.SoftFaceText(1), u("one"));
  EXPECT_EQ(ctx.SoftFaceText(3), u("three"));
  EXPECT_EQ(ctx.SoftFaceText(2), u("before"));
  EXPECT_EQ(ctx.log.entriesLogged(), 1);
  EXPECT_EQ(ctx.log.lastProcName(), u("mdifrmMain->InitFaceText"));
  EXPECT_EQ(ctx.log.lastNumber(), ErrTypeMismatch);
}
