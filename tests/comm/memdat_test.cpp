// The memory viewer's logic on an in-memory grid: layout, change marking, write-back of
// edited cells, the tooltip and the part fill.

#include "comm/memdat.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

using namespace k52;

namespace {

class MemDatTest : public ::testing::Test {
 protected:
  MemDatTest() {
    ctx.IicDat.allocate(0x1FFF);
    for (int a = 0; a <= 0x1FFF; ++a) ctx.IicDat.at(a) = static_cast<uint8_t>(a * 7);
    SetGridMemDat(ctx, grid);
  }
  QString cell(int a) const { return grid.text(memDatRow(a), memDatCol(a)); }
  void edit(int a, const QString& t) { grid.setText(memDatRow(a), memDatCol(a), t); }
  uint32_t color(int a) const { return grid.cellForeColor(memDatRow(a), memDatCol(a)); }
  int redCells() const {
    int n = 0;
    for (int a = 0; a <= 0x1FFF; ++a) n += color(a) == kMemDatChangedColor;
    return n;
  }

  test::TestEnv env;
  AppContext& ctx = *env.ctx;
  MemoryGrid grid;
};

TEST_F(MemDatTest, GridCoversTheImageSixteenBytesARowUpToTableMaxAddr) {
  ASSERT_EQ(grid.rows(), 513);
  ASSERT_EQ(grid.cols(), 17);
  EXPECT_EQ(QStringList({grid.text(0, 0), grid.text(0, 16), grid.text(32, 0), grid.text(512, 0)}),
            QStringList({"Addr", "F", "01F0H", "1FF0H"}));
  // A TableMaxAddr on a row's first address still gets its row; a later change of the
  // value is followed by the next fill.
  ctx.st.TableMaxAddr = 0x0FF0;
  SetGridMemDat(ctx, grid);
  EXPECT_EQ(grid.text(grid.rows() - 1, 0), "0FF0H");
  ctx.st.TableMaxAddr = 0x1FFF;
  TableFreDat(ctx, grid);
  EXPECT_EQ(grid.text(512, 0), "1FF0H");
  EXPECT_EQ(cell(0x1FFF), FormatByteDat(ctx.IicDat.at(0x1FFF)));
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
}

TEST_F(MemDatTest, FillsMarkInRedExactlyTheBytesChangedSinceTheLastFill) {
  ctx.IicDat.at(0x10) = 0x0A;
  ctx.IicDat.at(0x11) = 0x1A;
  EXPECT_TRUE(TableFreDat(ctx, grid).empty());  // first fill, on empty cells
  EXPECT_EQ(cell(0x10) + cell(0x11), "0A1A");
  EXPECT_TRUE(TableFreDat(ctx, grid).empty());

  grid.select(3, 4);
  for (int a : {0x0000, 0x0F93, 0x1FFF}) ++ctx.IicDat.at(a);
  EXPECT_EQ(TableFreDat(ctx, grid), (std::vector<int>{0x0000, 0x0F93, 0x1FFF}));
  EXPECT_EQ(redCells(), 3);
  EXPECT_EQ(std::make_pair(grid.row(), grid.col()), std::make_pair(3, 4));  // the current cell stays

  SetDefCol(grid);
  EXPECT_EQ(redCells(), 0);

  // The tooltip explains a filled byte in base 2 and decimal; its cell becomes current.
  ctx.IicDat.at(0x0012) = 0xA5;
  TableFreDat(ctx, grid);
  EXPECT_EQ(CellTipHint(ctx, grid, 2, 3),
            QStringLiteral("地址为: 0x0012    二进制:10100101    B7:1 B6:0 B5:1 B4:0   B3:0 B2:1 B1:0 B0:1     "
                           "十进制165    \n"));
  EXPECT_EQ(std::make_pair(grid.row(), grid.col()), std::make_pair(2, 3));
  SetGridMemDat(ctx, grid);
  EXPECT_TRUE(CellTipHint(ctx, grid, 2, 3).isEmpty()) << "not filled yet";
}

TEST_F(MemDatTest, WriteBackKeepsUnfilledBytesAndRefusesCellsThatAreNoByte) {
  // An edit before the first fill: only the edited cell reaches the image.
  const MemoryImage before = ctx.IicDat;
  edit(0x0123, " c5 ");
  GridDataTemp(ctx, grid);
  EXPECT_EQ(ctx.IicDat.at(0x0123), 0xC5);
  ctx.IicDat.at(0x0123) = before.at(0x0123);
  EXPECT_EQ(ctx.IicDat, before);

  TableFreDat(ctx, grid);
  edit(0x0010, "7");
  edit(0x0020, "1FF");
  edit(0x0030, "00");
  GridDataTemp(ctx, grid);
  EXPECT_EQ(ctx.IicDat.at(0x0010), 0x07);               // before the refused cell: written
  EXPECT_EQ(ctx.IicDat.at(0x0020), before.at(0x0020));  // refused
  EXPECT_EQ(cell(0x0020), FormatByteDat(before.at(0x0020)));
  EXPECT_EQ(ctx.IicDat.at(0x0030), before.at(0x0030));  // the write-back stopped there
  EXPECT_EQ(ctx.log.lastProcName(), "frmMemDat->GridDataTemp");
  EXPECT_EQ(ctx.log.lastNumber(), ErrOverflow);

  edit(0x0040, "G1");
  GridDataTemp(ctx, grid);
  EXPECT_EQ(ctx.log.lastNumber(), ErrTypeMismatch);
  EXPECT_EQ(cell(0x0040), FormatByteDat(before.at(0x0040)));
  EXPECT_EQ(ctx.IicDat.at(0x0030), 0x00);  // the next write-back carries on past the old refusal
}

TEST_F(MemDatTest, PartFillWritesTheRangeCapsTheValueAndAlwaysWritesTheGridBack) {
  TableFreDat(ctx, grid);
  PartFillData(ctx, grid, QStringLiteral("300"), PartFillDec, QStringLiteral("0100"), QStringLiteral("10f"));
  for (int a = 0x100; a <= 0x10F; ++a) ASSERT_EQ(ctx.IicDat.at(a), 0xFF) << a;
  EXPECT_EQ(std::make_pair(ctx.IicDat.at(0x0FF), ctx.IicDat.at(0x110)), std::make_pair(uint8_t(0xFF * 7), uint8_t(0x110 * 7)));
  EXPECT_EQ(cell(0x105), "FF");

  PartFillData(ctx, grid, QStringLiteral("101"), PartFillBin, QStringLiteral("0"), QStringLiteral("1"));
  EXPECT_EQ(cell(0x0001), "5");  // the fill's own text has no leading zero

  // Start above end fills nothing, but an edited cell still reaches the image.
  const MemoryImage before = ctx.IicDat;
  edit(0x0200, "3C");
  PartFillData(ctx, grid, QStringLiteral("11"), PartFillHex, QStringLiteral("0300"), QStringLiteral("02FF"));
  EXPECT_EQ(ctx.IicDat.at(0x0200), 0x3C);
  ctx.IicDat.at(0x0200) = before.at(0x0200);
  EXPECT_EQ(ctx.IicDat, before);
  EXPECT_EQ(ctx.log.entriesLogged(), 0);

  // A fill value that is nothing or negative fills nothing and is logged.
  for (const auto& [text, base] : {std::pair{"", int(PartFillHex)}, {"xyz", PartFillHex}, {"-1", PartFillDec}, {"12", PartFillBin}}) {
    PartFillData(ctx, grid, QString::fromLatin1(text), base, QStringLiteral("0"), QStringLiteral("1FFF"));
    EXPECT_EQ(ctx.log.lastProcName(), "frmPartFill->cmdFillData_Click") << text;
  }
  EXPECT_EQ(ctx.log.entriesLogged(), 4);
  EXPECT_EQ(ctx.IicDat, before);
}

}  // namespace
