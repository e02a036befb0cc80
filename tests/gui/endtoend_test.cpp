// The whole road against k52sim over a pseudo-terminal: read through the Program menu, a
// channel and an option changed in the real widgets, written back, compared byte by byte
// and with the radio; several radios programmed at once.

#include "app/manyradios.h"
#include "app/session.h"
#include "core/inifile.h"
#include "core/langtexts.h"
#include "core/writeverify.h"
#include "gui/frmCommun.h"
#include "gui/frmManyRadios.h"
#include "gui/frmSysSet.h"
#include "core/addressmap.h"
#include "support/guienv.h"
#include "gui/qtgrid.h"
#include "platform/serialdevice.h"
#include "platform/systemclock.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QTableWidget>
#include <QTreeWidget>
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

  // Program -> Compare with Radio, the radio now holding another channel 3 RX and squelch:
  // both listed, the window's configuration as it was.
  QByteArray other = written;
  other.replace(addr::channelRecord(3), 4, QByteArray::fromHex("00256514"));
  other[addr::kSquelch] = 2;
  env.writeFile(QStringLiteral("other.bin"), other);
  ASSERT_TRUE(sim.command(qPrintable(QStringLiteral("load ") + env.path(QStringLiteral("other.bin")))).startsWith("loaded"));
  chooseMenu(*main, {"mnuProgram", "mnuCompareRadio"});
  auto* list = main->findChild<QTreeWidget*>(QStringLiteral("lstDifferences"));
  ASSERT_NE(list, nullptr);
  QStringList rows;
  for (int i = 0; i < list->topLevelItemCount(); ++i)
    rows << QStringList{list->topLevelItem(i)->text(0), list->topLevelItem(i)->text(2), list->topLevelItem(i)->text(3)}.join(QLatin1Char('|'));
  EXPECT_EQ(rows, (QStringList{QStringLiteral("Channel 3|446.01250|146.52500"), QStringLiteral("Squelch Level|7|2")}));
  EXPECT_TRUE(ctx.IicDat.toByteArray() == written && ctx.ch.ChInfo(3, 1) == 44601250 && sql->currentIndex() == 7);
}

// Program -> Program Many Radios with four radios, the third plugged in while the window
// is shown: two take the configuration, the third does not answer (seven replies lost),
// the fourth keeps its squelch byte whatever is written; they fail alone. The third's
// Again, once it answers, passes. The unit log gets a row per unit; a radio unplugged
// leaves the list.
TEST(EndToEnd, ManyRadiosOneFailingAloneThenPassingAgainEachLogged) {
  TestEnv env;
  env.installProgram(3);
  QByteArray radioMemory = deliveredImage();
  radioMemory[addr::kSquelch] = 5;
  env.writeFile(QStringLiteral("radio.bin"), radioMemory);
  QStringList links;
  {
    IniFile ini(env.path(QStringLiteral("minglyc.dll")));
    for (const char* name : {"radio-a", "radio-b", "radio-c", "radio-d"}) {
      links << env.path(QString::fromLatin1(name));
      ini.write(QStringLiteral("Ports"), QStringLiteral("COM%1").arg(links.size()), links.back());
    }
  }
  const QStringList common{QStringLiteral("--fast"), QStringLiteral("--image"), env.path(QStringLiteral("radio.bin")), QStringLiteral("--link")};
  Sim sims[4];
  for (int i : {0, 1}) ASSERT_TRUE(sims[i].start(common + QStringList{links[i]}));
  ASSERT_TRUE(sims[3].start(common + QStringList{links[3], QStringLiteral("--stuck"), QStringLiteral("0E13")}));
  SystemClock clock;
  AppContext ctx(clock, env.dialogs, env.folder.path());
  ctx.port = std::make_unique<SerialDevice>();
  const std::unique_ptr<mdifrmMain> main = startMainWindow(ctx);
  ASSERT_TRUE(main);
  chooseMenu(*main, {"mnuProgram", "mnuManyRadios"});
  auto* w = main->findChild<frmManyRadios*>();
  ASSERT_TRUE(w && w->isVisible());
  EXPECT_TRUE(w->rowOf(links[0]) >= 0 && w->rowOf(links[1]) >= 0 && w->rowOf(links[2]) < 0);
  ASSERT_TRUE(sims[2].start(common + QStringList{links[2], QStringLiteral("--fault-at"),
                                                  QStringLiteral("1:lost,2:lost,3:lost,4:lost,5:lost,6:lost,7:lost")}));
  EXPECT_TRUE(QTest::qWaitFor([&] { return w->rowOf(links[2]) >= 0; }, 5000)) << "the plugged-in port is listed";

  for (int n = 1; n <= 4; ++n) QTest::mouseClick(w->findChild<QCheckBox*>(QStringLiteral("chkPort%1").arg(n)), Qt::LeftButton);
  QTest::mouseClick(w->cmdStart(), Qt::LeftButton);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !w->anyRunning(); }, 60000));
  QTableWidget* t = w->tblPorts();
  const auto row = [&](int i) {
    const int r = w->rowOf(links[i]);
    return QStringList{t->item(r, frmManyRadios::ColState)->text(), t->item(r, frmManyRadios::ColIdent)->text(),
                       t->item(r, frmManyRadios::ColResult)->text()}.join(QLatin1Char('|'));
  };
  EXPECT_EQ(row(0), QStringLiteral("Passed|K52SIM 01 00|Passed"));
  EXPECT_EQ(row(1), QStringLiteral("Passed|K52SIM 01 00|Passed"));
  EXPECT_EQ(row(2), QStringLiteral("Failed||No answer"));
  EXPECT_EQ(row(3), QStringLiteral("Failed|K52SIM 01 00|Differs: Squelch Level: 3 \u2192 5"));
  // The radios that passed hold the window's configuration over the write range.
  const int from = ctx.st.WriteStartAddr, length = ctx.st.WriteEndAddr - ctx.st.WriteStartAddr + 1;
  const QByteArray want = expectedAfterWrite(Session(ctx).imageForWrite()).toByteArray().mid(from, length);
  EXPECT_TRUE(sims[0].dump().mid(from, length) == want && sims[1].dump().mid(from, length) == want);
  EXPECT_NE(sims[2].dump().mid(from, length), want);

  // The radio answers now: Enter on its selected row starts it again.
  const int failed = w->rowOf(links[2]);
  QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, t->visualRect(t->model()->index(failed, frmManyRadios::ColDevice)).center());
  QTest::keyClick(t, Qt::Key_Return);
  ASSERT_TRUE(w->anyRunning());
  // Exit while a radio is being written asks about that first; No leaves it running.
  env.dialogs.answers = {MsgAnswer::No};
  EXPECT_FALSE(main->close());
  EXPECT_TRUE(env.dialogs.asked.back().prompt == ctx.text(kTextManyExitRunning) && main->isVisible() && w->anyRunning());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !w->anyRunning(); }, 60000));
  EXPECT_EQ(row(2), QStringLiteral("Passed|K52SIM 01 00|Passed"));
  EXPECT_EQ(w->lblTally()->text(), QStringLiteral("3 passed, 1 failed"));
  EXPECT_EQ(sims[2].dump().mid(from, length), want);
  sims[3].stop();  // its cable pulled out: the row goes
  EXPECT_TRUE(QTest::qWaitFor([&] { return w->rowOf(links[3]) < 0; }, 5000));
  const QStringList log = QString::fromUtf8(env.readFile(unitLogPath(ctx))).split(QStringLiteral("\n"), Qt::SkipEmptyParts);
  ASSERT_EQ(log.size(), 6) << "the header and five units";
  const QStringList third = log.filter(links[2]);
  EXPECT_TRUE(third.size() == 2 && third[0].contains(QStringLiteral(",failed,")) && third[0].contains(QStringLiteral(",no answer")) &&
              third[1].contains(QStringLiteral(",passed,")))
      << log.join(QLatin1Char('\n')).toStdString();
}

}  // namespace
