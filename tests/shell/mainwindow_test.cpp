// The main window started offscreen against a temporary program folder: its start-up,
// menus and toolbar, the About box, the help, Qt's own texts, and the exit with its closing order.

#include "comm/frmCommun.h"
#include "comm/frmMemDat.h"
#include "comm/frmToolCom.h"
#include "editor/frmTreeView.h"
#include "errlog/frmShowErr.h"
#include "image/chmem.h"
#include "shell/frmAboutSoft.h"
#include "shell/frmHelp.h"
#include "shell/mdifrmMain.h"
#include "support/testenv.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QToolBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace k52;
using k52::test::TestEnv;

namespace {

// A started program in the given language (0: as delivered, Traditional Chinese).
struct Started {
  TestEnv env;
  std::unique_ptr<mdifrmMain> w;
  explicit Started(int lang = 3) {
    env.installProgram(lang);
    w = test::startMainWindow(*env.ctx);
    EXPECT_TRUE(w);
  }
  QAction* item(const char* name) const { return w->menuItem(QString::fromLatin1(name)); }
  // Every window and document window, with whether it is shown.
  QStringList windowStates() const {
    QStringList v;
    for (QWidget* c : w->findChildren<QWidget*>())
      if (c->isWindow() || qobject_cast<QMdiSubWindow*>(c)) v << c->objectName() + QString::number(c->isVisible());
    return v;
  }
};

TEST(MainWindow, StartsThroughItsOneShotTimerOrEndsTheInstallationPassWithoutAQuestion) {
  TestEnv env;
  env.installProgram(0);
  mdifrmMain w(*env.ctx);
  EXPECT_FALSE(w.started()) << "nothing runs before the window has been shown";
  TestEnv fresh;
  fresh.installDeliveredFiles();
  const auto install = test::startMainWindow(*fresh.ctx);
  ASSERT_TRUE(install);
  EXPECT_TRUE(!install->isVisible() && fresh.dialogs.asked.empty());

  Started s(0);
  EXPECT_EQ(s.w->statusPanelText(2) + QFileInfo(s.w->statusPanelText(3)).fileName(), QStringLiteral("COM1Untitled.dat"));
  EXPECT_TRUE(s.item("mnuLangSel1")->isChecked()) << "the delivered language is Traditional Chinese";
  EXPECT_FALSE(s.w->errorWindow()->isVisible()) << s.env.log();

  // The first failure opens the error window; closing it discards the entries.
  TestEnv failing;
  failing.installProgram(0);
  failing.setSetting("COM", QStringLiteral("99"));
  const auto f = test::startMainWindow(*failing.ctx);
  ASSERT_TRUE(f && f->errorWindow()->isVisible());
  QListWidget* list = f->errorWindow()->listShowErr();
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->currentRow(), 1);
  EXPECT_TRUE(list->item(1)->text().contains(QStringLiteral("[Setting] COM")));
  f->errorWindow()->close();
  EXPECT_EQ(list->count(), 0);
  failing.ctx->log.LogError(QStringLiteral("mdifrmMain->Help"), 53, QStringLiteral("k52"));
  EXPECT_TRUE(f->errorWindow()->isVisible() && list->count() == 2);
}

// (Which items are shown and their shortcuts are the window's set-up, read as they stand.)
TEST(MainWindow, HiddenItemsToolbarKeysAndTheTreeLoadedOnFirstUse) {
  Started s;
  // The toolbar dispatches by key, exactly.
  s.env.dialogs.answers = {MsgAnswer::No};
  s.w->tlbmdifrmMain_ButtonClick(QStringLiteral("FileNew"));
  EXPECT_EQ(s.env.dialogs.prompts(), QStringList{s.env.ctx->text(74)});
  s.w->tlbmdifrmMain_ButtonClick(QStringLiteral("Print"));
  s.w->tlbmdifrmMain_ButtonClick(QStringLiteral("fileopen"));
  EXPECT_EQ(s.env.dialogs.asked.size(), 1u);
  EXPECT_TRUE(s.env.dialogs.dialogInitialPaths.empty());
  s.w->tlbmdifrmMain_ButtonClick(QStringLiteral("FileOpen"));
  EXPECT_EQ(s.env.dialogs.dialogInitialPaths.size(), 1u);
  s.w->tlbmdifrmMain_ButtonClick(QStringLiteral("Help"));  // the button captioned "About": the help file
  EXPECT_TRUE(s.env.dialogs.opened.empty() && s.env.dialogs.asked.size() == 1u) << "silent without a help file";

  // The tree is loaded on first use; the hidden items do nothing.
  ASSERT_EQ(s.w->treeWindow(), nullptr);
  s.item("mnuTreeView")->trigger();
  s.w->treeWindow()->close();
  s.item("mnuTreeView")->trigger();
  EXPECT_TRUE(s.w->treeWindow()->isVisible() && s.w->findChildren<frmTreeView*>().size() == 1);
  const QByteArray image = s.env.ctx->IicDat.toByteArray();
  const QStringList windows = s.windowStates();
  for (const char* name : {"mnuPrintFile", "mnuAddFre", "mnuTestMode", "mnuTestFre", "mnuBatchTestVal", "mnuModel", "mnuFunc",
                           "mnuMcuVer", "mnuDtmf", "mnuKeySet", "mnuWindowItem"})
    s.item(name)->trigger();
  EXPECT_TRUE(s.env.dialogs.asked.size() == 1u && s.env.dialogs.opened.empty() && !s.env.ctx->st.TestModeFlag);
  EXPECT_EQ(s.env.ctx->IicDat.toByteArray(), image);
  EXPECT_EQ(s.windowStates(), windows);
  EXPECT_EQ(s.env.ctx->log.entriesLogged(), 0) << s.env.log();
  s.env.dialogs.answers = {MsgAnswer::Yes};
  s.w->tlbmdifrmMain_ButtonClick(QStringLiteral("Exit"));
  EXPECT_FALSE(s.w->isVisible());
}

TEST(MainWindow, ChoosingALanguageStoresItTellsTheUserAndAsksToExit) {
  Started s(1);
  s.item("mnuLangSel0")->trigger();  // already Simplified Chinese: nothing
  EXPECT_TRUE(s.env.dialogs.asked.empty());
  s.env.dialogs.answers = {MsgAnswer::Ok, MsgAnswer::No};
  s.item("mnuLangSel2")->trigger();
  EXPECT_EQ(s.env.setting("Language"), QStringLiteral("3"));
  EXPECT_EQ(s.env.dialogs.prompts(), (QStringList{s.env.ctx->text(68), QStringLiteral("你要退出吗?")})) << "asked in the old language";
  EXPECT_TRUE(s.w->isVisible());
  EXPECT_EQ(s.env.ctx->st.CurLang, 3);
  EXPECT_TRUE(s.item("mnuLangSel2")->isChecked());
  EXPECT_EQ(s.item("mnuFileNew")->text(), s.env.ctx->text(21)) << "texts stay until the next start";
}

TEST(MainWindow, AnEditStillBeingTypedReachesTheImageOnSave) {
  Started s;
  auto* msg = s.w->findChild<QLineEdit*>(QStringLiteral("txtPwrMsg"));
  ASSERT_NE(msg, nullptr);
  s.w->activateWindow();
  msg->setFocus();
  msg->selectAll();
  QTest::keyClicks(msg, QStringLiteral("ab"));
  SetConvIicDat(*s.env.ctx);  // what Save and Write run first, from a toolbar button that takes no focus
  EXPECT_EQ(s.env.ctx->IicDat.toByteArray().mid(0x0E1B, 2), QByteArray("\x0A\x0B"));
}

TEST(AboutBox, TheMenuShowsItModallyOverTheMainWindow) {
  Started s;
  bool seen = false;
  QTimer::singleShot(0, s.w.get(), [&] {
    auto* box = qobject_cast<frmAboutSoft*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seen = box->parent() == s.w.get();
    box->cmdOk()->click();
  });
  s.item("mnuAboutSoft")->trigger();  // returns when the box has closed
  EXPECT_TRUE(seen);
  EXPECT_EQ(s.w->findChild<frmAboutSoft*>(), nullptr);
}

TEST(MainWindow, HelpOpensTheCompiledHelpWhereTheDesktopCanElseShowsTheGuideInItsOwnWindow) {
  Started s;
  test::TestEnv& env = s.env;
  s.w->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(s.w.get()));
  env.writeFile(QStringLiteral("EngHelp.CHM"), "x");
  env.writeFile(QStringLiteral("EngHelp.html"), "<html><body><h1>English guide</h1></body></html>");
  env.writeFile(QStringLiteral("ChsHelp.html"), "<html><meta charset=\"utf-8\"><body><h1>\xe4\xb8\xad\xe6\x96\x87</h1></body></html>");
  const auto helpWindow = [&] { return s.w->findChild<frmHelp*>(); };
  struct Case {
    int16_t lang;
    bool desktopOpens;
    bool byToolbar;
    const char* tried;  // the compiled help handed to the desktop, if any
    const char* shown;  // the help window's text, empty: no window
  };
  const Case cases[] = {
      {3, true, false, "EngHelp.CHM", ""},
      {3, false, true, "EngHelp.CHM", "English guide"},  // nothing on the desktop opens it
      {0, true, false, "", "English guide"},             // (the .CHM removed) outside 1-3: English
      {1, true, true, "", "\u4e2d\u6587"},
      {2, true, false, "", "\u4e2d\u6587"},                // no guide at all: nothing changes
  };
  for (const Case& c : cases) {
    env.ctx->st.CurLang = c.lang;
    env.dialogs.shellOpens = c.desktopOpens;
    env.dialogs.opened.clear();
    if (c.byToolbar)
      QTest::mouseClick(s.w->toolbar()->widgetForAction(s.w->findChild<QAction*>(QStringLiteral("tlbHelp"))), Qt::LeftButton);
    else
      QTest::keyClick(s.w.get(), Qt::Key_F1);  // its menu item is hidden, the key works all the same
    const QString tried = env.dialogs.opened.empty() ? QString() : QFileInfo(env.dialogs.opened.back()).fileName();
    EXPECT_EQ(tried, QString::fromLatin1(c.tried)) << c.lang;
    frmHelp* help = helpWindow();
    EXPECT_EQ(help && help->isVisible() ? help->browser()->toPlainText().trimmed() : QString(), QString::fromUtf8(c.shown)) << c.lang;
    if (!c.desktopOpens) QFile::remove(env.path(QStringLiteral("EngHelp.CHM")));
  }
  EXPECT_EQ(env.ctx->st.CurLang, 2);
  EXPECT_EQ(s.w->findChildren<frmHelp*>().size(), 1u) << "one help window, shown again";
  EXPECT_EQ(helpWindow()->windowTitle(), QStringLiteral("Help Topic")) << "the menu item's text, without its key";
  EXPECT_TRUE(env.dialogs.asked.empty());
  EXPECT_EQ(env.ctx->log.entriesLogged(), 0) << env.log();
}

TEST(MainWindow, QtsOwnButtonsSpeakTheInterfaceLanguage) {
  const struct {
    int lang;
    const char* yes;
  } cases[] = {{2, "\u662f(&Y)"}, {3, "&Yes"}, {1, "\u662f(&Y)"}};
  for (const auto& c : cases) {
    Started s(c.lang);
    QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Yes | QMessageBox::No, s.w.get());
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QString::fromUtf8(c.yes)) << c.lang;
  }
}

// The order in which the windows receive their close, then the main window's hiding.
class CloseOrder : public QObject {
 public:
  explicit CloseOrder(QWidget* main) : main_(main) { main->installEventFilter(this); }
  QStringList order;

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == (o == main_ ? QEvent::Hide : QEvent::Close)) order << o->objectName();
    return false;
  }

 private:
  QWidget* main_;
};

TEST(MainWindow, ExitAsksNoKeepsEverythingYesClosesEveryWindowInOrderThenTheMainWindow) {
  Started s;
  mdifrmMain& w = *s.w;
  w.menuItem(QStringLiteral("mnuTreeView"))->trigger();
  for (const char* key : {"RadioInfo", "ChInfo"}) w.treeWindow()->treevMain_NodeClick(w.treeWindow()->node(QString::fromLatin1(key)));
  w.mnuShowErr_Click();
  new frmAboutSoft(*s.env.ctx, &w);
  communWindow(*s.env.ctx, &w);
  new frmToolCom(*s.env.ctx, &w);
  w.memDatWindow()->partFill();
  const QStringList names = {"frmTreeView", "frmSysSet", "frmRadioInfo", "frmChMem", "frmAboutSoft",
                             "frmCommun",   "frmToolCom", "frmShowErr", "frmPartFill", "frmMemDat"};
  CloseOrder rec(&w);
  for (const QString& name : names) w.findChild<QWidget*>(name)->installEventFilter(&rec);
  const QStringList before = s.windowStates();

  s.env.dialogs.answers = {MsgAnswer::No};
  s.item("mnuExit")->trigger();
  EXPECT_TRUE(s.env.dialogs.asked.back().prompt == QStringLiteral("Are you sure want to exit?") && s.env.dialogs.asked.back().buttons == MsgButtons::YesNo);
  EXPECT_TRUE(rec.order.isEmpty()) << rec.order.join(QLatin1Char(' ')).toStdString();
  EXPECT_EQ(s.env.ctx->st.AppExiting, 0);
  EXPECT_EQ(s.windowStates(), before);

  s.env.dialogs.answers = {MsgAnswer::Yes};
  w.close();
  EXPECT_EQ(s.env.ctx->st.AppExiting, 1);
  EXPECT_EQ(rec.order, names + QStringList{QStringLiteral("mdifrmMain")});
  for (const QString& name : names) EXPECT_FALSE(w.findChild<QWidget*>(name)->isVisible()) << name.toStdString();
  EXPECT_EQ(s.env.ctx->log.entriesLogged(), 0) << s.env.log();
}

}  // namespace
