// The main window started offscreen against a temporary program folder.

#include "errlog/frmShowErr.h"
#include "image/chmem.h"
#include "shell/mdifrmMain.h"
#include "support/testenv.h"
#include "ui/inifile.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QToolBar>
#include <QListWidget>
#include <QMdiArea>
#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

using namespace k52;
using k52::test::TestEnv;

namespace {
void setFirRun(TestEnv& env, const char* value) {
  IniFile(env.path(QStringLiteral("minglyc.dll"))).write(QStringLiteral("Setting"), QStringLiteral("FirRun"), QString::fromLatin1(value));
}

bool runStartup(mdifrmMain& w) {
  QSignalSpy finished(&w, &mdifrmMain::startupFinished);
  w.show();
  return finished.wait(5000);
}
}  // namespace

TEST(MainWindow, StartsThroughItsOneShotTimerAndFillsTheStatusBar) {
  TestEnv env;
  env.installDeliveredFiles();
  setFirRun(env, "0");
  mdifrmMain w(*env.ctx);
  EXPECT_TRUE(w.startupTimer()->isSingleShot());
  EXPECT_EQ(w.startupTimer()->interval(), 10);
  EXPECT_FALSE(w.started()) << "nothing runs before the window has been shown";
  ASSERT_TRUE(runStartup(w));
  EXPECT_FALSE(w.startupTimer()->isActive());
  EXPECT_EQ(w.statusPanelText(2), QStringLiteral("COM1"));
  EXPECT_TRUE(w.statusPanelText(3).endsWith(QStringLiteral("Untitled.dat")));
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(env.ctx->IicDat.size(), 8192);
  auto* lang2 = w.findChild<QAction*>(QStringLiteral("mnuLangSel1"));
  ASSERT_NE(lang2, nullptr);
  EXPECT_TRUE(lang2->isChecked()) << "the delivered language is Traditional Chinese";
  EXPECT_FALSE(w.errorWindow()->isVisible()) << env.ctx->log.lines().join(QLatin1Char('\n')).toStdString();
}

TEST(MainWindow, InstallationPassClosesWithoutAQuestion) {
  TestEnv env;
  env.installDeliveredFiles();
  mdifrmMain w(*env.ctx);
  ASSERT_TRUE(runStartup(w));
  EXPECT_FALSE(w.isVisible());
  EXPECT_TRUE(env.dialogs.asked.empty());
  EXPECT_EQ(IniFile(env.path(QStringLiteral("minglyc.dll"))).read(QStringLiteral("Setting"), QStringLiteral("FirRun"), {}),
            QStringLiteral("1"));
}

TEST(MainWindow, TheFirstFailureOpensTheErrorWindowAndClosingItDiscardsTheEntries) {
  TestEnv env;
  env.installDeliveredFiles();
  setFirRun(env, "0");
  IniFile(env.path(QStringLiteral("minglyc.dll"))).write(QStringLiteral("Setting"), QStringLiteral("COM"), QStringLiteral("99"));
  mdifrmMain w(*env.ctx);
  ASSERT_TRUE(runStartup(w));
  frmShowErr* err = w.errorWindow();
  ASSERT_TRUE(err->isVisible());
  EXPECT_EQ(err->windowTitle(), QStringLiteral("Notice"));
  QListWidget* list = err->listShowErr();
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->currentRow(), 1);
  EXPECT_TRUE(list->item(1)->text().contains(QStringLiteral("[Setting] COM")));
  err->close();
  EXPECT_EQ(list->count(), 0);
  env.ctx->log.LogError(QStringLiteral("mdifrmMain->Help"), 53, QStringLiteral("k52"));
  EXPECT_TRUE(err->isVisible());
  EXPECT_EQ(list->count(), 2);
  EXPECT_EQ(env.ctx->log.ErrCount, 2);
}

TEST(MainWindow, ClosingAsksAndNoKeepsTheProgramRunning) {
  TestEnv env;
  env.installDeliveredFiles();
  setFirRun(env, "0");
  mdifrmMain w(*env.ctx);
  ASSERT_TRUE(runStartup(w));
  env.dialogs.answers = {MsgAnswer::No};
  w.close();
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(env.ctx->st.AppExiting, 0);
  ASSERT_EQ(env.dialogs.asked.size(), 1u);
  EXPECT_EQ(env.dialogs.asked[0].buttons, MsgButtons::YesNo);
  env.dialogs.answers = {MsgAnswer::Yes};
  w.close();
  EXPECT_FALSE(w.isVisible());
  EXPECT_EQ(env.ctx->st.AppExiting, 1);
}

namespace {
struct StartedWindow {
  TestEnv env;
  std::unique_ptr<mdifrmMain> w;
  explicit StartedWindow(const char* lang = "3") {
    env.installDeliveredFiles();
    setFirRun(env, "0");
    IniFile(env.path(QStringLiteral("minglyc.dll"))).write(QStringLiteral("Setting"), QStringLiteral("Language"), QString::fromLatin1(lang));
    w = std::make_unique<mdifrmMain>(*env.ctx);
    EXPECT_TRUE(runStartup(*w));
  }
};
}  // namespace

TEST(MainWindow, MenuTreeCaptionsShortcutsAndHiddenItems) {
  StartedWindow s;
  mdifrmMain& w = *s.w;
  EXPECT_EQ(w.windowTitle(), QStringLiteral("KDR T17 Radio Software"));
  const struct {
    const char* name;
    const char* caption;
    const char* shortcut;
    bool shown;
  } rows[] = {
      {"mnuFileNew", "&New", "Ctrl+N", true},     {"mnuFileSaveAs", "S&ave As", "", true},
      {"mnuPrintFile", "&Print", "Ctrl+P", false}, {"mnuReadFre", "&Read", "Ctrl+R", true},
      {"mnuReadWriteFre", "&Auto Read/Write Radio", "F2", false},
      {"mnuChLock", "&Lock Channel Interface", "Ctrl+L", true}, {"mnuHelpTopic", "Help &Topic", "F1", false},
      {"mnuLangSel1", "Traditional Chinese", "", true},     {"mnuShowErr", "提示", "", true},
  };
  for (const auto& r : rows) {
    QAction* a = w.menuItem(QString::fromLatin1(r.name));
    ASSERT_NE(a, nullptr) << r.name;
    EXPECT_EQ(a->text(), QString::fromUtf8(r.caption)) << r.name;
    EXPECT_EQ(a->shortcut().toString(), QString::fromLatin1(r.shortcut)) << r.name;
    EXPECT_EQ(a->isVisible(), r.shown) << r.name;
  }
  for (const char* hiddenMenu : {"mnuOption", "mnuView", "mnuWindow"})
    EXPECT_FALSE(w.findChild<QMenu*>(QString::fromLatin1(hiddenMenu))->menuAction()->isVisible()) << hiddenMenu;
  for (const char* shownMenu : {"mnuFile", "mnuProgram", "mnuSet", "mnuHelp"})
    EXPECT_TRUE(w.findChild<QMenu*>(QString::fromLatin1(shownMenu))->menuAction()->isVisible()) << shownMenu;
  EXPECT_TRUE(w.menuItem(QStringLiteral("mnuLangSel2"))->isChecked());
  EXPECT_EQ(w.toolbar()->actions().size(), 16);
  EXPECT_EQ(w.findChild<QAction*>(QStringLiteral("tlbHelp"))->text(), QStringLiteral("About"));
}

TEST(MainWindow, ToolbarDispatchesByKey) {
  StartedWindow s;
  s.env.dialogs.answers = {MsgAnswer::No};
  s.w->tlbmdifrmMain_ButtonClick(QStringLiteral("FileNew"));
  ASSERT_EQ(s.env.dialogs.asked.size(), 1u);
  EXPECT_EQ(s.env.dialogs.asked[0].prompt, s.env.ctx->text(74));
  s.w->tlbmdifrmMain_ButtonClick(QStringLiteral("Print"));
  s.w->tlbmdifrmMain_ButtonClick(QStringLiteral("fileopen"));  // keys are exact
  EXPECT_EQ(s.env.dialogs.asked.size(), 1u);
  EXPECT_TRUE(s.env.dialogs.dialogInitialPaths.empty());
  s.w->tlbmdifrmMain_ButtonClick(QStringLiteral("FileOpen"));
  EXPECT_EQ(s.env.dialogs.dialogInitialPaths.size(), 1u);
  s.env.dialogs.answers = {MsgAnswer::Yes};
  s.w->tlbmdifrmMain_ButtonClick(QStringLiteral("Exit"));
  EXPECT_FALSE(s.w->isVisible());
}

TEST(MainWindow, ChoosingALanguageStoresItTellsTheUserAndAsksToExit) {
  StartedWindow s("1");
  mdifrmMain& w = *s.w;
  w.menuItem(QStringLiteral("mnuLangSel0"))->trigger();  // already Simplified Chinese: nothing
  EXPECT_TRUE(s.env.dialogs.asked.empty());
  s.env.dialogs.answers = {MsgAnswer::Ok, MsgAnswer::No};
  w.menuItem(QStringLiteral("mnuLangSel2"))->trigger();
  IniFile ini(s.env.path(QStringLiteral("minglyc.dll")));
  EXPECT_EQ(ini.read(QStringLiteral("Setting"), QStringLiteral("Language"), {}), QStringLiteral("3"));
  ASSERT_EQ(s.env.dialogs.asked.size(), 2u);
  EXPECT_EQ(s.env.dialogs.asked[0].prompt, QStringLiteral("Language has changed, you need to restart the software."));
  EXPECT_EQ(s.env.dialogs.asked[0].title, QStringLiteral("Message"));
  EXPECT_EQ(s.env.dialogs.asked[1].prompt, QStringLiteral("你要退出吗?")) << "asked in the old language";
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(s.env.ctx->st.CurLang, 3);
  EXPECT_TRUE(w.menuItem(QStringLiteral("mnuLangSel2"))->isChecked());
  EXPECT_EQ(w.menuItem(QStringLiteral("mnuFileNew"))->text(), s.env.ctx->text(21)) << "texts stay until the next start";
}

TEST(MainWindow, AnEditStillBeingTypedReachesTheImageOnSave) {
  StartedWindow s;
  auto* msg = s.w->findChild<QLineEdit*>(QStringLiteral("txtPwrMsg"));
  ASSERT_NE(msg, nullptr);
  s.w->activateWindow();
  msg->setFocus();
  msg->selectAll();
  QTest::keyClicks(msg, QStringLiteral("ab"));
  SetConvIicDat(*s.env.ctx);  // what Save and Write run first, from a toolbar button that takes no focus
  EXPECT_EQ(s.env.ctx->opt.OptSel(50), 10);
  EXPECT_EQ(s.env.ctx->IicDat.at(0x0E1B), 10);
  EXPECT_EQ(s.env.ctx->IicDat.at(0x0E1C), 11);
}
