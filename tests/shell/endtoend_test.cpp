// The whole road as a dealer takes it, against the simulated radio over a pseudo-terminal:
// the program starts, reads the radio through the Program menu and the communication
// window, a channel and an option are changed in the real widgets, the Write command sends
// it back, and the radio's memory is compared byte by byte with what the program meant.

#include "comm/frmCommun.h"
#include "comm/xferenv.h"
#include "editor/frmSysSet.h"
#include "image/addressmap.h"
#include "shell/mdifrmMain.h"
#include "ui/clock.h"
#include "ui/qtgrid.h"
#include "ui/serialdevice.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdio>

using namespace k52;
using namespace k52::test;

namespace {

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    // The radio holds the delivered image with a squelch of 5.
    radioMemory = deliveredImage();
    radioMemory[addr::kSquelch] = 5;
    env.writeFile(QStringLiteral("radio.bin"), radioMemory);
    const QString link = env.path(QStringLiteral("radio-tty"));
    sim.start(QStringLiteral(K52_BIN_DIR "/k52sim"),
              {QStringLiteral("--fast"), QStringLiteral("--image"), env.path(QStringLiteral("radio.bin")),
               QStringLiteral("--link"), link, QStringLiteral("--trace")});
    ASSERT_TRUE(sim.waitForStarted(3000));
    while (!sim.canReadLine()) ASSERT_TRUE(sim.waitForReadyRead(3000));
    sim.readLine();
    installProgram(env, link);
    ctx = std::make_unique<AppContext>(clock, env.dialogs, env.folder.path());
    ctx->port = std::make_unique<SerialDevice>();
    main = std::make_unique<mdifrmMain>(*ctx);
    QSignalSpy finished(main.get(), &mdifrmMain::startupFinished);
    main->show();
    ASSERT_TRUE(finished.wait(10000));
    ASSERT_NE(main->settingsWindow(), nullptr);
  }
  void TearDown() override {
    main.reset();
    if (sim.state() != QProcess::NotRunning) {
      sim.write("quit\n");
      if (!sim.waitForFinished(3000)) sim.kill();
    }
  }

  // A menu command that opens the communication window: its one visible button is pressed
  // (the transfer runs inside the click), then the window is closed.
  bool transfer(const char* menuItem) {
    bool pressed = false;
    QTimer::singleShot(0, [&] {
      auto* w = qobject_cast<frmCommun*>(QApplication::activeModalWidget());
      if (!w) return;
      QPushButton* b = w->cmdRead()->isVisibleTo(w) ? w->cmdRead() : w->cmdWrite();
      QTest::mouseClick(b, Qt::LeftButton);
      pressed = true;
      w->reject();
    });
    main->menuItem(QString::fromLatin1(menuItem))->trigger();
    return pressed;
  }

  // A retried script is the protocol at work (a heavily loaded machine can make the
  // program miss a reply's time); the transfer must still end well, and the simulator's
  // trace of the frames is printed for whoever wonders why.
  void retriesSeen() {
    EXPECT_LT(ctx->com.ComFailCnt, 7) << "the transfer failed";
    if (ctx->com.ComFailCnt > 0)
      std::fprintf(stderr, "%d scripts retried; the radio's trace:\n%s\n", ctx->com.ComFailCnt,
                   sim.readAllStandardError().right(4000).constData());
    sim.readAllStandardError();
  }

  QByteArray radio() {
    sim.write("dump\n");
    while (!sim.canReadLine())
      if (!sim.waitForReadyRead(3000)) return {};
    const QByteArray line = sim.readLine().trimmed();
    return line.startsWith("dump ") ? QByteArray::fromHex(line.mid(5).replace(' ', "")) : QByteArray();
  }

  // Types text into a channel-grid cell the way a user does: F2, select all, the text, Enter.
  void typeIntoCell(QtGrid* grid, int row, int col, const QString& text) {
    const QModelIndex cell = grid->model()->index(row - 1, col - 1);
    grid->scrollTo(cell);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
    QApplication::processEvents();
    const auto editing = [&] {
      QWidget* f = QApplication::focusWidget();
      return f && grid->viewport()->isAncestorOf(f) ? f : nullptr;
    };
    if (!editing()) QTest::keyClick(grid, Qt::Key_F2);  // a click on an empty row opens RX itself
    QWidget* editor = editing();
    ASSERT_TRUE(editor) << "no editor opened";
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    QApplication::processEvents();
  }

  TestEnv env;
  SystemClock clock;
  QProcess sim;
  QByteArray radioMemory;
  std::unique_ptr<AppContext> ctx;
  std::unique_ptr<mdifrmMain> main;
};

TEST_F(EndToEnd, ReadEditAndWriteBackLandsInTheRadioByteForByte) {
  frmSysSet* sys = main->settingsWindow();
  auto* grid = sys->findChild<QtGrid*>(QStringLiteral("vsfgGridCh"));
  auto* sql = sys->findChild<QComboBox*>(QStringLiteral("cboSql"));
  ASSERT_NE(grid, nullptr);
  ASSERT_NE(sql, nullptr);

  ASSERT_TRUE(transfer("mnuReadFre"));
  retriesSeen();
  EXPECT_EQ(ctx->IicDat.toByteArray(), radioMemory) << "the read brings the radio's memory";
  EXPECT_EQ(sql->currentIndex(), 5) << "and shows it";

  // The empty channel 3 gets a receive frequency (446.0125 MHz, on the 12.5 kHz
  // raster), the squelch goes to 7 with the keyboard.
  sys->sstabMain()->setCurrentIndex(1);
  main->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
  typeIntoCell(grid, 3, 1, QStringLiteral("446.0125"));
  EXPECT_EQ(ctx->ch.ChInfo(3, 1), 44601250);
  sys->sstabMain()->setCurrentIndex(0);
  sql->setFocus();
  QTest::keyClick(sql, Qt::Key_Down);
  QTest::keyClick(sql, Qt::Key_Down);
  EXPECT_EQ(ctx->opt.OptSel(2), 7);

  ASSERT_TRUE(transfer("mnuWriteFre"));
  retriesSeen();
  const QByteArray written = radio();
  ASSERT_EQ(written.size(), 0x2000);
  // What the program meant to send: its image as encoded and stamped for the write.
  EXPECT_EQ(written, ctx->IicDat.toByteArray());
  // And what that is in the radio's own terms.
  const int rx = addr::channelRecord(3);
  EXPECT_EQ(written.mid(rx, 4), QByteArray::fromHex("50126044")) << "BCD, least significant byte first";
  EXPECT_EQ(static_cast<uint8_t>(written[addr::kSquelch]), 7);
  // The new channel is complete: TX follows RX, and the rest of the image is as the
  // program encoded it, which the read of the radio gives back unchanged.
  EXPECT_EQ(written.mid(rx + 4, 4), QByteArray::fromHex("50126044"));
  ASSERT_TRUE(transfer("mnuReadFre"));
  EXPECT_EQ(ctx->IicDat.toByteArray(), written);
  EXPECT_EQ(ctx->ch.ChInfo(3, 2), 44601250);
}

}  // namespace
