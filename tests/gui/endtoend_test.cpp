// The whole road against k52sim over a pseudo-terminal: read through the Program menu, a
// channel and an option changed in the real widgets, written back, compared byte by byte.

#include "gui/frmCommun.h"
#include "gui/frmSysSet.h"
#include "core/addressmap.h"
#include "support/guienv.h"
#include "gui/qtgrid.h"
#include "platform/serialdevice.h"
#include "platform/systemclock.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <gtest/gtest.h>

using namespace k52;
using namespace k52::test;

namespace {

// A menu command that opens the communication window: its one visible button is pressed
// (the transfer runs inside the click), then the window is closed.
bool transfer(mdifrmMain& main, const char* menuItem) {
  bool pressed = false;
  QTimer::singleShot(0, [&] {
    auto* w = qobject_cast<frmCommun*>(QApplication::activeModalWidget());
    if (!w) return;
    QTest::mouseClick(w->cmdRead()->isVisibleTo(w) ? w->cmdRead() : w->cmdWrite(), Qt::LeftButton);
    pressed = true;
    w->reject();
  });
  main.menuItem(QString::fromLatin1(menuItem))->trigger();
  return pressed;
}

// A retried script is no failure (a loaded machine can miss a reply's time); the radio's
// frame trace is printed then.
void retriesSeen(AppContext& ctx, Sim& sim) {
  EXPECT_LT(ctx.com.ComFailCnt, 7) << "the transfer failed";
  if (ctx.com.ComFailCnt > 0) std::fprintf(stderr, "%d scripts retried:\n%s\n", ctx.com.ComFailCnt, sim.p.readAllStandardError().right(4000).constData());
}

TEST(EndToEnd, ReadEditAndWriteBackLandsInTheRadioByteForByte) {
  // The radio holds the delivered image with a squelch of 5.
  TestEnv env;
  QByteArray radioMemory = deliveredImage();
  radioMemory[addr::kSquelch] = 5;
  env.writeFile(QStringLiteral("radio.bin"), radioMemory);
  const QString link = env.path(QStringLiteral("radio-tty"));
  Sim sim;
  ASSERT_TRUE(sim.start({QStringLiteral("--fast"), QStringLiteral("--image"), env.path(QStringLiteral("radio.bin")),
                         QStringLiteral("--link"), link, QStringLiteral("--trace")}));
  env.installProgram(3, link);
  SystemClock clock;
  AppContext ctx(clock, env.dialogs, env.folder.path());
  ctx.port = std::make_unique<SerialDevice>();
  const std::unique_ptr<mdifrmMain> main = startMainWindow(ctx);
  frmSysSet* sys = main ? main->settingsWindow() : nullptr;
  auto* grid = sys ? sys->findChild<QtGrid*>(QStringLiteral("vsfgGridCh")) : nullptr;
  auto* sql = sys ? sys->findChild<QComboBox*>(QStringLiteral("cboSql")) : nullptr;
  ASSERT_TRUE(grid && sql);

  ASSERT_TRUE(transfer(*main, "mnuReadFre"));
  retriesSeen(ctx, sim);
  EXPECT_TRUE(ctx.IicDat.toByteArray() == radioMemory && sql->currentIndex() == 5) << "the read brings the radio's memory and shows it";
  // The empty channel 3 gets 446.0125 MHz: a click on its row opens the RX cell, typed, Enter.
  sys->sstabMain()->setCurrentIndex(1);
  main->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
  const QModelIndex cell = grid->model()->index(2, 0);
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
  QApplication::processEvents();
  QWidget* editor = QApplication::focusWidget();
  ASSERT_TRUE(editor && grid->viewport()->isAncestorOf(editor)) << "no editor opened";
  QTest::keyClicks(editor, QStringLiteral("446.0125"));
  QTest::keyClick(editor, Qt::Key_Return);
  QApplication::processEvents();
  sys->sstabMain()->setCurrentIndex(0);  // the squelch goes to 7 with the keyboard
  sql->setFocus();
  for (int i = 0; i < 2; ++i) QTest::keyClick(sql, Qt::Key_Down);
  ASSERT_TRUE(transfer(*main, "mnuWriteFre"));
  retriesSeen(ctx, sim);
  const QByteArray written = sim.dump();
  // The image as encoded and stamped for the write, and in the radio's own terms: BCD,
  // least significant byte first, TX following RX.
  ASSERT_TRUE(written.size() == 0x2000 && written == ctx.IicDat.toByteArray());
  EXPECT_TRUE(written.mid(addr::channelRecord(3), 8) == QByteArray::fromHex("5012604450126044") && written[addr::kSquelch] == 7);
  // The read of the radio gives it back unchanged.
  ASSERT_TRUE(transfer(*main, "mnuReadFre"));
  EXPECT_TRUE(ctx.IicDat.toByteArray() == written && ctx.ch.ChInfo(3, 2) == 44601250);
}

}  // namespace
