#include "image/charcodec.h"

#include "image/codecenv.h"

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

TEST_F(CharCodecTest, TableHoldsTheRadiosFortyFiveCharacters) {
  const QString expected = QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ +=%/[]-_");
  for (int code = 0; code < 45; ++code) EXPECT_EQ(ctx.chars.CharTbl(code), expected.mid(code, 1)) << code;
  EXPECT_EQ(ctx.chars.CharTbl(36), QStringLiteral(" "));
  EXPECT_EQ(ctx.chars.CharTbl(44), QStringLiteral("_"));
}

TEST_F(CharCodecTest, TextBecomesFiveCodesPaddedWithSpaces) {
  EXPECT_EQ(codes(QStringLiteral("ab")), (std::vector<int>{10, 11, 36, 36, 36}));
  EXPECT_EQ(codes(QStringLiteral("CHANNEL7")), (std::vector<int>{12, 17, 10, 23, 23}));
  EXPECT_EQ(codes(QStringLiteral("+=%/[")), (std::vector<int>{37, 38, 39, 40, 41}));
  EXPECT_EQ(codes(QStringLiteral("]-_ 9")), (std::vector<int>{42, 43, 44, 36, 9}));
  // Characters outside the table give 255 but keep their place.
  EXPECT_EQ(codes(QStringLiteral("A.B")), (std::vector<int>{10, 255, 11, 36, 36}));
  EXPECT_EQ(codes(QStringLiteral("é*Z")), (std::vector<int>{255, 255, 35, 36, 36}));
  EXPECT_EQ(codes(QString()), (std::vector<int>{255, 255, 255, 255, 255}));
  // A single blank is text, not the empty text.
  EXPECT_EQ(codes(QStringLiteral(" ")), (std::vector<int>{36, 36, 36, 36, 36}));
}

TEST_F(CharCodecTest, LongCountsRunOutOfPaddingThenOutOfRoom) {
  // One character plus thirteen blanks fill positions 0-13; later positions get 255.
  const auto v = codes(QStringLiteral("x"), 31);
  EXPECT_EQ(v[0], 33);
  for (int i = 1; i <= 13; ++i) EXPECT_EQ(v[size_t(i)], 36) << i;
  for (int i = 14; i <= 30; ++i) EXPECT_EQ(v[size_t(i)], 255) << i;
  EXPECT_EQ(ctx.log.entriesLogged(), 0);

  // NameCode has 31 positions: the 32nd is a bounds error after 0-30 are set.
  for (const QString& text : {QStringLiteral("ABC"), QString()}) {
    const auto w = codes(text, 32);
    EXPECT_EQ(w[30], 255);
    EXPECT_EQ(ctx.log.lastProcName(), QStringLiteral("modChMem->ChNameCharSol"));
    EXPECT_EQ(ctx.log.lastNumber(), ErrBounds);
  }
  EXPECT_EQ(ctx.log.entriesLogged(), 2);
}

TEST_F(CharCodecTest, NameShowsUpToTheFirstNonCharacter) {
  EXPECT_EQ(shownName(3, {10, 11, 36, 36, 36}), QStringLiteral("AB   "));
  EXPECT_EQ(shownName(3, {10, 255, 11, 36, 36}), QStringLiteral("A"));
  EXPECT_EQ(shownName(3, {255, 10, 11, 12, 13}), QString());
  EXPECT_EQ(shownName(3, {44, 43, 0, 9, 45}), QStringLiteral("_-09"));
  EXPECT_EQ(shownName(260, {12, 17, 10, 23, 23}), QStringLiteral("CHANN"));
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
  // Other rows and columns are left alone.
  EXPECT_TRUE(ctx.gridCh().text(3, 7).isEmpty());
}

TEST_F(CharCodecTest, TypedNameIsStoredAsTheRadioWillShowIt) {
  ChNameCharSol(ctx, QStringLiteral("ab.cd"), kNameLength);
  for (int i = 0; i < 5; ++i) ctx.ch.ChNameCode(2, i) = ctx.chars.NameCode(i);
  ChNameCharShow(ctx, 2);
  EXPECT_EQ(ctx.gridCh().text(2, 8), QStringLiteral("AB"));
}

TEST_F(CharCodecTest, PowerOnMessageGoesToTheMessageBox) {
  MessageBox box;
  AppViews* const windows = ctx.views;
  ctx.views = &box;
  const int16_t msg[] = {17, 14, 21, 21, 24};  // HELLO
  for (int i = 0; i < 5; ++i) ctx.opt.OptSel(50 + i) = msg[i];
  ShowPowerOnMsg(ctx);
  EXPECT_EQ(box.shown, QStringLiteral("HELLO"));
  ctx.opt.OptSel(52) = 255;
  ShowPowerOnMsg(ctx);
  EXPECT_EQ(box.shown, QStringLiteral("HE"));
  ctx.opt.OptSel(50) = 45;
  ShowPowerOnMsg(ctx);
  EXPECT_EQ(box.shown, QString());
  EXPECT_EQ(box.times, 3);
  // A negative code is no index into the table: logged, the box is not touched.
  ctx.opt.OptSel(50) = -1;
  ShowPowerOnMsg(ctx);
  EXPECT_EQ(box.times, 3);
  EXPECT_EQ(ctx.log.lastProcName(), QStringLiteral("modChMem->ShowPowerOnMsg"));
  EXPECT_EQ(ctx.log.lastNumber(), ErrBounds);
  ctx.views = windows;
}

}  // namespace
