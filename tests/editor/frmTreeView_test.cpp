// The navigation tree in a started main window: its nodes, and what a click on each brings up.

#include "editor/frmChMem.h"
#include "editor/frmRadioInfo.h"
#include "editor/frmSysSet.h"
#include "editor/frmTreeView.h"
#include "shell/mdifrmMain.h"
#include "support/testenv.h"

#include <QAction>
#include <QMdiArea>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace k52;

namespace {

struct TreeWindow {
  test::TestEnv env;
  std::unique_ptr<mdifrmMain> w;
  frmTreeView* tree = nullptr;
  explicit TreeWindow(int lang) {
    env.installProgram(lang);
    w = test::startMainWindow(*env.ctx);
    EXPECT_TRUE(w);
    w->menuItem(QStringLiteral("mnuTreeView"))->trigger();
    tree = w->treeWindow();
  }
  // A mouse click on the node's text; returns the document window active afterwards.
  QMdiSubWindow* click(const char* key) {
    QTreeWidget* t = tree->treevMain();
    QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, t->visualItemRect(tree->node(QString::fromLatin1(key))).center());
    return w->mdiArea()->activeSubWindow();
  }
};

}  // namespace

TEST(TreeView, FourNodesUnderTheProductNameInTheInterfaceLanguage) {
  for (const auto& [lang, texts] : {std::pair{3, "KDR T17|Radio Information|Channel Information|Optional Features"},
                                    std::pair{2, "KDR T17|對講機資訊|信道資訊|可選功能"}}) {
    TreeWindow s(lang);
    ASSERT_NE(s.tree, nullptr);
    EXPECT_EQ(s.w->dockWidgetArea(s.tree), Qt::LeftDockWidgetArea);
    QTreeWidget* t = s.tree->treevMain();
    for (int pass = 0; pass < 2; ++pass, s.tree->InitRadioSet()) {  // filling again replaces the nodes
      ASSERT_EQ(t->topLevelItemCount(), 1);
      QTreeWidgetItem* root = t->topLevelItem(0);
      ASSERT_EQ(root->childCount(), 3);
      QStringList shown{root->text(0)}, keys{root->data(0, Qt::UserRole).toString()};
      for (int i = 0; i < 3; ++i) {
        shown << root->child(i)->text(0);
        keys << root->child(i)->data(0, Qt::UserRole).toString();
      }
      EXPECT_EQ(shown.join(QLatin1Char('|')).toStdString(), texts);
      EXPECT_EQ(keys.join(QLatin1Char('|')).toStdString(), "Radio|RadioInfo|ChInfo|SysSet");
      EXPECT_TRUE(root->isExpanded());
    }
    EXPECT_EQ(t->indentation(), twipsToPixels(300, t));
    EXPECT_EQ(s.env.ctx->log.entriesLogged(), 0);
  }
}

TEST(TreeView, EachViewNodeBringsItsWindowUpMaximisedAndTheRootNothing) {
  TreeWindow s(3);
  frmSysSet* sysSet = s.w->settingsWindow();
  ASSERT_NE(sysSet, nullptr);
  const int loaded = static_cast<int>(s.w->mdiArea()->subWindowList().size());
  EXPECT_EQ(s.click("Radio"), sysSet);
  EXPECT_EQ(s.w->mdiArea()->subWindowList().size(), loaded) << "the root loads nothing";

  auto* radioInfo = qobject_cast<frmRadioInfo*>(s.click("RadioInfo"));
  ASSERT_TRUE(radioInfo && radioInfo->isVisible() && radioInfo->isMaximized());
  auto* chMem = qobject_cast<frmChMem*>(s.click("ChInfo"));
  ASSERT_TRUE(chMem && chMem->isVisible() && chMem->isMaximized());

  // Closed by the user, the windows are only hidden; their nodes show the same ones again.
  sysSet->close();
  radioInfo->close();
  ASSERT_FALSE(sysSet->isVisible() || radioInfo->isVisible());
  EXPECT_EQ(s.click("SysSet"), sysSet);
  EXPECT_TRUE(sysSet->isVisible() && sysSet->isMaximized());
  EXPECT_EQ(s.click("RadioInfo"), radioInfo);
  EXPECT_TRUE(radioInfo->isVisible() && radioInfo->isMaximized());
  EXPECT_EQ(s.w->mdiArea()->subWindowList().size(), loaded + 2);
  EXPECT_EQ(s.env.ctx->log.entriesLogged(), 0) << s.env.log();
}
