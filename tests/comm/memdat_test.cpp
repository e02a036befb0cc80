// The memory viewer: its logic on an in-memory grid (layout, change marking, write-back of
// edited cells, the tooltip, the part fill), then the real window and part-fill dialog
// offscreen.

#include "comm/frmMemDat.h"
#include "comm/frmPartFill.h"
#include "comm/memdat.h"
#include "shell/session.h"
#include "editor/frmSysSet.h"
#include "editor/frmSysSetOptions.h"
#include "image/chcodec.h"
#include "image/optcodec.h"
#include "shell/mdifrmMain.h"
#include "support/testenv.h"
#include "ui/qtgrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace k52;

namespace {

// QTest sends the keys to the widget that has the keyboard focus at each key.
QWidget* const toFocus = nullptr;

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

TEST_F(MemDatTest, AnEditWritesBackItsOwnCellOnlyAndACellThatIsNoByteIsRefused) {
  const MemoryImage before = ctx.IicDat;
  const auto writeBack = [&](int a, const char* text) {
    edit(a, QString::fromLatin1(text));
    GridDataTemp(ctx, grid, memDatRow(a), memDatCol(a));
  };
  TableFreDat(ctx, grid);
  edit(0x0010, "7");  // changed in the grid but not edited: never read
  writeBack(0x0123, " c5 ");
  writeBack(0x1FFF, "0");
  MemoryImage expected = before;
  expected.at(0x0123) = 0xC5;
  expected.at(0x1FFF) = 0x00;
  EXPECT_EQ(ctx.IicDat, expected);
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
  for (const auto& [text, error] : {std::pair{"1FF", int(ErrOverflow)}, {"G1", ErrTypeMismatch}}) {
    writeBack(0x0020, text);
    EXPECT_EQ(test::lastError(ctx), test::failure(QStringLiteral("frmMemDat->GridDataTemp"), error)) << text;
    EXPECT_EQ(cell(0x0020), FormatByteDat(before.at(0x0020))) << "the refused cell shows the image's byte again";
  }
  EXPECT_EQ(ctx.IicDat, expected);
}

TEST_F(MemDatTest, PartFillWritesTheRangeAndCapsTheValue) {
  TableFreDat(ctx, grid);
  PartFillData(ctx, grid, QStringLiteral("300"), PartFillDec, QStringLiteral("0100"), QStringLiteral("10f"));
  EXPECT_EQ(ctx.IicDat.toByteArray().mid(0xFF, 0x12), char(0xFF * 7) + QByteArray(16, '\xFF') + char(0x110 * 7));
  EXPECT_EQ(cell(0x105), "FF");
  PartFillData(ctx, grid, QStringLiteral("101"), PartFillBin, QStringLiteral("0"), QStringLiteral("1"));
  EXPECT_EQ(cell(0x0001), "5") << "the fill's own text has no leading zero";
  // Start above end fills nothing, and the rest of the grid is not written back; a fill
  // value that is nothing or negative fills nothing and is logged.
  const MemoryImage before = ctx.IicDat;
  edit(0x0200, "3C");
  PartFillData(ctx, grid, QStringLiteral("11"), PartFillHex, QStringLiteral("0300"), QStringLiteral("02FF"));
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
  for (const auto& [text, base] : {std::pair{"", int(PartFillHex)}, {"xyz", PartFillHex}, {"-1", PartFillDec}, {"12", PartFillBin}}) {
    PartFillData(ctx, grid, QString::fromLatin1(text), base, QStringLiteral("0"), QStringLiteral("1FFF"));
    EXPECT_EQ(ctx.log.lastProcName(), "frmPartFill->cmdFillData_Click") << text;
  }
  EXPECT_EQ(ctx.log.entriesLogged(), 4);
  EXPECT_EQ(ctx.IicDat, before);
}

TEST(MemDatWindow, FillsByButtonExplainsTheByteUnderTheMouseAndPartFills) {
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
  // (Typed edits and the timer's fills are driven in the running program below.)
  ctx.IicDat.at(0x0011) = 0xA5;
  QTest::mouseClick(w.cmdFillGrid(), Qt::LeftButton);
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

// The viewer in the running program, driven with the mouse and keys.
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
    logBase = ctx.log.entriesLogged();
  }
  QPoint at(int a) {
    const QModelIndex i = grid->model()->index(memDatRow(a) - 1, memDatCol(a) - 1);
    grid->scrollTo(i);
    return grid->visualRect(i).center();
  }
  // The pointer rests on the byte (which selects it), a click, and at once the keys, each to
  // where the keyboard focus is, then Enter.
  void retype(int a, const char* keys) {
    const QPoint p = at(a);
    QMouseEvent move(QEvent::MouseMove, p, grid->viewport()->mapToGlobal(p), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(grid->viewport(), &move);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, p);
    QTest::keyClicks(toFocus, QString::fromLatin1(keys));
    QTest::keyClick(toFocus, Qt::Key_Return);
    QApplication::processEvents();
  }
  QString cell(int a) const { return grid->text(memDatRow(a), memDatCol(a)); }
  int logged() const { return ctx.log.entriesLogged() - logBase; }
  // The addresses where the image differs from the bytes given.
  std::vector<int> differences(const QByteArray& bytes) const {
    std::vector<int> v;
    for (int a = 0; a < bytes.size(); ++a)
      if (ctx.IicDat.at(a) != uint8_t(bytes.at(a))) v.push_back(a);
    return v;
  }

  test::TestEnv env;
  AppContext& ctx = *env.ctx;
  std::unique_ptr<mdifrmMain> main;
  frmMemDat* viewer = nullptr;
  QtGrid* grid = nullptr;
  int logBase = 0;
};

TEST_F(MemDatInProgram, ClickAndTypeAtOnceStoresTheTypedByteInTheClickedCellOnly) {
  ctx.IicDat.at(0x0123) = 0x12;
  viewer->TableFreDat();
  QByteArray expected = ctx.IicDat.toByteArray();
  expected[0x0123] = '\xFF';
  retype(0x0123, "ff");
  EXPECT_EQ(differences(expected), std::vector<int>{});
  EXPECT_EQ(cell(0x0123), "FF");
  EXPECT_EQ(logged(), 0) << env.log();
}

TEST_F(MemDatInProgram, AfterAnOpenTheGridShowsTheFileAndARetypedCellChangesOnlyItsByte) {
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
  QFile f(other);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(test::deliveredImage()) > 0);
  f.close();
  env.dialogs.fileNames.push_back(other);
  OpenFile(ctx);
  QApplication::processEvents();
  QByteArray expected = ctx.IicDat.toByteArray();
  ASSERT_NE(expected.at(0x0F05), '\x3C');
  EXPECT_EQ(cell(0x0F05), FormatByteDat(uint8_t(expected.at(0x0F05)))) << "the grid shows the file opened";

  expected[0x0F25] = '\x5A';
  retype(0x0F25, "5a");
  EXPECT_EQ(differences(expected), std::vector<int>{});
  EXPECT_EQ(logged(), 0) << env.log();
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

  // The power-on message, typed with ticks in between.
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

  // A new channel's RX frequency, typed with ticks in between.
  w->sstabMain()->setCurrentIndex(1);
  QtGrid* chGrid = w->findChild<QtGrid*>(QStringLiteral("vsfgGridCh"));
  const QModelIndex rx = chGrid->model()->index(9, 0);
  chGrid->scrollTo(rx);
  QTest::mouseClick(chGrid->viewport(), Qt::LeftButton, {}, chGrid->visualRect(rx).center());
  QTest::keyClicks(toFocus, QStringLiteral("44"));
  tickTwice();
  QTest::keyClicks(toFocus, QStringLiteral("5.5"));
  QTest::keyClick(toFocus, Qt::Key_Return);
  EXPECT_EQ(ctx.ch.ChInfo(10, kFieldRx), 44550000);

  // A byte typed in the viewer itself: the ticks wait for the editor to close.
  main->showMemDat();
  const QPoint p = at(0x1F00);
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, p);
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, p);
  QTest::keyClicks(toFocus, QStringLiteral("a"));
  tickTwice();
  QTest::keyClicks(toFocus, QStringLiteral("b"));
  QTest::keyClick(toFocus, Qt::Key_Return);
  EXPECT_EQ(ctx.IicDat.at(0x1F00), 0xAB);

  // Closed, the viewer is only hidden: no tick until it is shown again.
  viewer->close();
  EXPECT_FALSE(timer->isActive());
  main->showMemDat();
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(logged(), 0) << env.log();
}

}  // namespace
