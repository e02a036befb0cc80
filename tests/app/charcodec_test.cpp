// The tables the codecs read by: the tone and code list, the radio's character set, and
// the numbers (rounding, numeric text, checked conversions).

#include "app/charcodec.h"

#include "core/addressmap.h"
#include "app/ctdcs.h"
#include "core/numbers.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <array>

using namespace k52;

namespace {

// A program after start-up as far as names go: the character table and a name column.
class CharCodecTest : public ::testing::Test {
 protected:
  CharCodecTest() : ctx(*env.ctx) {
    GetValidCharTbl(ctx);
    ctx.gridCh().setRows(addr::kMaxChannels + 1);
    ctx.gridCh().setCols(9);
  }
  std::vector<int> codes(const QString& text) {
    ChNameCharSol(ctx, text, kNameLength);
    std::vector<int> v;
    for (int i = 0; i < kNameLength; ++i) v.push_back(ctx.chars.NameCode(i));
    return v;
  }
  // Stores the codes as channel n's name and returns what the grid shows.
  QString shownName(int16_t n, std::vector<int> name) {
    for (int i = 0; i < 5; ++i) ctx.ch.ChNameCode(n, i) = static_cast<uint8_t>(name[size_t(i)]);
    ctx.gridCh().setText(n, 8, QStringLiteral("stale"));
    ChNameCharShow(ctx, n);
    return ctx.gridCh().text(n, 8);
  }
  test::TestEnv env;
  AppContext& ctx;
};

// The published tone and code sequences, as printed for the radio's users: a wrong entry in
// the program's list would program a squelch the other radios never send.
const char* const kTones =
    "67.0 69.3 71.9 74.4 77.0 79.7 82.5 85.4 88.5 91.5 94.8 97.4 100.0 103.5 107.2 110.9 114.8 118.8 123.0 "
    "127.3 131.8 136.5 141.3 146.2 151.4 156.7 159.8 162.2 165.5 167.9 171.3 173.8 177.3 179.9 183.5 186.2 "
    "189.9 192.8 196.6 199.5 203.5 206.5 210.7 218.1 225.7 229.1 233.6 241.8 250.3 254.1";
const char* const kDcs =
    "023 025 026 031 032 036 043 047 051 053 054 065 071 072 073 074 114 115 116 122 125 131 132 134 143 145 "
    "152 155 156 162 165 172 174 205 212 223 225 226 243 244 245 246 251 252 255 261 263 265 266 271 274 306 "
    "311 315 325 331 332 343 346 351 356 364 365 371 411 412 413 423 431 432 445 446 452 454 455 462 464 465 "
    "466 503 506 516 523 526 532 546 565 606 612 624 627 631 632 645 654 662 664 703 712 723 731 732 734 743 754";

TEST(ToneList, HoldsThePublishedTonesThenNormalThenInvertedCodesEachWithItsOwnImageCode) {
  test::TestEnv env;
  AppContext& ctx = *env.ctx;
  ctx.st.CurLang = 3;
  GenCtdcsList(ctx);
  const QStringList tones = QString::fromLatin1(kTones).split(QLatin1Char(' ')), dcs = QString::fromLatin1(kDcs).split(QLatin1Char(' '));
  ASSERT_EQ(tones.size() + dcs.size(), 155);
  for (int i = 0; i < 50; ++i) {
    const int tenths = qRound(tones[i].toDouble() * 10);  // tenths of a hertz, four digits
    EXPECT_EQ(ctx.tones.CtdcsList(1 + i) + QLatin1Char(' ') + ctx.tones.IicCode(1 + i),
              tones[i] + QStringLiteral(" %1").arg(tenths, 4, 10, QLatin1Char('0'))) << "tone " << i + 1;
  }
  for (int i = 0; i < 105; ++i)
    EXPECT_EQ(ctx.tones.CtdcsList(51 + i) + ctx.tones.IicCode(51 + i) + ctx.tones.CtdcsList(156 + i) + ctx.tones.IicCode(156 + i),
              QStringLiteral("D%1N8%1D%1IC%1").arg(dcs[i])) << "code " << i + 1;
  EXPECT_EQ(ctx.tones.CtdcsList(0) + ctx.tones.IicCode(0), QStringLiteral("NoneFFFF"));
  for (const auto& [lang, noneText] : {std::pair<int16_t, const char*>{1, "无"}, {2, "無"}, {7, "None"}}) {
    ctx.st.CurLang = lang;
    GenCtdcsList(ctx);
    EXPECT_TRUE(ctx.tones.CtdcsComboList.startsWith(QString::fromUtf8(noneText) + QStringLiteral("|67.0|69.3|")));
  }
  EXPECT_EQ(ctx.st.CurLang, 3) << "a language outside 1-3 is taken as English from then on";
}

TEST(ToneList, ImageCodesFindTheirIndexUpToTheLimit) {
  ToneList tones;
  fillToneCodes(tones);
  const std::tuple<int, const char*, int> cases[] = {
      {260, "0670", 1}, {260, "2541", 50}, {260, "8023", 51}, {260, "8754", 155}, {260, "C023", 156}, {260, "C754", 260},
      {260, "FFFF", 0}, {260, "0690", 0}, {260, "8024", 0},  // 69.0 Hz and DCS 024 are not in the list
      {260, "c754", 0},                                       // the comparison is case-sensitive
      {50, "2541", 50}, {50, "8023", 0}, {155, "8754", 155}, {155, "C023", 0},
      {301, "C754", 260},  // a match before the end of the table is still found
  };
  for (const auto& [max, code, expected] : cases)
    EXPECT_EQ(toneIndexOfCode(tones, max, QLatin1String(code)), expected) << max << " " << code;
  EXPECT_THROW(toneIndexOfCode(tones, 301, QStringLiteral("0690")), K52Error) << "a search past the table";
}

int errorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const K52Error& e) {
    return e.number();
  }
  return 0;
}

TEST_F(CharCodecTest, TextBecomesFiveCodesOfTheRadiosFortyFiveCharactersPaddedWithSpaces) {
  const std::pair<const char*, std::vector<int>> cases[] = {
      {"ab", {10, 11, 36, 36, 36}}, {"CHANNEL7", {12, 17, 10, 23, 23}}, {"]-_ 9", {42, 43, 44, 36, 9}},
      {"A.B", {10, 255, 11, 36, 36}},  // a character outside the table gives 255 but keeps its place
      {"\xC3\xA9*Z", {255, 255, 35, 36, 36}}, {"", {255, 255, 255, 255, 255}},
      {" ", {36, 36, 36, 36, 36}},  // a single blank is text, not the empty text
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(codes(QString::fromUtf8(text)), expected) << text;
}

TEST_F(CharCodecTest, ANameShowsUpToTheFirstNonCharacterAsTheRadioWillShowIt) {
  const std::pair<std::vector<int>, const char*> cases[] = {{{10, 11, 36, 36, 36}, "AB   "}, {{10, 255, 11, 36, 36}, "A"},
                                                            {{255, 10, 11, 12, 13}, ""},      {{44, 43, 0, 9, 45}, "_-09"}};
  for (const auto& [name, shown] : cases) EXPECT_EQ(shownName(3, name), QLatin1String(shown));
  EXPECT_EQ(shownName(260, {12, 17, 10, 23, 23}), QStringLiteral("CHANN"));
  EXPECT_EQ(ctx.gridCh().text(3, 7), QString()) << "other columns are left alone";
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
}

TEST_F(CharCodecTest, ThePowerOnMessageShowsUpToTheFirstNonCharacterAndANegativeCodeIsLogged) {
  test::RecordingViews box;
  ctx.views = &box;
  for (int i = 0; i < 5; ++i) ctx.opt.OptSel(50 + i) = int16_t(std::array{17, 14, 255, 21, 24}[size_t(i)]);
  ShowPowerOnMsg(ctx);
  EXPECT_EQ(box.powerOnMessages, QStringList{QStringLiteral("HE")});
  ctx.opt.OptSel(50) = -1;  // no index into the table: logged, the box is not touched
  ShowPowerOnMsg(ctx);
  EXPECT_EQ(box.powerOnMessages.size(), 1);
  EXPECT_EQ(test::lastError(ctx), test::failure(QStringLiteral("modChMem->ShowPowerOnMsg"), ErrBounds));
  ctx.views = nullptr;
}

}  // namespace

TEST(Numbers, RoundingIsHalfToEvenTextIsCheckedAndAddressesAreHexadecimalUpTo7FFF) {
  using V = std::vector<int>;
  EXPECT_EQ((std::vector<double>{roundHalfEven(2.5), roundHalfEven(3.5), roundHalfEven(-2.5), roundHalfEven(173.995 * 100000 / 100000)}),
            (std::vector<double>{2, 4, -2, 174}));
  EXPECT_EQ((V{textToInt16(QStringLiteral(" 0.5 ")), textToInt16(QStringLiteral("1.5")), textToInt32(QStringLiteral("135.5")),
               textToInt16(QStringLiteral("-32768")), hexTextToInt16(QStringLiteral("1FFF")), hexTextToInt16(QStringLiteral("7fff"))}),
            (V{0, 2, 136, -32768, 8191, 0x7FFF}));
  for (const char* ok : {"0", " -12.5 ", "+3", ".5", "7.", "00012"}) EXPECT_TRUE(isNumeric(QString::fromLatin1(ok))) << ok;
  for (const char* bad : {"", " ", "-", ".", "1e3", "1,5", "0x10", "1.2.3", "12a", "&H1F", "--1"})
    EXPECT_FALSE(isNumeric(QString::fromLatin1(bad))) << bad;
  const std::pair<std::function<void()>, int> failures[] = {
      {[] { textToInt16(QStringLiteral("32767.5")); }, ErrOverflow}, {[] { toInt16(int64_t{40000}); }, ErrOverflow},
      {[] { textToInt16(QStringLiteral("abc")); }, ErrTypeMismatch},  {[] { hexTextToInt16(QStringLiteral("8000")); }, ErrOverflow},
      {[] { hexTextToInt16(QStringLiteral("12G4")); }, ErrTypeMismatch}, {[] { hexTextToInt16(QString()); }, ErrTypeMismatch},
      {[] { decimalDigitsValue(QStringLiteral("1A000000")); }, ErrTypeMismatch}};
  for (size_t i = 0; i < std::size(failures); ++i) EXPECT_EQ(errorOf(failures[i].first), failures[i].second) << i;
  EXPECT_EQ(byteHex(0x05) + byteHex(0xC7), QStringLiteral("05C7"));
}
