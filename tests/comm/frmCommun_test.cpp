// The communication window offscreen: its parts, its states while a transfer runs, the
// live list, the address boxes, and the main window's commands that show it.

#include "comm/frmCommun.h"
#include "comm/frmToolCom.h"
#include "errlog/frmShowErr.h"
#include "shell/mdifrmMain.h"
#include "xferenv.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

using namespace k52;
using namespace k52::test;

namespace {

class CommunWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    installProgram(env, QStringLiteral("/dev/fake"));
    auto p = std::make_unique<FakePort>(env.clock);
    port = p.get();
    port->openable << QStringLiteral("/dev/fake");
    port->responder = [this](const QByteArray& f) { return radio(f); };
    ctx.port = std::move(p);
    radio.memory = radioMemory();
  }
  void start() {
    InitMultiFrm(ctx);
    w = std::make_unique<frmCommun>(ctx);
  }
  // Runs fn once the transfer has started (from inside its first wait).
  void duringTransfer(std::function<void()> fn) { QTimer::singleShot(0, w.get(), std::move(fn)); }

  TestEnv env;
  AppContext& ctx = *env.ctx;
  FakePort* port = nullptr;
  FakeRadio radio;
  std::unique_ptr<frmCommun> w;
};

TEST_F(CommunWindow, CaptionsButtonsAndTheTwoViews) {
  start();
  EXPECT_EQ(w->windowTitle(), QStringLiteral("Communicate"));
  EXPECT_EQ(w->fraOne()->title(), QStringLiteral("Communication"));
  EXPECT_EQ(w->cmdRead()->text(), QStringLiteral("&Read"));
  EXPECT_EQ(w->cmdWrite()->text(), QStringLiteral("&Write"));
  EXPECT_EQ(w->txtReadEndAddr()->text(), QStringLiteral("1FFF"));
  EXPECT_EQ(w->txtWriteStartAddr()->text(), QStringLiteral("0000"));
  EXPECT_EQ(w->txtMaxAddr()->text(), QStringLiteral("1FFF"));
  EXPECT_TRUE(w->isModal());

  EXPECT_TRUE(w->cmdRead()->isVisibleTo(w.get()));
  EXPECT_FALSE(w->cmdWrite()->isVisibleTo(w.get()));
  ctx.com.ComDir = true;
  w->ShowComButton();
  EXPECT_FALSE(w->cmdRead()->isVisibleTo(w.get()));
  EXPECT_TRUE(w->cmdWrite()->isVisibleTo(w.get()));

  // Only the progress part at first; test mode lets a double-click show the rest.
  const int collapsed = w->height();
  EXPECT_FALSE(w->expanded());
  w->fraOne_DblClick();
  EXPECT_FALSE(w->expanded()) << "not outside test mode";
  ctx.st.TestModeFlag = true;
  w->fraOne_DblClick();
  EXPECT_TRUE(w->expanded());
  EXPECT_TRUE(w->txtReadStartAddr()->isVisibleTo(w.get()));
  EXPECT_GT(w->height(), collapsed + w->listRtData()->height());
  w->fraOne_DblClick();
  EXPECT_FALSE(w->expanded());
  EXPECT_EQ(w->height(), collapsed);

  w->ShowComPercent(45);
  EXPECT_EQ(w->prgCommunicate()->value(), 45);
  EXPECT_EQ(w->lblComStatus()->text(), QStringLiteral("45 %"));
}

TEST_F(CommunWindow, AReadRefusesInputWhileItRunsThenHidesTheWindow) {
  start();
  w->show();
  struct During {
    bool ran = false, running = false, readEnabled = true, boxEnabled = true, stopEnabled = false, lamp = false,
         bold = false, visibleAfterEscape = false;
  } during;
  duringTransfer([&] {
    during.ran = true;
    during.running = w->running();
    during.readEnabled = w->cmdRead()->isEnabled();
    during.boxEnabled = w->txtReadStartAddr()->isEnabled();
    during.stopEnabled = w->chkStopCom()->isEnabled();
    during.lamp = w->tmrLigGrint()->isActive();
    during.bold = w->cmdRead()->font().bold();
    w->reject();  // Escape while it runs
    during.visibleAfterEscape = w->isVisible();
    EXPECT_EQ(w->cmdRead_Click(), TransferEnd::Refused) << "no second transfer from inside a wait";
  });
  ASSERT_EQ(w->cmdRead_Click(), TransferEnd::Succeeded);
  ASSERT_TRUE(during.ran);
  EXPECT_TRUE(during.running);
  EXPECT_FALSE(during.readEnabled);
  EXPECT_FALSE(during.boxEnabled);
  EXPECT_TRUE(during.stopEnabled) << "Stop Communication stays open to the user";
  EXPECT_TRUE(during.lamp);
  EXPECT_TRUE(during.bold);
  EXPECT_TRUE(during.visibleAfterEscape);
  EXPECT_EQ(w->tmrLigGrint()->interval(), 100);

  // Over: hidden, lamp off, input accepted, progress cleared, the traffic listed.
  EXPECT_FALSE(w->isVisible());
  EXPECT_FALSE(w->running());
  EXPECT_FALSE(w->tmrLigGrint()->isActive());
  EXPECT_FALSE(w->imgGreen()->isVisibleTo(w.get()));
  EXPECT_TRUE(w->cmdRead()->isEnabled());
  EXPECT_EQ(w->prgCommunicate()->value(), 0);
  EXPECT_TRUE(w->lblComStatus()->text().isEmpty());
  EXPECT_EQ(w->listRtData()->item(0)->text(), QStringLiteral("Tx: 02 50 52 4F "));
  EXPECT_EQ(w->listRtData()->item(1)->text(), QStringLiteral("    47 52 41 "));
  EXPECT_EQ(w->listRtData()->count(), w->LineCount);
  EXPECT_EQ(w->listRtData()->currentRow(), w->LineCount - 1) << "the last line is selected";
  EXPECT_EQ(ctx.IicDat.toByteArray(), radio.memory);

  // The next transfer starts with an empty list.
  w->show();
  duringTransfer([&] { during.running = w->LineCount < 10; });
  ASSERT_EQ(w->cmdRead_Click(), TransferEnd::Succeeded);
  EXPECT_TRUE(during.running);
}

TEST_F(CommunWindow, StopCommunicationEndsTheTransferAndIsClearedForTheNext) {
  start();
  const QByteArray image = ctx.IicDat.toByteArray();
  w->show();
  duringTransfer([&] { w->chkStopCom()->click(); });
  EXPECT_EQ(w->cmdRead_Click(), TransferEnd::Stopped);
  EXPECT_EQ(ctx.IicDat.toByteArray(), image);
  EXPECT_FALSE(w->chkStopCom()->isChecked());
  EXPECT_FALSE(w->isVisible());
  EXPECT_TRUE(env.dialogs.asked.empty());
  EXPECT_EQ(w->cmdRead_Click(), TransferEnd::Succeeded);
}

TEST_F(CommunWindow, TheLiveListIsCappedAndCanBeSwitchedOff) {
  start();
  QByteArray reply(20, '\x5A');  // two lines each
  for (int i = 0; i < 1500; ++i) w->ComDataShow(-1, reply);
  EXPECT_EQ(w->LineCount, 3000);
  w->ComDataShow(-1, reply);
  EXPECT_EQ(w->LineCount, 3002) << "the list is emptied only once it holds more than 3000 lines";
  w->ComDataShow(0, reply);
  EXPECT_EQ(w->LineCount, 2);
  EXPECT_EQ(w->listRtData()->count(), 2);
  EXPECT_EQ(w->listRtData()->item(0)->text(), QStringLiteral("Tx: 5A 5A 5A 5A "));

  w->chkNotShowProg()->setChecked(true);
  w->ComDataShow(0, reply);
  EXPECT_EQ(w->listRtData()->count(), 2);
  w->addLine(QStringLiteral("Rx：Communication failed! No receive Data!"));
  EXPECT_EQ(w->LineCount, 3) << "the failure notice is listed all the same";
}

TEST_F(CommunWindow, AddressBoxesStoreTheirTextAndTheRangeOfTheNextTransfer) {
  start();
  auto key = [&](const char* k) {
    return IniFile(env.path(QStringLiteral("minglyc.dll"))).read(QStringLiteral("Setting"), QString::fromLatin1(k), {});
  };
  w->txtReadStartAddr()->setText(QStringLiteral("0100"));
  w->txtReadEndAddr()->setText(QStringLiteral("10f"));
  EXPECT_EQ(key("ReadStartAddr"), QStringLiteral("0100"));
  EXPECT_EQ(key("ReadEndAddr"), QStringLiteral("10f"));
  EXPECT_EQ(ctx.st.ReadStartAddr, 0x0100);
  EXPECT_EQ(ctx.st.ReadEndAddr, 0x010F);
  w->txtMaxAddr()->setText(QStringLiteral("0FFF"));
  EXPECT_EQ(ctx.st.TableMaxAddr, 0x0FFF);
  EXPECT_EQ(key("TableMaxAddr"), QStringLiteral("0FFF"));

  // Not a hexadecimal number: stored as typed, the value stays, the log says where.
  w->txtWriteEndAddr()->setText(QStringLiteral("XYZ"));
  EXPECT_EQ(key("WriteEndAddr"), QStringLiteral("XYZ"));
  EXPECT_EQ(ctx.st.WriteEndAddr, 0x1FFF);
  EXPECT_EQ(ctx.log.lastProcName(), QStringLiteral("frmCommun->txtWriteEndAddr_Change"));

  ASSERT_EQ(w->cmdRead_Click(), TransferEnd::Succeeded);
  ASSERT_EQ(port->frames.size(), 5u);
  EXPECT_EQ(port->frames[3], bytes({0x52, 0x01, 0x00, 0x10}));
}

TEST_F(CommunWindow, TheMainWindowsCommandsShowItModally) {
  ctx.views = nullptr;
  mdifrmMain main(ctx);
  QSignalSpy started(&main, &mdifrmMain::startupFinished);
  main.show();
  ASSERT_TRUE(started.wait(5000));

  // Write: the write button, modal over the main window; its click runs the transfer and
  // the hidden window ends the modal show.
  bool seen = false;
  QTimer::singleShot(0, &main, [&] {
    auto* dlg = main.findChild<frmCommun*>(QStringLiteral("frmCommun"));
    ASSERT_NE(dlg, nullptr);
    seen = dlg->isVisible() && QApplication::activeModalWidget() == dlg;
    EXPECT_TRUE(dlg->cmdWrite()->isVisible());
    EXPECT_FALSE(dlg->cmdRead()->isVisible());
    dlg->cmdWrite()->click();
  });
  main.menuItem(QStringLiteral("mnuWriteFre"))->trigger();
  EXPECT_TRUE(seen);
  EXPECT_EQ(radio.memory.mid(0x0F92, 3), ctx.IicDat.toByteArray().mid(0x0F92, 3));
  EXPECT_TRUE(ctx.com.ComDir);

  // The radio's firmware fields, for the settings window to show after the read below.
  radio.memory[0x0F98] = 0x10;
  radio.memory[0x0F99] = static_cast<char>(0xBC);
  radio.memory[0x0F9A] = 0x15;

  // Auto Read/Write keeps the direction; Read switches to the read button.
  QTimer::singleShot(0, &main, [&] {
    auto* dlg = main.findChild<frmCommun*>(QStringLiteral("frmCommun"));
    EXPECT_TRUE(dlg->cmdWrite()->isVisible());
    dlg->reject();
  });
  main.menuItem(QStringLiteral("mnuReadWriteFre"))->trigger();
  QTimer::singleShot(0, &main, [&] {
    auto* dlg = main.findChild<frmCommun*>(QStringLiteral("frmCommun"));
    EXPECT_TRUE(dlg->cmdRead()->isVisible());
    dlg->cmdRead()->click();
  });
  main.tlbmdifrmMain_ButtonClick(QStringLiteral("Read"));
  EXPECT_FALSE(ctx.com.ComDir);
  EXPECT_EQ(ctx.IicDat.toByteArray(), radio.memory);
  EXPECT_EQ(main.findChild<QLineEdit*>(QStringLiteral("txtLastPc"))->text(), QStringLiteral("2026.1.2")) << "the date the write stamped";
  EXPECT_EQ(main.findChild<QLineEdit*>(QStringLiteral("txtSoftVer"))->text(), QStringLiteral("V1.0 -- 2011.12.21"));

  // The port command shows the port dialog, then the status bar.
  QTimer::singleShot(0, &main, [&] {
    auto* dlg = main.findChild<frmToolCom*>();
    ASSERT_NE(dlg, nullptr);
    dlg->okButton()->click();
  });
  main.tlbmdifrmMain_ButtonClick(QStringLiteral("Com"));
  EXPECT_EQ(main.statusPanelText(2), QStringLiteral("COM1"));

  // Ctrl+Shift+T: test mode on and off, shown in the status bar.
  auto* shortcut = main.findChild<QShortcut*>(QStringLiteral("scTestMode"));
  ASSERT_NE(shortcut, nullptr);
  EXPECT_EQ(shortcut->key(), QKeySequence(QStringLiteral("Ctrl+Shift+T")));
  emit shortcut->activated();
  EXPECT_TRUE(ctx.st.TestModeFlag);
  auto* label = main.findChild<QLabel*>(QStringLiteral("lblTestMode"));
  ASSERT_NE(label, nullptr);
  EXPECT_TRUE(label->isVisible());
  emit shortcut->activated();
  EXPECT_FALSE(ctx.st.TestModeFlag);
  EXPECT_FALSE(label->isVisible());
  EXPECT_FALSE(main.errorWindow()->isVisible()) << ctx.log.lines().join(QLatin1Char('\n')).toStdString();
  ctx.st.AppExiting = 1;
}

}  // namespace
