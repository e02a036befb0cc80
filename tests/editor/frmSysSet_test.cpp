// The settings window as start-up loads it into the main window, offscreen, the navigation
// tree that brings up the views, and the custom range dialog through the Qt dialog seam.
// (Its captions are the language table's; the options tab's layout is optwidgets'.)

#include "editor/frmChMem.h"
#include "editor/frmCustomFre.h"
#include "editor/frmRadioInfo.h"
#include "editor/frmSysSet.h"
#include "editor/frmTreeView.h"
#include "image/addressmap.h"
#include "image/chgrid.h"
#include "shell/mdifrmMain.h"
#include "support/testenv.h"
#include "ui/qtdialogs.h"
#include "ui/qtgrid.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace k52;

namespace {

class SettingsWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env.installProgram();
    main = test::startMainWindow(ctx);
    ASSERT_TRUE(main && main->settingsWindow());
    w = main->settingsWindow();
  }
  test::TestEnv env;
  AppContext& ctx = *env.ctx;
  std::unique_ptr<mdifrmMain> main;
  frmSysSet* w = nullptr;
};

TEST_F(SettingsWindowTest, StartUpOpensItMaximisedWithTheChannelGridAndClosingOnlyHidesIt) {
  EXPECT_TRUE(main->mdiArea()->subWindowList().contains(w));
  EXPECT_TRUE(w->isVisible() && w->isMaximized() && w->windowTitle().isEmpty());
  auto* grid = w->findChild<QtGrid*>(QStringLiteral("vsfgGridCh"));
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(&ctx.gridCh(), static_cast<Grid*>(grid)) << "the channel procedures draw into the window's grid";
  EXPECT_EQ(grid->rows(), ctx.ch.ChCount + 1);

  // The user has no close box and no Close (Ctrl+F4): the menus could not bring it back.
  w->setFocus();
  QTest::keyClick(w, Qt::Key_F4, Qt::ControlModifier);
  QApplication::processEvents();
  EXPECT_TRUE(w->isVisible());
  EXPECT_FALSE(w->windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint));

  w->sstabMain()->setCurrentIndex(1);
  ctx.gridCh().setText(3, 8, QStringLiteral("ABCDE"));
  EXPECT_FALSE(w->close()) << "the close is refused while the program runs";
  EXPECT_FALSE(w->isVisible());
  w->showMaximized();
  EXPECT_EQ(main->settingsWindow(), w);
  EXPECT_EQ(w->sstabMain()->currentIndex(), 1);
  EXPECT_EQ(ctx.gridCh().text(3, 8), QStringLiteral("ABCDE"));
  ctx.st.AppExiting = 1;  // the main window's exit closes it for good
  EXPECT_TRUE(w->close());
  EXPECT_TRUE(env.dialogs.asked.empty());
  EXPECT_EQ(ctx.log.entriesLogged(), 0) << env.log();
}

TEST_F(SettingsWindowTest, TheBandListForwardsTheUsersChoiceAndFollowsTheProgramsOwn) {
  QComboBox* cbo = w->cboFrequency();
  env.dialogs.answers = {MsgAnswer::No};
  cbo->setCurrentIndex(8);  // as the user picks it
  EXPECT_EQ(cbo->currentIndex(), 5) << "declined: the box shows the band in use again";
  cbo->setCurrentIndex(8);  // answered Yes
  EXPECT_EQ(env.dialogs.asked.size(), 2u);
  EXPECT_EQ(cbo->currentIndex(), 8);
  EXPECT_EQ(ctx.band.LowerLimit, 47000000);
  // A new image on another band (136 - 174 MHz) moves the box without a question.
  for (int i = 0; i < 3; ++i) ctx.IicDat.at(addr::kBand + i) = uint8_t(std::array{0x13, 0x17, 0x64}[size_t(i)]);
  SoftDisplay(ctx);
  EXPECT_EQ(cbo->currentIndex(), 0);
  EXPECT_EQ(env.dialogs.asked.size(), 2u);
}

TEST_F(SettingsWindowTest, AFileOfAnotherCustomRangeOpensTheDialogWithItsRangeAndLosesNoChannel) {
  // The band is already Custom, 150 - 160 MHz, chosen with the keyboard.
  QComboBox* cbo = w->cboFrequency();
  env.dialogs.answers = {MsgAnswer::Yes, MsgAnswer::No};
  env.dialogs.customRanges = {CustomRangeTexts{QStringLiteral("150"), QStringLiteral("160")}};
  cbo->setFocus();
  QTest::keyClick(cbo, Qt::Key_End);
  ASSERT_EQ(cbo->currentIndex(), 11);
  ASSERT_EQ(ctx.band.LowerLimit, 15000000);

  // A file of a 136 - 175 MHz radio (no preset) with channels on 140 and 170 MHz.
  QByteArray image = test::deliveredImage();
  image.replace(addr::kBand, 3, QByteArray::fromHex("131765"));
  const QByteArray ch1 = QByteArray::fromHex("0000001400000014"), ch2 = QByteArray::fromHex("0000001700000017");
  image.replace(addr::channelRecord(1), 8, ch1);
  image.replace(addr::channelRecord(2), 8, ch2);
  const QString vhf = env.path(QStringLiteral("vhf.dat"));
  env.writeFile(vhf, image);
  auto* open = main->toolbar()->widgetForAction(main->findChild<QAction*>(QStringLiteral("tlbFileOpen")));
  ASSERT_NE(open, nullptr);

  // The dialog proposes the file's range; the user narrows it to 136 - 150 and keeps the data.
  env.dialogs.asked.clear();
  env.dialogs.fileNames = {vhf};
  env.dialogs.customRanges = {CustomRangeTexts{QStringLiteral("136"), QStringLiteral("150")}};
  env.dialogs.answers = {MsgAnswer::No, MsgAnswer::No};  // band changed since the start: discard; then keep the data
  QTest::mouseClick(open, Qt::LeftButton);
  ASSERT_EQ(env.dialogs.customForms.size(), 2u);
  EXPECT_EQ(env.dialogs.customForms[1].texts, (CustomRangeTexts{QStringLiteral("136"), QStringLiteral("175")}));
  EXPECT_EQ(env.dialogs.prompts(), (QStringList{ctx.text(82), ctx.text(74)}));
  EXPECT_EQ(ctx.band.LowerLimit + ctx.band.UpperLimit, 13600000 + 14999500);
  // 170 MHz lies outside the band chosen: still there, in the warning colour.
  const Grid& g = ctx.gridCh();
  EXPECT_EQ(g.text(1, 1) + g.text(2, 1) + g.text(2, 2), QStringLiteral("140170170"));
  EXPECT_EQ(std::vector<uint32_t>({g.cellForeColor(1, 1), g.cellForeColor(2, 1), g.cellForeColor(2, 2)}), (std::vector<uint32_t>{0, 255, 255}));
  EXPECT_EQ(ctx.st.CurDataFile, vhf);

  // Saved as it stands: both channels reach the file.
  const QString saved = env.path(QStringLiteral("saved.dat"));
  env.dialogs.fileNames = {saved};
  main->menuItem(QStringLiteral("mnuFileSaveAs"))->trigger();
  const QByteArray file = env.readFile(saved);
  EXPECT_EQ(file.mid(addr::channelRecord(1), 8) + file.mid(addr::channelRecord(2), 8), ch1 + ch2);

  // Yes to "All data will be cleared": the default image, and the default file name with it,
  // so that the next save cannot overwrite the file with defaults.
  env.dialogs.fileNames = {vhf};
  env.dialogs.customRanges = {CustomRangeTexts{QStringLiteral("136"), QStringLiteral("175")}};
  env.dialogs.answers = {MsgAnswer::Yes};
  QTest::mouseClick(open, Qt::LeftButton);
  EXPECT_EQ(ctx.ch.ChInfo(2, 1), -1);
  EXPECT_EQ(ctx.st.CurDataFile, ctx.st.DefDataFile);
  EXPECT_EQ(main->statusPanelText(3), ctx.text(85) + ctx.st.DefDataFile);
  EXPECT_EQ(env.readFile(vhf), image);
  EXPECT_EQ(ctx.log.entriesLogged(), 0) << env.log();
}

TEST_F(SettingsWindowTest, TheTreeShowsTheProductAndItsViewsAndBringsEachUpMaximised) {
  main->menuItem(QStringLiteral("mnuTreeView"))->trigger();
  frmTreeView* tree = main->treeWindow();
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(main->dockWidgetArea(tree), Qt::LeftDockWidgetArea);
  QTreeWidget* t = tree->treevMain();
  for (int pass = 0; pass < 2; ++pass, tree->InitRadioSet()) {  // filling again replaces the nodes
    ASSERT_EQ(t->topLevelItemCount(), 1);
    QTreeWidgetItem* root = t->topLevelItem(0);
    ASSERT_EQ(root->childCount(), 3);
    QStringList keys{root->data(0, Qt::UserRole).toString()};
    for (int i = 0; i < 3; ++i) keys << root->child(i)->data(0, Qt::UserRole).toString();
    EXPECT_EQ(keys.join(QLatin1Char('|')), QStringLiteral("Radio|RadioInfo|ChInfo|SysSet"));
    EXPECT_TRUE(root->isExpanded());
  }

  // A click on a node's text; the document window active afterwards.
  const auto click = [&](const char* key) {
    QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, t->visualItemRect(tree->node(QLatin1String(key))).center());
    return main->mdiArea()->activeSubWindow();
  };
  const int loaded = int(main->mdiArea()->subWindowList().size());
  EXPECT_EQ(click("Radio"), w);
  EXPECT_EQ(main->mdiArea()->subWindowList().size(), loaded) << "the root loads nothing";
  auto* radioInfo = qobject_cast<frmRadioInfo*>(click("RadioInfo"));
  ASSERT_TRUE(radioInfo && radioInfo->isVisible() && radioInfo->isMaximized());
  auto* chMem = qobject_cast<frmChMem*>(click("ChInfo"));
  ASSERT_TRUE(chMem && chMem->isVisible() && chMem->isMaximized());
  // Closed by the user, the windows are only hidden; their nodes show the same ones again.
  w->close();
  radioInfo->close();
  EXPECT_EQ(click("SysSet"), w);
  EXPECT_TRUE(w->isVisible() && w->isMaximized());
  EXPECT_EQ(click("RadioInfo"), radioInfo);
  EXPECT_TRUE(radioInfo->isVisible() && radioInfo->isMaximized());
  EXPECT_EQ(main->mdiArea()->subWindowList().size(), loaded + 2);
  EXPECT_EQ(ctx.log.entriesLogged(), 0) << env.log();
}

TEST(CustomRangeDialog, ShowsTheCaptionsAndBoxesAndReturnsWhatWasTypedOnOk) {
  QtDialogs dialogs;
  const CustomRangeForm form{QStringLiteral("Custom"), QStringLiteral("Min [MHz]"), QStringLiteral("Max [MHz]"), QStringLiteral("OK"),
                             QStringLiteral("Cancel"), QStringLiteral("DejaVu Sans"), {QStringLiteral("120"), QStringLiteral("520")}};
  // Runs fn on the dialog once it is up (it is modal), with its children by name.
  const auto onDialog = [](std::function<void(frmCustomFre&, std::function<QWidget*(const char*)>)> fn) {
    QTimer::singleShot(0, [fn] {
      auto* dlg = qobject_cast<frmCustomFre*>(QApplication::activeModalWidget());
      ASSERT_NE(dlg, nullptr) << "the custom range dialog is not up";
      fn(*dlg, [dlg](const char* name) { return dlg->findChild<QWidget*>(QLatin1String(name)); });
    });
  };
  QString shown;
  onDialog([&](frmCustomFre& dlg, auto child) {
    shown = QStringList{dlg.windowTitle(), qobject_cast<QLabel*>(child("lblFreMin"))->text(), qobject_cast<QPushButton*>(child("cmdOk"))->text(),
                        qobject_cast<QLineEdit*>(child("txtFreMax"))->text(), dlg.font().family()}
                .join(QLatin1Char('/'));
    qobject_cast<QLineEdit*>(child("txtFreMin"))->setText(QStringLiteral("135.5"));
    qobject_cast<QLineEdit*>(child("txtFreMax"))->setText(QStringLiteral("150.5"));
    qobject_cast<QPushButton*>(child("cmdOk"))->click();
  });
  EXPECT_EQ(dialogs.customRange(form), (CustomRangeTexts{QStringLiteral("135.5"), QStringLiteral("150.5")}));
  EXPECT_EQ(shown, QStringLiteral("Custom/Min [MHz]/OK/520/DejaVu Sans"));
  onDialog([](frmCustomFre&, auto child) {
    qobject_cast<QLineEdit*>(child("txtFreMin"))->setText(QStringLiteral("200"));
    qobject_cast<QPushButton*>(child("cmdCancel"))->click();
  });
  EXPECT_FALSE(dialogs.customRange(form).has_value());
}

}  // namespace
