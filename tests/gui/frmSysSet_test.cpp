// The settings window as start-up loads it into the main window, offscreen, its band list,
// and the custom range dialog through the Qt dialog seam.
// (Its captions are the language table's; the options tab's layout is optwidgets'.)

#include "gui/frmCustomFre.h"
#include "gui/frmSysSet.h"
#include "core/addressmap.h"
#include "app/chgrid.h"
#include "gui/mdifrmMain.h"
#include "support/guienv.h"
#include "support/testenv.h"
#include "gui/qtdialogs.h"
#include "gui/qtgrid.h"

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
  EXPECT_TRUE(w->isVisible() && w->isMaximized() && main->mdiArea()->subWindowList().contains(w));
  EXPECT_EQ(&ctx.gridCh(), static_cast<Grid*>(w->findChild<QtGrid*>(QStringLiteral("vsfgGridCh"))));
  // No close box and no Ctrl+F4: the menus could not bring it back.
  w->setFocus();
  QTest::keyClick(w, Qt::Key_F4, Qt::ControlModifier);
  EXPECT_TRUE(w->isVisible());
  EXPECT_FALSE(w->windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint));
  w->sstabMain()->setCurrentIndex(1);
  EXPECT_FALSE(w->close()) << "the close is refused while the program runs";
  EXPECT_FALSE(w->isVisible());
  w->showMaximized();
  EXPECT_EQ(w->sstabMain()->currentIndex(), 1);
  ctx.st.AppExiting = 1;  // the main window's exit closes it for good
  EXPECT_TRUE(w->close());
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

TEST_F(SettingsWindowTest, AFileOfACustomRangeOpensTheDialogAndLosesNoChannelOutsideTheRangeChosen) {
  // A file of a 136 - 175 MHz radio (no preset) with channels on 140 and 170 MHz.
  QByteArray image = test::deliveredImage();
  image.replace(addr::kBand, 3, QByteArray::fromHex("131765"));
  const QByteArray ch1 = QByteArray::fromHex("0000001400000014"), ch2 = QByteArray::fromHex("0000001700000017");
  image.replace(addr::channelRecord(1), 8, ch1);
  image.replace(addr::channelRecord(2), 8, ch2);
  const QString vhf = env.path(QStringLiteral("vhf.dat")), saved = env.path(QStringLiteral("saved.dat"));
  env.writeFile(vhf, image);
  // The dialog proposes the file's range; the user narrows it to 136 - 150 and keeps the data.
  auto* open = main->toolbar()->widgetForAction(main->findChild<QAction*>(QStringLiteral("tlbFileOpen")));
  env.dialogs.fileNames = {vhf};
  env.dialogs.customRanges = {CustomRangeTexts{QStringLiteral("136"), QStringLiteral("150")}};
  env.dialogs.answers = {MsgAnswer::No};
  QTest::mouseClick(open, Qt::LeftButton);
  ASSERT_EQ(env.dialogs.customForms.size(), 1u);
  EXPECT_EQ(env.dialogs.customForms[0].texts, (CustomRangeTexts{QStringLiteral("136"), QStringLiteral("175")}));
  // 170 MHz lies outside the band chosen: still there, in the warning colour, and saved.
  const Grid& g = ctx.gridCh();
  EXPECT_EQ(g.text(1, 1) + g.text(2, 1), QStringLiteral("140170"));
  EXPECT_EQ(std::vector<uint32_t>({g.cellForeColor(1, 1), g.cellForeColor(2, 1)}), (std::vector<uint32_t>{0, 255}));
  env.dialogs.fileNames = {saved};
  main->menuItem(QStringLiteral("mnuFileSaveAs"))->trigger();
  const QByteArray file = env.readFile(saved);
  EXPECT_EQ(file.mid(addr::channelRecord(1), 8) + file.mid(addr::channelRecord(2), 8), ch1 + ch2);
  EXPECT_EQ(ctx.log.entriesLogged(), 0) << env.log();
}

TEST(CustomRangeDialog, ShowsTheCaptionsAndBoxesAndReturnsWhatWasTypedOnOkNothingOnCancel) {
  QtDialogs dialogs;
  const CustomRangeForm form{QStringLiteral("Custom"), QStringLiteral("Min [MHz]"), QStringLiteral("Max [MHz]"), QStringLiteral("OK"),
                             QStringLiteral("Cancel"), QStringLiteral("DejaVu Sans"), {QStringLiteral("120"), QStringLiteral("520")}};
  // Types into the dialog once it is up (it is modal) and ends it with a button.
  QString shown;
  const auto answer = [&](const char* min, const char* button) {
    QTimer::singleShot(0, [&, min, button] {
      auto* dlg = qobject_cast<frmCustomFre*>(QApplication::activeModalWidget());
      ASSERT_NE(dlg, nullptr) << "the custom range dialog is not up";
      auto* minBox = dlg->findChild<QLineEdit*>(QStringLiteral("txtFreMin"));
      shown = dlg->windowTitle() + QLatin1Char('/') + dlg->findChild<QLabel*>(QStringLiteral("lblFreMin"))->text() + QLatin1Char('/') +
              minBox->text() + QLatin1Char('/') + dlg->font().family();
      minBox->setText(QLatin1String(min));
      dlg->findChild<QPushButton*>(QLatin1String(button))->click();
    });
    return dialogs.customRange(form);
  };
  EXPECT_EQ(answer("135.5", "cmdOk"), (CustomRangeTexts{QStringLiteral("135.5"), QStringLiteral("520")}));
  EXPECT_EQ(shown, QStringLiteral("Custom/Min [MHz]/120/DejaVu Sans"));
  EXPECT_FALSE(answer("200", "cmdCancel").has_value());
}

}  // namespace
