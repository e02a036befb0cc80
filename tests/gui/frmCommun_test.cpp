// The communication window offscreen: its states while a transfer runs, the address boxes
// (how their text is read is the start-up test's), the main window's commands that show it.

#include "gui/frmCommun.h"
#include "gui/frmShowErr.h"
#include "support/fakeport.h"
#include "support/guienv.h"
#include "app/startup.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace k52;
using namespace k52::test;

namespace {

class CommunWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    port = attachFakePort(env, [this](const QByteArray& f) { return radio(f); });
    radio.memory = radioMemory();
  }
  void start() {
    InitMultiFrm(ctx);
    w = std::make_unique<frmCommun>(ctx);
  }
  // Runs fn from inside the transfer's first wait, or once a modal window is up.
  void soon(std::function<void()> fn) { QTimer::singleShot(0, std::move(fn)); }

  TestEnv env;
  AppContext& ctx = *env.ctx;
  FakePort* port = nullptr;
  FakeRadio radio;
  std::unique_ptr<frmCommun> w;
};

TEST_F(CommunWindow, AReadRefusesInputWhileItRunsThenHidesTheWindowAndStopEndsIt) {
  start();
  w->show();
  QStringList during;
  soon([&] {
    during << QStringLiteral("running %1 read %2 box %3 stop %4 lamp %5 bold %6")
                  .arg(w->running()).arg(w->cmdRead()->isEnabled()).arg(w->txtReadStartAddr()->isEnabled())
                  .arg(w->chkStopCom()->isEnabled()).arg(w->tmrLigGrint()->isActive()).arg(w->cmdRead()->font().bold());
    w->reject();  // Escape while it runs
    during << QStringLiteral("visible %1").arg(w->isVisible());
    EXPECT_EQ(w->cmdRead_Click(), TransferEnd::Refused) << "no second transfer from inside a wait";
  });
  ASSERT_EQ(w->cmdRead_Click(), TransferEnd::Succeeded);
  // Stop Communication stays open to the user.
  EXPECT_EQ(during, (QStringList{QStringLiteral("running 1 read 0 box 0 stop 1 lamp 1 bold 1"), QStringLiteral("visible 1")}));
  // Over: hidden, lamp off, input accepted, progress cleared, the traffic listed.
  EXPECT_FALSE(w->isVisible() || w->running() || w->tmrLigGrint()->isActive() || w->imgGreen()->isVisibleTo(w.get()));
  EXPECT_TRUE(w->cmdRead()->isEnabled() && w->prgCommunicate()->value() == 0 && w->lblComStatus()->text().isEmpty());
  EXPECT_TRUE(w->listRtData()->item(1)->text() == QStringLiteral("    47 52 41 ") && w->listRtData()->currentRow() == w->LineCount - 1)
      << "the traffic listed, the last line selected";

  // Stop Communication ends the next transfer, which starts with an empty list; the box is
  // cleared for the one after.
  w->show();
  bool emptied = false;
  soon([&] {
    emptied = w->LineCount < 10;
    w->chkStopCom()->click();
  });
  EXPECT_EQ(w->cmdRead_Click(), TransferEnd::Stopped);
  EXPECT_FALSE(!emptied || w->chkStopCom()->isChecked() || w->isVisible() || !env.dialogs.asked.empty());
  EXPECT_EQ(w->cmdRead_Click(), TransferEnd::Succeeded);
}

TEST_F(CommunWindow, AReadOverUnsavedChangesAsksFirstAndCancelReadsNothing) {
  start();
  w->show();
  ctx.ch.ChInfo(3, 1) = 44500000;  // typed, never saved
  env.dialogs.answers = {MsgAnswer::Cancel};
  QTest::mouseClick(w->cmdRead(), Qt::LeftButton);
  EXPECT_TRUE(env.dialogs.prompts() == QStringList{ctx.text(82)} && port->frames.empty() && ctx.ch.ChInfo(3, 1) == 44500000);
  env.dialogs.answers = {MsgAnswer::No};  // discard
  EXPECT_TRUE(w->cmdRead_Click() == TransferEnd::Succeeded && ctx.ch.ChInfo(3, 1) != 44500000);
  // What was read is the configuration to compare with: the next read asks nothing.
  EXPECT_TRUE(w->cmdRead_Click() == TransferEnd::Succeeded && env.dialogs.asked.size() == 2u);
}

TEST_F(CommunWindow, AddressBoxesStoreTheirTextAndTheRangeOfTheNextTransfer) {
  start();
  w->txtReadStartAddr()->setText(QStringLiteral("0100"));
  w->txtReadEndAddr()->setText(QStringLiteral("10f"));
  w->txtMaxAddr()->setText(QStringLiteral("0FFF"));
  EXPECT_TRUE(env.setting("ReadEndAddr") == QStringLiteral("10f") && ctx.st.TableMaxAddr == 0x0FFF);
  ASSERT_EQ(w->cmdRead_Click(), TransferEnd::Succeeded);
  ASSERT_EQ(port->frames.size(), 5u) << "one block, 0100-010F";
  EXPECT_EQ(port->frames[3], bytes({0x52, 0x01, 0x00, 0x10}));
}

TEST_F(CommunWindow, TheMainWindowsCommandsShowItModally) {
  const auto main = startMainWindow(ctx);
  ASSERT_TRUE(main);
  const auto dialog = [&] { return main->findChild<frmCommun*>(QStringLiteral("frmCommun")); };
  // The menu's Write and Read are the end-to-end test's. Auto Read/Write keeps the
  // direction of the last (a write).
  ctx.com.ComDir = true;
  soon([&] {
    EXPECT_TRUE(QApplication::activeModalWidget() == dialog() && dialog()->cmdWrite()->isVisible() && !dialog()->cmdRead()->isVisible());
    dialog()->reject();
  });
  main->menuItem(QStringLiteral("mnuReadWriteFre"))->trigger();

  // Ctrl+Shift+T: test mode on and off, shown in the status bar.
  main->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
  QTest::keyClick(main->windowHandle(), Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);
  auto* label = main->findChild<QLabel*>(QStringLiteral("lblTestMode"));
  ASSERT_NE(label, nullptr);
  EXPECT_TRUE(ctx.st.TestModeFlag && label->isVisible());
  QTest::keyClick(main->windowHandle(), Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_FALSE(ctx.st.TestModeFlag || label->isVisible() || main->errorWindow()->isVisible()) << env.log();
  ctx.st.AppExiting = 1;
}

}  // namespace
