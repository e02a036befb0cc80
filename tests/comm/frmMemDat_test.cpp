// The memory viewer and the part-fill dialog as real widgets, offscreen: filling by button
// and by timer, editing a cell in the grid's editor, the tooltip under the mouse, closing,
// and the viewer loaded by start-up into the main window.

#include "comm/frmMemDat.h"
#include "comm/frmPartFill.h"
#include "comm/memdat.h"
#include "shell/mdifrmMain.h"
#include "support/testenv.h"
#include "ui/qtgrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace k52;

namespace {

constexpr int kDay = 0x0F94;  // the programming date's day byte

class MemDatWindowTest : public ::testing::Test {
 protected:
  MemDatWindowTest() {
    ctx.IicDat.allocate(0x1FFF);
    w.SetGridMemDat();
    w.show();
    QApplication::processEvents();
  }
  QString cell(int a) const { return grid->text(memDatRow(a), memDatCol(a)); }
  QModelIndex index(int a) const { return grid->model()->index(memDatRow(a) - 1, memDatCol(a) - 1); }
  // Types text into the grid's editor on the cell of address a and commits it.
  void typeInto(int a, const QString& text) {
    grid->setFocus();
    grid->setCurrentIndex(index(a));
    grid->edit(index(a));
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();  // the editor commits on the next turn of the loop
  }

  test::TestEnv env;
  AppContext& ctx = *env.ctx;
  frmMemDat w{ctx};
  QtGrid* grid = w.vsfgGridMemDat();
};

TEST_F(MemDatWindowTest, FillsByButtonAndTimerEditsCellsAndExplainsTheByteUnderTheMouse) {
  QTest::mouseClick(w.cmdFillGrid(), Qt::LeftButton);
  EXPECT_EQ(cell(kDay), "02");  // today's date stamped first (the test clock says 2 January)

  QTest::mouseClick(w.chkTimerFillGrid(), Qt::LeftButton);
  ASSERT_TRUE(w.tmrTimerFillGrid()->isActive());
  env.clock.set(env.clock.now().addDays(1));
  QSignalSpy tick(w.tmrTimerFillGrid(), &QTimer::timeout);
  ASSERT_TRUE(tick.wait(3000));
  EXPECT_EQ(cell(kDay), "03");
  EXPECT_EQ(grid->cellForeColor(memDatRow(kDay), memDatCol(kDay)), kMemDatChangedColor);
  QTest::mouseClick(w.chkTimerFillGrid(), Qt::LeftButton);
  EXPECT_FALSE(w.tmrTimerFillGrid()->isActive());

  typeInto(0x0011, QStringLiteral("a5"));
  EXPECT_EQ(ctx.IicDat.at(0x0011), 0xA5);
  typeInto(0x0011, QStringLiteral("300"));
  EXPECT_EQ(ctx.IicDat.at(0x0011), 0xA5);
  EXPECT_EQ(cell(0x0011), "A5");

  const QPoint at = grid->visualRect(index(0x0011)).center();
  QMouseEvent move(QEvent::MouseMove, at, grid->viewport()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(grid->viewport(), &move);
  EXPECT_TRUE(w.gridToolTip().startsWith(QStringLiteral("地址为: 0x0011    二进制:10100101"))) << w.gridToolTip().toStdString();
  EXPECT_EQ(grid->currentIndex(), index(0x0011));

  w.close();  // hidden until the program exits
  EXPECT_TRUE(w.isHidden());
}

TEST_F(MemDatWindowTest, PartFillDialogFillsTheRangeItShowsAndKeepsIt) {
  ctx.st.PartFillEnd = 0x1FFF;
  frmPartFill& d = w.partFill();
  d.show();
  EXPECT_EQ(d.txtEndAddr()->text(), "1FFF");
  d.txtFillData()->setText(QStringLiteral("3C"));
  d.txtStartAddr()->setText(QStringLiteral("20"));
  d.txtEndAddr()->setText(QStringLiteral("2f"));
  QTest::mouseClick(d.cmdFillData(), Qt::LeftButton);
  EXPECT_EQ(ctx.IicDat.at(0x2F), 0x3C);
  EXPECT_EQ(ctx.IicDat.at(0x30), 0x00);
  EXPECT_EQ(cell(0x20), "3C");

  d.cboFillData()->setCurrentIndex(PartFillBin);
  d.close();
  d.show();  // opened again: the range it was left with, base "H"
  EXPECT_EQ(d.txtStartAddr()->text(), "0020");
  EXPECT_EQ(d.cboFillData()->currentText(), "H");
}

TEST(MemDatInMainWindow, StartUpBuildsItHiddenAndTestModeShowsItInTheDocumentArea) {
  test::TestEnv env;
  env.installProgram(0);
  const auto main = test::startMainWindow(*env.ctx);
  ASSERT_TRUE(main && main->memDatWindow());
  frmMemDat* w = main->memDatWindow();
  EXPECT_EQ(w->vsfgGridMemDat()->rows(), env.ctx->st.TableMaxAddr / 16 + 2);
  EXPECT_TRUE(w->isHidden());
  main->showMemDat();
  EXPECT_TRUE(w->isVisible() && main->mdiArea()->subWindowList().contains(w));
}

}  // namespace
