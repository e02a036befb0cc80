// The channel table read from the settings file and its whole-table operations, the channel
// grid's set-up and filling, and names in the radio's character set, on the in-memory grid.

#include "app/chgrid.h"

#include "core/addressmap.h"
#include "app/charcodec.h"
#include "app/chmem.h"
#include "app/ctdcs.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

#include <initializer_list>

using namespace k52;
using k52::test::TestEnv;

namespace {

// A program whose settings window has read the column description of test::chInfoSection
// (RX, TX, decode, encode, Wide/Narrow, Off/On, High/Mid/Low, name) and built its tone
// list and character table.
class ChGridTest : public ::testing::Test {
 protected:
  ChGridTest() : ctx(*env.ctx) {
    env.writeSettings(test::chInfoSection());
    ctx.st.CurLang = 3;
    ctx.st.DefColor = QStringLiteral("0");
    ctx.setGridCh(&grid);
    ctx.ch.ChNameCode.fill(255);
    GenCtdcsList(ctx);
    GetValidCharTbl(ctx);
    ReadChInfo(ctx);
    EXPECT_EQ(ctx.log.entriesLogged(), 0);
  }
  void setFields(int n, std::initializer_list<int32_t> values) {
    int f = 1;
    for (int32_t v : values) ctx.ch.ChInfo(n, f++) = v;
  }
  void setName(int n, std::initializer_list<int> codes) {
    int i = 0;
    for (int c : codes) ctx.ch.ChNameCode(n, i++) = static_cast<uint8_t>(c);
  }
  QString row(int r) const {
    QStringList v;
    for (int c = 1; c <= 8; ++c) v << grid.text(r, c);
    return v.join(QLatin1Char('|'));
  }
  void fillRow(int r, const QString& text) {
    for (int c = 1; c <= 8; ++c) grid.setText(r, c, text);
  }
  std::vector<int> codes(const QString& text) {
    ChNameCharSol(ctx, text, kNameLength);
    std::vector<int> v;
    for (int i = 0; i < kNameLength; ++i) v.push_back(ctx.chars.NameCode(i));
    return v;
  }

  test::TestEnv env;
  AppContext& ctx;
  MemoryGrid grid;
};

TEST_F(ChGridTest, TextBecomesFiveCodesOfTheRadiosFortyFiveCharactersPaddedWithSpaces) {
  const std::pair<const char*, std::vector<int>> cases[] = {
      {"ab", {10, 11, 36, 36, 36}}, {"CHANNEL7", {12, 17, 10, 23, 23}}, {"]-_ 9", {42, 43, 44, 36, 9}},
      {"A.B", {10, 255, 11, 36, 36}},  // a character outside the table gives 255 but keeps its place
      {"\xC3\xA9*Z", {255, 255, 35, 36, 36}}, {"", {255, 255, 255, 255, 255}},
      {" ", {36, 36, 36, 36, 36}},  // a single blank is text, not the empty text
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(codes(QString::fromUtf8(text)), expected) << text;
}

}  // namespace

TEST_F(ChGridTest, RowsAbove200HaveNoHeaderAndMoreThan300RowsIsABoundsError) {
  ctx.ch.ChCount = 260;
  SetChGrid(ctx);
  EXPECT_EQ(grid.headerText(199, 0) + grid.headerText(200, 0) + grid.headerText(201, 0) + grid.headerText(260, 0), QStringLiteral("199VFO"));
  setName(260, {12, 17, 10, 23, 23});
  ChNameCharShow(ctx, 260);
  EXPECT_EQ(grid.text(260, 8), QStringLiteral("CHANN")) << "the last row takes a name too";

  ctx.ch.ChCount = 301;
  SetChGrid(ctx);
  EXPECT_TRUE(ctx.log.entriesLogged() == 1 && test::lastError(ctx) == test::failure(QStringLiteral("modChMem->SetChGrid:"), ErrBounds));
  EXPECT_TRUE(grid.rows() == 301 && grid.redraw()) << "rows 1-300 were inserted before the label table ran out; the grid repaints again";
}

TEST_F(ChGridTest, ShowFillsEachKindOfRowAndAFieldPastItsTableIsLoggedUnderItsRowStep) {
  SetChGrid(ctx);
  for (int r = 1; r <= 16; ++r) fillRow(r, QStringLiteral("stale"));
  for (int n = 1; n <= 16; ++n) setFields(n, {-1, -1, 0, 0, 0, 0, 0, 0});
  // A full channel: frequencies as the exact shortest decimal in MHz, options Narrow / Off /
  // Low (field 7 = 2 is item 5), a name shown as the radio will show it, up to the first
  // code that is no character, blanks and all.
  setFields(1, {17399500, 12000001, 0, 5, 1, 0, 2, 0});
  setName(1, {10, 11, 36, 36, 255});
  // An empty channel, whatever its other fields hold.
  setFields(2, {-1, 43000000, 3, 4, 1, 1, 1, 0});
  setName(2, {10, 10, 10, 10, 10});
  // Receive-only: no TX and no encode tone, but its decode tone; 45 is no character.
  setFields(3, {43012500, -1, 7, 9, 0, 1, 0, 0});
  setName(3, {44, 43, 0, 9, 45});
  // A name whose first code is 0xFF; option fields never decoded (-1) show item 2.
  setFields(4, {99999999, 0, 0, 0, -1, -1, -1, 0});
  setName(4, {255, 10, 11, 12, 13});

  ShowChTblGrid(ctx);
  EXPECT_EQ((QStringList{row(1), row(3), row(4)}),
            (QStringList{"173.995|120.00001|None|77.0|Narrow|Off|Low|AB  ", "430.125||82.5||Wide|On|High|_-09", "999.99999|0|None|None|0|1|0|"}));
  for (int r : {2, 5, 16}) EXPECT_EQ(row(r), QStringLiteral("|||||||")) << r;
  EXPECT_TRUE(grid.redraw() && ctx.log.entriesLogged() == 0);

  // A field past its table is logged under its row step and the fill goes on.
  fillRow(2, QStringLiteral("stale"));
  fillRow(3, QStringLiteral("stale"));
  // Channel 2: field 5 = 47 asks for item 50 of a 50-item column.
  setFields(2, {43000000, 43000000, 0, 0, 47, 1, 2, 0});
  // Channel 3: decode tone 301 lies past the tone list.
  setFields(3, {43100000, 43100000, 301, 2, 0, 0, 0, 0});
  setFields(4, {43200000, -1, 1, 1, 1, 1, 1, 0});

  ShowChTblGrid(ctx);
  EXPECT_TRUE(ctx.log.lines().filter(QStringLiteral("modChMem->ChParaShow")).size() == 1 && ctx.log.entriesLogged() == 2 &&
              test::lastError(ctx) == test::failure(QStringLiteral("modChMem->CtdcsDecShow"), ErrBounds));
  // The failed step leaves the rest of its own cells alone; the row's other steps run.
  EXPECT_EQ((QStringList{row(2), row(3).section(QLatin1Char('|'), 2, 3), row(4)}),
            (QStringList{"430|430|None|None|stale|stale|stale|stale", "stale|69.3", "432||67.0||Narrow|On|Mid|"}));
}

// (The column description itself is read by every grid test's set-up.)
TEST(ReadChInfo, WithoutItsSectionGivesSixteenRowsNineColumnsAndFailsAtTheFirstItemList) {
  TestEnv env;
  AppContext& ctx = *env.ctx;
  env.writeSettings(QStringLiteral("[Setting]\nDatNum=8191\n"));
  ctx.st.CurLang = 7;  // not a language: read as English
  ReadChInfo(ctx);
  EXPECT_EQ((std::vector<int>{ctx.st.CurLang, ctx.ch.ChCount, ctx.ch.ColCount}), (std::vector<int>{3, 16, 9}));
  EXPECT_EQ(test::lastError(ctx), test::failure(QStringLiteral("modChMem->ReadChInfo"), ErrBounds));
}

TEST(ChannelTable, DeletingAChannelErasesItsRecordAndNameExtensionOnlyInitOneChannelNothingOfTheImage) {
  TestEnv env;
  AppContext& ctx = *env.ctx;
  ctx.IicDat.allocate(8191);
  ctx.IicDat.fill(0x12);
  ctx.ch.ColCount = 8;
  ctx.st.DefColor = QStringLiteral("255");
  ctx.gridCh().setRows(200);
  ctx.gridCh().setCols(9);
  const int16_t n = 150;  // 0x07C0 + 3 * 149 lies inside other channels' records
  ctx.ch.ChInfo(n, 1) = ctx.ch.ChInfo(n, 2) = 43000000, ctx.ch.ChInfo(n, 3) = 7, ctx.ch.ChNameCode(n, 0) = 10;
  ctx.gridCh().setText(n, 1, QStringLiteral("430"));
  DelOneChannel(ctx, n);
  EXPECT_EQ((std::vector<int>{ctx.ch.ChInfo(n, 0), ctx.ch.ChInfo(n, 1), ctx.ch.ChInfo(n, 2), ctx.ch.ChInfo(n, 3), ctx.ch.ChNameCode(n, 0)}),
            (std::vector<int>{1, -1, -1, 7, 10})) << "tone, flag and name fields stay";
  const int a = addr::channelRecord(n), e = addr::nameExtension(n);
  for (int i = 0; i < 8192; ++i) ASSERT_EQ(ctx.IicDat.at(i), (i >= a && i < a + 16) || i == e || i == e + 1 ? 0xFF : 0x12) << i;
  for (int c = 1; c <= 8; ++c) EXPECT_TRUE(ctx.gridCh().text(n, c).isEmpty() && ctx.gridCh().cellForeColor(n, c) == 255u) << c;

  ctx.gridCh().setText(3, 8, QStringLiteral("NAME"));
  ctx.ch.ChInfo(3, 5) = 1;
  InitOneChannel(ctx, 3);
  EXPECT_EQ((std::vector<int>{ctx.ch.ChInfo(3, 0), ctx.ch.ChInfo(3, 5), ctx.IicDat.at(32), ctx.log.entriesLogged(), int(ctx.gridCh().text(3, 8).size())}),
            (std::vector<int>{1, -1, 0x12, 0, 0}));
}
