#include "image/charcodec.h"

#include "image/codecenv.h"

#include <array>

using namespace k52;
using k52::test::CodecTest;

namespace {

class MessageBox final : public AppViews {
 public:
  void showPowerOnMessage(const QString& text) override {
    shown = text;
    ++times;
  }
  QString shown;
  int times = 0;
};

class CharCodecTest : public CodecTest {
 protected:
  std::vector<int> codes(const QString& text, int16_t count = 5) {
    ctx.chars.NameCode.fill(77);
    ChNameCharSol(ctx, text, count);
    std::vector<int> v;
    for (int i = 0; i < count && i <= 30; ++i) v.push_back(ctx.chars.NameCode(i));
    return v;
  }
  // Stores the codes as channel n's name and returns what the grid shows.
  QString shownName(int16_t n, std::vector<int> name) {
    for (int i = 0; i < 5; ++i) ctx.ch.ChNameCode(n, i) = static_cast<uint8_t>(name[size_t(i)]);
    ctx.gridCh().setText(n, 8, QStringLiteral("stale"));
    ChNameCharShow(ctx, n);
    return ctx.gridCh().text(n, 8);
  }
};

TEST_F(CharCodecTest, TextBecomesFiveCodesOfTheRadiosFortyFiveCharactersPaddedWithSpaces) {
  const QString table = QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ +=%/[]-_");
  for (int code = 0; code < 45; ++code) EXPECT_EQ(ctx.chars.CharTbl(code), table.mid(code, 1)) << code;
  const std::pair<const char*, std::vector<int>> cases[] = {
      {"ab", {10, 11, 36, 36, 36}}, {"CHANNEL7", {12, 17, 10, 23, 23}}, {"]-_ 9", {42, 43, 44, 36, 9}},
      {"A.B", {10, 255, 11, 36, 36}},  // a character outside the table gives 255 but keeps its place
      {"\xC3\xA9*Z", {255, 255, 35, 36, 36}}, {"", {255, 255, 255, 255, 255}},
      {" ", {36, 36, 36, 36, 36}},  // a single blank is text, not the empty text
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(codes(QString::fromUtf8(text)), expected) << text;
}

TEST_F(CharCodecTest, LongCountsRunOutOfPaddingThenOutOfRoom) {
  // One character plus thirteen blanks fill positions 0-13; later positions get 255.
  std::vector<int> expected(31, 255);
  expected[0] = 33;
  std::fill(expected.begin() + 1, expected.begin() + 14, 36);
  EXPECT_EQ(codes(QStringLiteral("x"), 31), expected);
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
  // NameCode has 31 positions: the 32nd is a bounds error after 0-30 are set.
  for (const QString& text : {QStringLiteral("ABC"), QString()}) {
    EXPECT_EQ(codes(text, 32)[30], 255);
    EXPECT_EQ(ctx.log.lastProcName(), QStringLiteral("modChMem->ChNameCharSol"));
    EXPECT_EQ(ctx.log.lastNumber(), ErrBounds);
  }
  EXPECT_EQ(ctx.log.entriesLogged(), 2);
}

TEST_F(CharCodecTest, ANameShowsUpToTheFirstNonCharacterAsTheRadioWillShowIt) {
  EXPECT_EQ(shownName(3, {10, 11, 36, 36, 36}), QStringLiteral("AB   "));
  EXPECT_EQ(shownName(3, {10, 255, 11, 36, 36}), QStringLiteral("A"));
  EXPECT_EQ(shownName(3, {255, 10, 11, 12, 13}), QString());
  EXPECT_EQ(shownName(3, {44, 43, 0, 9, 45}), QStringLiteral("_-09"));
  EXPECT_EQ(shownName(260, {12, 17, 10, 23, 23}), QStringLiteral("CHANN"));
  EXPECT_EQ(ctx.gridCh().text(3, 7), QString()) << "other columns are left alone";
  ChNameCharSol(ctx, QStringLiteral("ab.cd"), kNameLength);  // typed, then stored and shown
  EXPECT_EQ(shownName(2, {ctx.chars.NameCode(0), ctx.chars.NameCode(1), ctx.chars.NameCode(2), ctx.chars.NameCode(3), ctx.chars.NameCode(4)}),
            QStringLiteral("AB"));
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
}

TEST_F(CharCodecTest, PowerOnMessageGoesToTheMessageBox) {
  MessageBox box;
  ctx.views = &box;
  for (int i = 0; i < 5; ++i) ctx.opt.OptSel(50 + i) = int16_t(std::array{17, 14, 21, 21, 24}[size_t(i)]);  // HELLO
  QStringList shown;
  for (const auto& [entry, code] : {std::pair{0, 0}, {52, 255}, {50, 45}}) {
    if (entry) ctx.opt.OptSel(entry) = int16_t(code);
    ShowPowerOnMsg(ctx);
    shown << box.shown;
  }
  EXPECT_EQ(shown, (QStringList{QStringLiteral("HELLO"), QStringLiteral("HE"), QString()}));
  // A negative code is no index into the table: logged, the box is not touched.
  ctx.opt.OptSel(50) = -1;
  ShowPowerOnMsg(ctx);
  EXPECT_EQ(box.times, 3);
  EXPECT_EQ(ctx.log.lastProcName(), QStringLiteral("modChMem->ShowPowerOnMsg"));
  EXPECT_EQ(ctx.log.lastNumber(), ErrBounds);
  ctx.views = nullptr;
}

}  // namespace
