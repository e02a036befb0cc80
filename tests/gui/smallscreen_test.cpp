// The windows on one 800 x 600 offscreen screen (support/screen-800x600.json, set by CTest):
// every window fits, and every button is reached, by scrolling where needed, and works.

#include "gui/frmCommun.h"
#include "gui/frmMemDat.h"
#include "gui/frmSysSet.h"
#include "gui/frmSysSetOptions.h"
#include "gui/frmHelp.h"
#include "support/guienv.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace k52;

namespace {

QRect onScreen(const QWidget* w) { return QRect(w->mapToGlobal(QPoint(0, 0)), w->size()); }

// The whole of w can be seen: inside every widget it sits in (a scroll area's view among
// them) and inside the screen's free area.
bool wholeInView(const QWidget* w, const QRect& available) {
  const QRect r = onScreen(w);
  for (const QWidget* p = w->parentWidget(); p; p = p->parentWidget())
    if (!onScreen(p).contains(r)) return false;
  return available.contains(r);
}

// Scrolls every scroll area around w until w is in view.
void scrollTo(QWidget* w) {
  for (QWidget* p = w->parentWidget(); p; p = p->parentWidget())
    if (auto* area = qobject_cast<QScrollArea*>(p)) area->ensureWidgetVisible(w, 0, 0);
}

TEST(SmallScreen, EveryWindowFitsAndEveryButtonIsReachedAndWorks) {
  const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
  ASSERT_EQ(available.size(), QSize(800, 600)) << "runs with QT_QPA_PLATFORM=offscreen:configfile=screen-800x600.json";
  test::TestEnv env;
  env.installProgram(3);
  AppContext& ctx = *env.ctx;
  auto main = test::startMainWindow(ctx);
  ASSERT_TRUE(main);
  EXPECT_TRUE(available.contains(main->frameGeometry()) && wholeInView(main->statusBar(), available)) << "the main window wanted 1024 x 720";

  // The options page: the FM "Clear" and "Print" below the fold.
  frmSysSet* sys = main->settingsWindow();
  sys->sstabMain()->setCurrentIndex(2);
  SysSetOptionsPage* page = sys->optionsPage();
  QApplication::processEvents();
  for (QWidget* w : std::initializer_list<QWidget*>{page->cmdClrRadioFre(), page->cmdSysSetPrint(), page->txtRadioFre(24)}) {
    scrollTo(w);
    EXPECT_TRUE(wholeInView(w, available)) << w->objectName().toStdString();
  }
  QTest::mouseClick(page->cmdSysSetPrint(), Qt::LeftButton);
  EXPECT_EQ(env.dialogs.printed.size(), 1u);

  // The memory viewer and its buttons.
  ctx.st.TestModeFlag = true;
  main->showMemDat();
  QApplication::processEvents();
  frmMemDat* mem = main->memDatWindow();
  for (QWidget* w : std::initializer_list<QWidget*>{mem->cmdFillGrid(), mem->cmdSetDefCol(), mem->cmdPartFill()}) {
    scrollTo(w);
    EXPECT_TRUE(wholeInView(w, available)) << w->objectName().toStdString();
  }

  // The communication window, expanded in test mode.
  frmCommun commun(ctx, main.get());
  commun.show();
  QTest::mouseDClick(commun.fraOne(), Qt::LeftButton, {}, QPoint(4, commun.fraOne()->height() - 4));
  ASSERT_TRUE(commun.expanded());
  QApplication::processEvents();
  EXPECT_TRUE(available.contains(commun.frameGeometry()));
  for (const char* name : {"chkStopCom", "txtMaxAddr", "cmdRead"}) {
    auto* w = commun.findChild<QWidget*>(QString::fromLatin1(name));
    ASSERT_NE(w, nullptr) << name;
    scrollTo(w);
    EXPECT_TRUE(wholeInView(w, available)) << name;
  }
  commun.hide();

  // The help window.
  env.writeFile(QStringLiteral("EngHelp.html"), "<html><body><h1>Guide</h1></body></html>");
  main->Help();
  auto* help = main->findChild<frmHelp*>();
  ASSERT_TRUE(help && help->isVisible());
  EXPECT_TRUE(available.contains(help->frameGeometry()));
  ctx.st.InstallPass = true;
}

}  // namespace
