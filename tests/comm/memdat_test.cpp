// The memory viewer: its logic on an in-memory grid (layout, change marking, write-back of
// edited cells, the tooltip, the part fill), then the real window and part-fill dialog
// offscreen.

#include "comm/frmMemDat.h"
#include "comm/frmPartFill.h"
#include "comm/memdat.h"
#include "support/testenv.h"
#include "ui/qtgrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
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
  int redCells() const {
    int n = 0;
    for (int a = 0; a <= 0x1FFF; ++a) n += grid.cellForeColor(memDatRow(a), memDatCol(a)) == kMemDatChangedColor;
    return n;
  }

  test::TestEnv env;
  AppContext& ctx = *env.ctx;
  MemoryGrid grid;
};

TEST_F(MemDatTest, TheGridCoversTheImageUpToTableMaxAddrAndMarksTheBytesChangedSinceTheLastFill) {
  ASSERT_EQ(std::make_pair(grid.rows(), grid.cols()), std::make_pair(513, 17));
  EXPECT_EQ(QStringList({grid.text(0, 0), grid.text(0, 16), grid.text(32, 0), grid.text(512, 0)}), QStringList({"Addr", "F", "01F0H", "1FF0H"}));
  ctx.st.TableMaxAddr = 0x0FF0;  // on a row's first address: that row still comes
  SetGridMemDat(ctx, grid);
  EXPECT_EQ(grid.text(grid.rows() - 1, 0), "0FF0H");
  ctx.st.TableMaxAddr = 0x1FFF;  // a later change is followed by the next fill
  ctx.IicDat.at(0x10) = 0x0A;
  EXPECT_TRUE(TableFreDat(ctx, grid).empty());  // the first fill, on empty cells
  EXPECT_EQ(cell(0x10) + cell(0x1FFF), "0A" + FormatByteDat(ctx.IicDat.at(0x1FFF)));
  grid.select(3, 4);
  for (int a : {0x0000, 0x0F93, 0x1FFF}) ++ctx.IicDat.at(a);
  EXPECT_EQ(TableFreDat(ctx, grid), (std::vector<int>{0x0000, 0x0F93, 0x1FFF}));
  EXPECT_EQ(redCells(), 3);
  EXPECT_EQ(std::make_pair(grid.row(), grid.col()), std::make_pair(3, 4)) << "the current cell stays";
  SetDefCol(grid);
  EXPECT_EQ(redCells(), 0);
  // The tooltip explains a filled byte in base 2 and decimal; its cell becomes current.
  ctx.IicDat.at(0x0012) = 0xA5;
  TableFreDat(ctx, grid);
  EXPECT_EQ(CellTipHint(ctx, grid, 2, 3), QStringLiteral("地址为: 0x0012    二进制:10100101    B7:1 B6:0 B5:1 B4:0   B3:0 B2:1 B1:0 B0:1     十进制165    \n"));
  EXPECT_EQ(std::make_pair(grid.row(), grid.col()), std::make_pair(2, 3));
  SetGridMemDat(ctx, grid);
  EXPECT_TRUE(CellTipHint(ctx, grid, 2, 3).isEmpty()) << "not filled yet";
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
}

TEST_F(MemDatTest, WriteBackKeepsUnfilledBytesAndRefusesCellsThatAreNoByte) {
  const MemoryImage before = ctx.IicDat;
  edit(0x0123, " c5 ");  // an edit before the first fill: only the edited cell reaches the image
  GridDataTemp(ctx, grid);
  EXPECT_EQ(ctx.IicDat.at(0x0123), 0xC5);
  ctx.IicDat.at(0x0123) = before.at(0x0123);
  EXPECT_EQ(ctx.IicDat, before);
  TableFreDat(ctx, grid);
  edit(0x0010, "7");
  edit(0x0020, "1FF");
  edit(0x0030, "00");
  GridDataTemp(ctx, grid);
  EXPECT_EQ(ctx.IicDat.at(0x0010), 0x07) << "before the refused cell: written";
  EXPECT_EQ(ctx.IicDat.at(0x0020), before.at(0x0020));
  EXPECT_EQ(cell(0x0020), FormatByteDat(before.at(0x0020))) << "the refused cell shows the image's byte again";
  EXPECT_EQ(ctx.IicDat.at(0x0030), before.at(0x0030)) << "the write-back stopped there";
  EXPECT_EQ(ctx.log.lastNumber(), ErrOverflow);
  edit(0x0040, "G1");
  GridDataTemp(ctx, grid);
  EXPECT_EQ(ctx.log.lastNumber(), ErrTypeMismatch);
  EXPECT_EQ(ctx.IicDat.at(0x0030), 0x00) << "the next write-back carries on past the old refusal";
  EXPECT_EQ(ctx.log.lastProcName(), "frmMemDat->GridDataTemp");
}

TEST_F(MemDatTest, PartFillWritesTheRangeCapsTheValueAndAlwaysWritesTheGridBack) {
  TableFreDat(ctx, grid);
  PartFillData(ctx, grid, QStringLiteral("300"), PartFillDec, QStringLiteral("0100"), QStringLiteral("10f"));
  EXPECT_EQ(ctx.IicDat.toByteArray().mid(0xFF, 0x12), char(0xFF * 7) + QByteArray(16, '\xFF') + char(0x110 * 7));
  EXPECT_EQ(cell(0x105), "FF");
  PartFillData(ctx, grid, QStringLiteral("101"), PartFillBin, QStringLiteral("0"), QStringLiteral("1"));
  EXPECT_EQ(cell(0x0001), "5") << "the fill's own text has no leading zero";
  // Start above end fills nothing, but an edited cell still reaches the image; a fill
  // value that is nothing or negative fills nothing and is logged.
  const MemoryImage before = ctx.IicDat;
  edit(0x0200, "3C");
  PartFillData(ctx, grid, QStringLiteral("11"), PartFillHex, QStringLiteral("0300"), QStringLiteral("02FF"));
  EXPECT_EQ(ctx.IicDat.at(0x0200), 0x3C);
  ctx.IicDat.at(0x0200) = before.at(0x0200);
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
  for (const auto& [text, base] : {std::pair{"", int(PartFillHex)}, {"xyz", PartFillHex}, {"-1", PartFillDec}, {"12", PartFillBin}}) {
    PartFillData(ctx, grid, QString::fromLatin1(text), base, QStringLiteral("0"), QStringLiteral("1FFF"));
    EXPECT_EQ(ctx.log.lastProcName(), "frmPartFill->cmdFillData_Click") << text;
  }
  EXPECT_EQ(ctx.log.entriesLogged(), 4);
  EXPECT_EQ(ctx.IicDat, before);
}

TEST(MemDatWindow, FillsByButtonAndTimerEditsCellsExplainsTheByteUnderTheMouseAndPartFills) {
  test::TestEnv env;
  AppContext& ctx = *env.ctx;
  ctx.IicDat.allocate(0x1FFF);
  frmMemDat w(ctx);
  w.SetGridMemDat();
  w.show();
  QtGrid* grid = w.vsfgGridMemDat();
  const auto index = [&](int a) { return grid->model()->index(memDatRow(a) - 1, memDatCol(a) - 1); };
  const auto cell = [&](int a) { return grid->text(memDatRow(a), memDatCol(a)); };
  constexpr int kDay = 0x0F94;  // the programming date's day byte
  QTest::mouseClick(w.cmdFillGrid(), Qt::LeftButton);
  EXPECT_EQ(cell(kDay), "02") << "today's date stamped first (the test clock says 2 January)";
  QTest::mouseClick(w.chkTimerFillGrid(), Qt::LeftButton);
  env.clock.set(env.clock.now().addDays(1));
  QSignalSpy tick(w.tmrTimerFillGrid(), &QTimer::timeout);
  ASSERT_TRUE(tick.wait(3000));
  EXPECT_EQ(cell(kDay), "03");
  EXPECT_EQ(grid->cellForeColor(memDatRow(kDay), memDatCol(kDay)), kMemDatChangedColor);
  QTest::mouseClick(w.chkTimerFillGrid(), Qt::LeftButton);
  EXPECT_FALSE(w.tmrTimerFillGrid()->isActive());

  // Typed into the grid's editor, the byte reaches the image (what is refused is the
  // logic's above).
  grid->setFocus();
  grid->setCurrentIndex(index(0x0011));
  grid->edit(index(0x0011));
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_NE(editor, nullptr);
  editor->selectAll();
  QTest::keyClicks(editor, QStringLiteral("a5"));
  QTest::keyClick(editor, Qt::Key_Return);
  QApplication::processEvents();  // the editor commits on the next turn of the loop
  EXPECT_EQ(ctx.IicDat.at(0x0011), 0xA5);
  const QPoint at = grid->visualRect(index(0x0011)).center();
  QMouseEvent move(QEvent::MouseMove, at, grid->viewport()->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(grid->viewport(), &move);
  EXPECT_TRUE(w.gridToolTip().startsWith(QStringLiteral("地址为: 0x0011    二进制:10100101"))) << w.gridToolTip().toStdString();

  ctx.st.PartFillEnd = 0x1FFF;
  frmPartFill& d = w.partFill();
  d.show();
  EXPECT_EQ(d.txtEndAddr()->text(), "1FFF");
  d.txtFillData()->setText(QStringLiteral("3C"));
  d.txtStartAddr()->setText(QStringLiteral("20"));
  d.txtEndAddr()->setText(QStringLiteral("2f"));
  QTest::mouseClick(d.cmdFillData(), Qt::LeftButton);
  EXPECT_EQ(ctx.IicDat.toByteArray().mid(0x2F, 2), QByteArray("\x3C\x00", 2));
  EXPECT_EQ(cell(0x20), "3C");
  d.cboFillData()->setCurrentIndex(PartFillBin);
  d.close();
  d.show();  // opened again: the range it was left with, base "H"
  EXPECT_EQ(d.txtStartAddr()->text() + d.cboFillData()->currentText(), "0020H");
  w.close();  // hidden until the program exits
  EXPECT_TRUE(w.isHidden());
}

}  // namespace
