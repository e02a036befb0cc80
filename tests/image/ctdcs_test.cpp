#include "image/ctdcs.h"

#include "image/codecenv.h"

#include <QSet>
#include <QStringList>

using namespace k52;
using k52::test::CodecTest;

namespace {

// The published tone and code sequences, as printed for the radio's users.
const char* const kTones =
    "67.0 69.3 71.9 74.4 77.0 79.7 82.5 85.4 88.5 91.5 94.8 97.4 100.0 103.5 107.2 110.9 114.8 118.8 123.0 "
    "127.3 131.8 136.5 141.3 146.2 151.4 156.7 159.8 162.2 165.5 167.9 171.3 173.8 177.3 179.9 183.5 186.2 "
    "189.9 192.8 196.6 199.5 203.5 206.5 210.7 218.1 225.7 229.1 233.6 241.8 250.3 254.1";
const char* const kDcs =
    "023 025 026 031 032 036 043 047 051 053 054 065 071 072 073 074 114 115 116 122 125 131 132 134 143 145 "
    "152 155 156 162 165 172 174 205 212 223 225 226 243 244 245 246 251 252 255 261 263 265 266 271 274 306 "
    "311 315 325 331 332 343 346 351 356 364 365 371 411 412 413 423 431 432 445 446 452 454 455 462 464 465 "
    "466 503 506 516 523 526 532 546 565 606 612 624 627 631 632 645 654 662 664 703 712 723 731 732 734 743 754";

QStringList words(const char* s) { return QString::fromLatin1(s).split(QLatin1Char(' ')); }

class ToneListTest : public CodecTest {
 protected:
  int16_t index(const char* low, const char* high) {
    ctx.tones.CtdcsIndex = -7;
    QtDqtIndex(ctx, QString::fromLatin1(low), QString::fromLatin1(high));
    return ctx.tones.CtdcsIndex;
  }
};

TEST_F(ToneListTest, ListHoldsThePublishedTonesAndCodesInOrderWithDistinctImageCodes) {
  const QStringList tones = words(kTones), dcs = words(kDcs);
  ASSERT_EQ(tones.size() + dcs.size(), 155);
  for (int i = 0; i < 50; ++i) {
    EXPECT_EQ(ctx.tones.CtdcsList(1 + i), tones[i]) << "tone " << i + 1;
    const int tenths = qRound(tones[i].toDouble() * 10);  // tenths of a hertz, four digits
    EXPECT_EQ(ctx.tones.IicCode(1 + i), QStringLiteral("%1").arg(tenths, 4, 10, QLatin1Char('0'))) << "tone " << i + 1;
  }
  for (int i = 0; i < 105; ++i) {
    EXPECT_EQ(ctx.tones.CtdcsList(51 + i) + ctx.tones.CtdcsList(156 + i), QStringLiteral("D%1ND%1I").arg(dcs[i])) << i + 1;
    EXPECT_EQ(ctx.tones.IicCode(51 + i) + ctx.tones.IicCode(156 + i), QStringLiteral("8%1C%1").arg(dcs[i])) << i + 1;
  }
  EXPECT_EQ(ctx.tones.IicCode(0), QStringLiteral("FFFF"));
  EXPECT_TRUE(ctx.tones.CtdcsList(261).isEmpty() && ctx.tones.IicCode(261).isEmpty()) << "nothing past the list";
  QSet<QString> seen;
  for (int i = 0; i <= 260; ++i) seen.insert(ctx.tones.IicCode(i));
  EXPECT_EQ(seen.size(), 261);
}

TEST_F(ToneListTest, NoneTextAndComboListFollowTheLanguage) {
  const std::pair<int16_t, const char*> langs[] = {{1, "无"}, {2, "無"}, {3, "None"}, {0, "None"}, {7, "None"}};
  for (const auto& [lang, noneText] : langs) {
    ctx.st.CurLang = lang;
    GenCtdcsList(ctx);
    const QString none = QString::fromUtf8(noneText);
    EXPECT_EQ(ctx.tones.CtdcsList(0), none);
    const QStringList items = ctx.tones.CtdcsComboList.split(QLatin1Char('|'));
    ASSERT_EQ(items.size(), 261);
    for (int i = 0; i <= 260; ++i) EXPECT_EQ(items[i], ctx.tones.CtdcsList(i));
  }
  EXPECT_EQ(ctx.st.CurLang, 3) << "a language outside 1-3 is taken as English from then on";
}

TEST_F(ToneListTest, ImageBytesFindTheirIndexUpToCtcDcsMax) {
  const std::tuple<int, const char*, const char*, int> cases[] = {
      {260, "70", "06", 1}, {260, "41", "25", 50}, {260, "23", "80", 51}, {260, "54", "87", 155}, {260, "23", "C0", 156},
      {260, "54", "C7", 260}, {260, "FF", "FF", 0},
      {260, "90", "06", 0}, {260, "24", "80", 0},  // 69.0 Hz and DCS 024 are not in the list
      {260, "70", "6", 1}, {260, "54", "c7", 0},   // single digits are padded; the comparison is case-sensitive
      {50, "41", "25", 50}, {50, "23", "80", 0}, {155, "54", "87", 155}, {155, "23", "C0", 0},
      {301, "54", "C7", 260},  // a match before the end of the table is still found
  };
  for (const auto& [max, low, high, expected] : cases) {
    ctx.st.CtcDcsMax = int16_t(max);
    EXPECT_EQ(index(low, high), expected) << max << " " << low << high;
  }
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
  EXPECT_EQ(index("90", "06"), 0);  // a search past the table is a bounds error
  EXPECT_EQ(ctx.log.entriesLogged(), 1);
  EXPECT_EQ(ctx.log.lastProcName(), QStringLiteral("modChMem->QtDqtIndex"));
  EXPECT_EQ(ctx.log.lastNumber(), ErrBounds);
}

}  // namespace
