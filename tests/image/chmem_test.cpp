// The channel table's whole-table operations on the image and the grid.

#include "image/addressmap.h"
#include "image/chmem.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

using namespace k52;
using k52::test::TestEnv;

namespace {
void useSettings(TestEnv& env, const QString& text) {
  env.writeSettings(text);
  env.ctx->ini.setPath(env.path(QStringLiteral("minglyc.dll")));
}
}  // namespace

TEST(ReadChInfo, WithoutTheSectionGivesSixteenRowsNineColumnsAndFailsOnTheFirstItemList) {
  TestEnv env;
  useSettings(env, QStringLiteral("[Setting]\nDatNum=8191\n"));
  AppContext& ctx = *env.ctx;
  ctx.ch.ColItems(2, 0) = QStringLiteral("previous");
  ReadChInfo(ctx);
  EXPECT_EQ(ctx.ch.ChCount, 16);
  EXPECT_EQ(ctx.ch.ColCount, 9);
  EXPECT_EQ(ctx.ch.RowHeight, 240);
  EXPECT_EQ(ctx.ch.GridFormat, QStringLiteral("0|0|0|0|0|0|0|0|0|0"));
  for (int c = 0; c <= 9; ++c) EXPECT_EQ(ctx.ch.ColWidth(c), 1000);
  for (int j = 0; j < 50; ++j) EXPECT_EQ(ctx.ch.ColItems(1, j), QStringLiteral("0"));
  EXPECT_EQ(ctx.ch.ColItems(2, 0), QStringLiteral("previous")) << "later columns keep their items";
  EXPECT_EQ(ctx.log.entriesLogged(), 1);
  EXPECT_EQ(ctx.log.lastProcName(), QStringLiteral("modChMem->ReadChInfo"));
  EXPECT_EQ(ctx.log.lastNumber(), ErrBounds);
}

TEST(ReadChInfo, ReadsTheLanguageBaseStopsAtTheEndMarkerAndTrimsValues) {
  TestEnv env;
  useSettings(env, test::chInfoSection(199) + QStringLiteral("3207=  padded value  \n"));
  AppContext& ctx = *env.ctx;
  ctx.st.CurLang = 7;  // not a language: read as English
  ReadChInfo(ctx);
  EXPECT_EQ(ctx.st.CurLang, 3);
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
  EXPECT_EQ(ctx.ch.ChCount, 199);
  EXPECT_EQ(ctx.ch.ColCount, 8);
  EXPECT_EQ(ctx.ch.ColWidth(0), 600);
  EXPECT_EQ(ctx.ch.ColItems(1, 0), QStringLiteral("RxFre"));
  EXPECT_EQ(ctx.ch.ColItems(7, 5), QStringLiteral("Low"));
  EXPECT_EQ(ctx.ch.ColItems(5, 5), QString()) << "nothing is read past the end marker";
  EXPECT_EQ(ctx.ch.ColItems(8, 0), QStringLiteral("CHNAME"));
}

TEST(ReadChInfo, MoreThanFiftyColumnsIsABoundsError) {
  TestEnv env;
  useSettings(env, QStringLiteral("[ChInfo]\n3000=16\n3002=51\n"));
  env.ctx->st.CurLang = 3;
  ReadChInfo(*env.ctx);
  EXPECT_EQ(env.ctx->log.lastNumber(), ErrBounds);
}

// A table of 199 channels and eight columns over an image of 0x12.
struct Table {
  TestEnv env;
  AppContext& ctx = *env.ctx;
  Table() {
    ctx.IicDat.allocate(8191);
    ctx.IicDat.fill(0x12);
    ctx.ch.ChCount = 199;
    ctx.ch.ColCount = 8;
    ctx.st.DefColor = QStringLiteral("255");
    ctx.gridCh().setRows(200);
    ctx.gridCh().setCols(9);
  }
};

TEST(ChannelTable, InitOneChannelClearsFieldsAndCellsButNotTheImage) {
  Table t;
  AppContext& ctx = t.ctx;
  ctx.gridCh().setText(3, 8, QStringLiteral("NAME"));
  ctx.ch.ChInfo(3, 0) = 0;
  ctx.ch.ChInfo(3, 5) = 1;
  InitOneChannel(ctx, 3);
  EXPECT_EQ(ctx.ch.ChInfo(3, 0), 1);
  for (int f = 1; f <= 8; ++f) EXPECT_EQ(ctx.ch.ChInfo(3, f), -1) << f;
  EXPECT_EQ(ctx.gridCh().text(3, 8), QString());
  EXPECT_EQ(ctx.IicDat.at(32), 0x12);
  InitOneChannel(ctx, 261);
  EXPECT_EQ(ctx.log.lastProcName(), QStringLiteral("modChMem->InitOneChannel:"));
  EXPECT_EQ(ctx.log.lastNumber(), ErrBounds);
  // Another direction than 0 and 1 changes nothing.
  ctx.ch.ChInfo(1, 1) = 43000000;
  const MemoryImage before = ctx.IicDat;
  ChInfoSaveSol(ctx, 2);
  EXPECT_TRUE(ctx.IicDat == before && ctx.ch.ChInfo(1, 1) == 43000000);
}

TEST(ChannelTable, DeletingAChannelErasesItsRecordAndNameExtensionOnlyInitChTableEveryRow) {
  Table t;
  AppContext& ctx = t.ctx;
  const int16_t n = 150;  // 0x07C0 + 3 * 149 lies inside other channels' records
  ctx.ch.ChInfo(n, 1) = ctx.ch.ChInfo(n, 2) = 43000000;
  ctx.ch.ChInfo(n, 3) = 7;
  ctx.ch.ChNameCode(n, 0) = 10;
  ctx.gridCh().setText(n, 1, QStringLiteral("430"));
  DelOneChannel(ctx, n);
  EXPECT_EQ((std::vector<int>{ctx.ch.ChInfo(n, 0), ctx.ch.ChInfo(n, 1), ctx.ch.ChInfo(n, 2), ctx.ch.ChInfo(n, 3), ctx.ch.ChNameCode(n, 0)}),
            (std::vector<int>{1, -1, -1, 7, 10})) << "tone, flag and name fields stay";
  const int a = addr::channelRecord(n), e = addr::nameExtension(n);
  for (int i = 0; i < 8192; ++i) {
    const bool erased = (i >= a && i < a + 16) || i == e || i == e + 1;
    ASSERT_EQ(ctx.IicDat.at(i), erased ? 0xFF : 0x12) << "address " << i;
  }
  for (int c = 1; c <= 8; ++c) EXPECT_TRUE(ctx.gridCh().text(n, c).isEmpty() && ctx.gridCh().cellForeColor(n, c) == 255u) << c;
  EXPECT_EQ(ctx.log.entriesLogged(), 0);

  ctx.ch.ChCount = 16;
  InitChTable(ctx);
  for (int k = 1; k <= 16; ++k) EXPECT_EQ(ctx.ch.ChInfo(k, 1), -1);
  EXPECT_EQ(ctx.IicDat.at(16 * 16 - 1), 0xFF);
  EXPECT_EQ(ctx.IicDat.at(16 * 16), 0x12);
}

TEST(SeparateFreChar, SplitsHexPairsAndLeavesTheRestOfTheBuffer) {
  TestEnv env;
  AppContext& ctx = *env.ctx;
  ctx.ConvBuf.fill(0xAA);
  SeparateFreChar(ctx, QStringLiteral("0670"));
  EXPECT_EQ(ctx.ConvBuf(0), 0x06);
  EXPECT_EQ(ctx.ConvBuf(1), 0x70);
  EXPECT_EQ(ctx.ConvBuf(2), 0xAA);
  SeparateFreChar(ctx, QStringLiteral("9"));
  EXPECT_EQ(ctx.ConvBuf(0), 0x09);
  EXPECT_EQ(ctx.ConvBuf(1), 0x70);
  SeparateFreChar(ctx, QStringLiteral("17400000"));
  EXPECT_EQ(ctx.ConvBuf(0), 0x17);
  EXPECT_EQ(ctx.ConvBuf(1), 0x40);
  EXPECT_EQ(ctx.ConvBuf(3), 0x00);
  SeparateFreChar(ctx, QStringLiteral("C023"));
  EXPECT_EQ(ctx.ConvBuf(0), 0xC0);
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
  SeparateFreChar(ctx, QStringLiteral("123456789"));
  EXPECT_EQ(ctx.log.lastNumber(), ErrBounds);
  EXPECT_EQ(ctx.ConvBuf(3), 0x78) << "the first four pairs were stored before the fifth failed";
  SeparateFreChar(ctx, QStringLiteral("-1"));
  EXPECT_EQ(ctx.log.lastNumber(), ErrTypeMismatch);
}
