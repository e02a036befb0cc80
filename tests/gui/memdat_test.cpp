// The memory viewer: its logic on an in-memory grid, then the viewer in the running program
// driven with the mouse and keys.

#include "gui/frmMemDat.h"
#include "gui/frmPartFill.h"
#include "app/memdat.h"
#include "app/session.h"
#include "gui/frmSysSet.h"
#include "gui/frmSysSetOptions.h"
#include "support/guienv.h"
#include "gui/qtgrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace k52;

namespace {

QWidget* const toFocus = nullptr;  // QTest then sends each key to the focus widget

class MemDatTest : public ::testing::Test {
 protected:
  MemDatTest() {
    ctx.IicDat.allocate(0x1FFF);
    for (int a = 0; a <= 0x1FFF; ++a) ctx.IicDat.at(a) = static_cast<uint8_t>(a * 7);
    SetGridMemDat(ctx, grid);
  }
  QString cell(int a) const { return grid.text(memDatRow(a), memDatCol(a)); }
  void edit(int a, const QString& t) { grid.setText(memDatRow(a), memDatCol(a), t); }

  test::TestEnv env;
  AppContext& ctx = *env.ctx;
  MemoryGrid grid;
};

TEST_F(MemDatTest, TheGridCoversTheImageUpToTableMaxAddrMarksChangedBytesAndExplainsACell) {
  ctx.st.TableMaxAddr = 0x0FF0;  // on a row's first address: that row still comes
  SetGridMemDat(ctx, grid);
  EXPECT_EQ(grid.text(grid.rows() - 1, 0), "0FF0H");
  ctx.st.TableMaxAddr = 0x1FFF;  // a later change is followed by the next fill
  EXPECT_TRUE(TableFreDat(ctx, grid).empty() && cell(0x1FFF) == FormatByteDat(ctx.IicDat.at(0x1FFF)));  // the first fill, on empty cells
  grid.select(3, 4);
  for (int a : {0x0000, 0x0F93, 0x1FFF}) ++ctx.IicDat.at(a);
  EXPECT_TRUE(TableFreDat(ctx, grid) == (std::vector<int>{0x0000, 0x0F93, 0x1FFF}) && grid.cellForeColor(memDatRow(0x0F93), memDatCol(0x0F93)) == kMemDatChangedColor);
  EXPECT_EQ(std::make_pair(grid.row(), grid.col()), std::make_pair(3, 4)) << "the current cell stays";
  SetDefCol(grid);
  EXPECT_EQ(grid.cellForeColor(memDatRow(0x1FFF), memDatCol(0x1FFF)), kMemDatDefColor);
  ctx.IicDat.at(0x0012) = 0xA5;
  TableFreDat(ctx, grid);
  EXPECT_EQ(CellTipHint(ctx, grid, 2, 3), QStringLiteral("地址为: 0x0012    二进制:10100101    B7:1 B6:0 B5:1 B4:0   B3:0 B2:1 B1:0 B0:1     十进制165    \n"));
}

TEST_F(MemDatTest, AnEditWritesBackItsOwnCellOnlyAndACellThatIsNoByteIsRefused) {
  MemoryImage expected = ctx.IicDat;
  TableFreDat(ctx, grid);
  edit(0x0010, "7");  // changed in the grid but not edited: never read
  for (const auto& [a, text, byte] : {std::tuple{0x0123, " c5 ", 0xC5}, {0x1FFF, "0", 0x00}}) {
    edit(a, QLatin1String(text));
    GridDataTemp(ctx, grid, memDatRow(a), memDatCol(a));
    expected.at(a) = static_cast<uint8_t>(byte);
  }
  EXPECT_TRUE(ctx.IicDat == expected && ctx.log.entriesLogged() == 0);
  for (const auto& [text, error] : {std::pair{"1FF", int(ErrOverflow)}, {"G1", ErrTypeMismatch}}) {
    edit(0x0020, QLatin1String(text));
    GridDataTemp(ctx, grid, memDatRow(0x0020), memDatCol(0x0020));
    EXPECT_EQ(test::lastError(ctx), test::failure(QStringLiteral("frmMemDat->GridDataTemp"), error)) << text;
    EXPECT_EQ(cell(0x0020), FormatByteDat(expected.at(0x0020))) << "the refused cell shows the image's byte again";
  }
  EXPECT_EQ(ctx.IicDat, expected);
}

TEST_F(MemDatTest, PartFillWritesTheRangeCapsTheValueAndRefusesNoValue) {
  TableFreDat(ctx, grid);
  PartFillData(ctx, grid, QStringLiteral("300"), PartFillDec, QStringLiteral("0100"), QStringLiteral("10f"));
  EXPECT_EQ(ctx.IicDat.toByteArray().mid(0xFF, 0x12), char(0xFF * 7) + QByteArray(16, '\xFF') + char(0x110 * 7));
  PartFillData(ctx, grid, QStringLiteral("101"), PartFillBin, QStringLiteral("0"), QStringLiteral("1"));
  EXPECT_EQ(cell(0x0001), "5") << "the fill's own text has no leading zero";
  // Start above end fills nothing; a value that is nothing or negative is refused and logged.
  const MemoryImage before = ctx.IicDat;
  PartFillData(ctx, grid, QStringLiteral("11"), PartFillHex, QStringLiteral("0300"), QStringLiteral("02FF"));
  for (const auto& [text, base] : {std::pair{"", PartFillHex}, {"xyz", PartFillHex}, {"-1", PartFillDec}, {"12", PartFillBin}}) {
    PartFillData(ctx, grid, QString::fromLatin1(text), base, QStringLiteral("0"), QStringLiteral("1FFF"));
    EXPECT_EQ(ctx.log.lastProcName(), "frmPartFill->cmdFillData_Click") << text;
  }
  EXPECT_TRUE(ctx.log.entriesLogged() == 4 && ctx.IicDat == before);
}

// The viewer in the running program.
class MemDatInProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    env.installProgram();
    main = test::startMainWindow(ctx);
    ASSERT_TRUE(main && main->settingsWindow());
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    main->showMemDat();
    viewer = main->memDatWindow();
    ASSERT_NE(viewer, nullptr);
    grid = viewer->vsfgGridMemDat();
    QTest::mouseClick(viewer->cmdFillGrid(), Qt::LeftButton);
  }
  QPoint at(int a) {
    const QModelIndex i = grid->model()->index(memDatRow(a) - 1, memDatCol(a) - 1);
    grid->scrollTo(i);
    return grid->visualRect(i).center();
  }
  void hover(int a) {
    const QPoint p = at(a);
    QMouseEvent move(QEvent::MouseMove, p, grid->viewport()->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(grid->viewport(), &move);
  }
  // The pointer rests on the byte (which selects it), a click, and at once the keys, then Enter.
  void retype(int a, const char* keys) {
    hover(a);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at(a));
    QTest::keyClicks(toFocus, QString::fromLatin1(keys));
    QTest::keyClick(toFocus, Qt::Key_Return);
    QApplication::processEvents();
  }
  QString cell(int a) const { return grid->text(memDatRow(a), memDatCol(a)); }

  test::TestEnv env;
  AppContext& ctx = *env.ctx;
  std::unique_ptr<mdifrmMain> main;
  frmMemDat* viewer = nullptr;
  QtGrid* grid = nullptr;
};

TEST_F(MemDatInProgram, ClickThenTypeChangesOnlyTheClickedByteAlsoAfterAPartFillAndAnOpen) {
  EXPECT_EQ(cell(0x0F94), "02") << "Fill Grid stamps today's date first (the test clock says 2 January)";
  ctx.IicDat.at(0x0123) = 0x12;
  viewer->TableFreDat();
  hover(0x0123);
  EXPECT_TRUE(viewer->gridToolTip().startsWith(QStringLiteral("地址为: 0x0123    二进制:00010010"))) << "the byte under the pointer";
  QByteArray expected = ctx.IicDat.toByteArray();
  expected[0x0123] = '\xFF';
  retype(0x0123, "ff");
  EXPECT_TRUE(ctx.IicDat.toByteArray() == expected && cell(0x0123) == "FF");

  frmPartFill& fill = viewer->partFill();
  fill.show();
  fill.txtFillData()->setText(QStringLiteral("3C"));
  fill.txtStartAddr()->setText(QStringLiteral("F00"));
  fill.txtEndAddr()->setText(QStringLiteral("F0F"));
  QTest::mouseClick(fill.cmdFillData(), Qt::LeftButton);
  fill.close();
  ASSERT_EQ(cell(0x0F05), "3C");
  main->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
  const QString other = env.path(QStringLiteral("other.dat"));
  env.writeFile(other, test::deliveredImage());
  env.dialogs.fileNames.push_back(other);
  OpenFile(ctx);
  QApplication::processEvents();
  expected = ctx.IicDat.toByteArray();
  EXPECT_EQ(cell(0x0F05), FormatByteDat(uint8_t(expected.at(0x0F05)))) << "the grid shows the file opened";
  expected[0x0F25] = '\x5A';
  retype(0x0F25, "5a");
  EXPECT_TRUE(ctx.IicDat.toByteArray() == expected && ctx.log.entriesLogged() == 0) << env.log();
}

TEST_F(MemDatInProgram, FillEverySecondOnRealTimerTicksRunsOnlyWhileShownAndLeavesEveryEditAlone) {
  QTimer* timer = viewer->tmrTimerFillGrid();
  QTest::mouseClick(viewer->chkTimerFillGrid(), Qt::LeftButton);
  ASSERT_TRUE(timer->isActive());
  timer->setInterval(5);
  QSignalSpy ticks(timer, &QTimer::timeout);
  const auto tickTwice = [&] {
    ticks.clear();
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks.size() >= 2; }, 60000));
  };
  // The power-on message, typed with ticks in between (the tick finishes no edit elsewhere).
  frmSysSet* w = main->settingsWindow();
  w->sstabMain()->setCurrentIndex(2);
  QLineEdit* msg = w->optionsPage()->txtPwrMsg();
  w->optionsPage()->scrollArea()->ensureWidgetVisible(msg);
  QTest::mouseClick(msg, Qt::LeftButton);
  QTest::keyClick(toFocus, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(toFocus, QStringLiteral("ab"));
  tickTwice();
  EXPECT_TRUE(msg->hasFocus());
  QTest::keyClicks(toFocus, QStringLiteral("c"));
  QTest::keyClick(toFocus, Qt::Key_Tab);
  EXPECT_EQ((std::vector<int>{ctx.opt.OptSel(kOptPowerOnMsg), ctx.opt.OptSel(kOptPowerOnMsg + 1), ctx.opt.OptSel(kOptPowerOnMsg + 2)}),
            (std::vector<int>{10, 11, 12}));
  // A byte typed in the viewer itself: the ticks wait for the editor to close.
  main->showMemDat();
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at(0x1F00));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at(0x1F00));
  QTest::keyClicks(toFocus, QStringLiteral("a"));
  tickTwice();
  QTest::keyClicks(toFocus, QStringLiteral("b"));
  QTest::keyClick(toFocus, Qt::Key_Return);
  EXPECT_EQ(ctx.IicDat.at(0x1F00), 0xAB);
  // Closed, the viewer is only hidden: no tick until it is shown again.
  viewer->close();
  EXPECT_TRUE(viewer->isHidden() && !timer->isActive() && ctx.log.entriesLogged() == 0) << env.log();
}

}  // namespace
