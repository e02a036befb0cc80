// The main window started offscreen against a temporary program folder.

#include "errlog/frmShowErr.h"
#include "shell/mdifrmMain.h"
#include "support/testenv.h"
#include "ui/inifile.h"

#include <QAction>
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
