// The settings window as start-up loads it into the main window, offscreen, and the custom
// range dialog through the Qt dialog seam.

#include "editor/frmCustomFre.h"
#include "editor/frmSysSet.h"
#include "image/addressmap.h"
#include "image/chgrid.h"
#include "shell/mdifrmMain.h"
#include "support/testenv.h"
#include "ui/qtdialogs.h"
#include "ui/qtgrid.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <gtest/gtest.h>

using namespace k52;
using k52::test::TestEnv;

namespace {

class SettingsWindowTest : public ::testing::Test {
 protected:
  // Starts the program in the given language; the settings window is then loaded.
  void start(int lang = 3) {
    env.installProgram(lang);
    main = test::startMainWindow(ctx);
    ASSERT_TRUE(main && main->settingsWindow());
    w = main->settingsWindow();
  }
  template <class T>
  T* child(const char* name) const {
    T* c = w->findChild<T*>(QString::fromLatin1(name));
    if (!c) ADD_FAILURE() << "no " << name;
    return c;
  }

  TestEnv env;
  AppContext& ctx = *env.ctx;
  std::unique_ptr<mdifrmMain> main;
  frmSysSet* w = nullptr;
};

TEST_F(SettingsWindowTest, StartUpOpensItMaximisedInTheDocumentAreaWithItsGridAndBandList) {
  start();
  EXPECT_TRUE(main->mdiArea()->subWindowList().contains(w));
  EXPECT_TRUE(w->isVisible() && w->isMaximized() && w->windowTitle().isEmpty());

  auto* grid = child<QtGrid>("vsfgGridCh");
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(&ctx.gridCh(), static_cast<Grid*>(grid)) << "the channel procedures draw into the window's grid";
  EXPECT_EQ(grid->rows(), ctx.ch.ChCount + 1);
  EXPECT_TRUE(w->sstabMain()->widget(1)->isAncestorOf(grid));

  EXPECT_EQ(child<QLineEdit>("txtModel")->text(), QStringLiteral("KDR  T17"));
  QComboBox* cbo = w->cboFrequency();
  EXPECT_EQ(QStringList({QString::number(cbo->count()), cbo->itemText(9), cbo->currentText()}),
            QStringList({"12", "400 - 520 MHz", "400 - 470 MHz"}));
  EXPECT_TRUE(env.dialogs.asked.empty());
  EXPECT_EQ(ctx.log.entriesLogged(), 0) << env.log();
}

class SettingsWindowLanguageTest : public SettingsWindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(SettingsWindowLanguageTest, CaptionsComeFromTheLanguageTableAndAreNotCut) {
  start(GetParam());
  const QTabWidget* tabs = w->sstabMain();
  ASSERT_EQ(tabs->count(), 3);
  const QTabBar* bar = tabs->tabBar();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(tabs->tabText(i), ctx.text(301 + i));
    EXPECT_GE(bar->tabRect(i).width(), bar->fontMetrics().horizontalAdvance(tabs->tabText(i)));
  }
  EXPECT_EQ(bar->font().family(), ctx.st.CurFont);
  const char* labels[] = {"lblModel", "lblRange", "lblSoftVer", "lblLastPc"};
  for (int i = 0; i < 4; ++i) {
    const QLabel* l = child<QLabel>(labels[i]);
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->text(), ctx.text(184 + i));
    EXPECT_TRUE(!l->text().isEmpty() && l->width() >= l->sizeHint().width() && l->font().family() == ctx.st.CurFont) << labels[i];
  }
}

INSTANTIATE_TEST_SUITE_P(AllLanguages, SettingsWindowLanguageTest, ::testing::Values(1, 2, 3));

TEST_F(SettingsWindowTest, ClosingHidesTheWindowAndItShowsAgainUnchanged) {
  start();
  w->sstabMain()->setCurrentIndex(1);
  ctx.gridCh().setText(3, 8, QStringLiteral("ABCDE"));
  EXPECT_FALSE(w->close()) << "the close is refused while the program runs";
  EXPECT_FALSE(w->isVisible());
  EXPECT_TRUE(main->mdiArea()->subWindowList().contains(w));

  w->showMaximized();
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(main->settingsWindow(), w);
  EXPECT_EQ(w->sstabMain()->currentIndex(), 1);
  EXPECT_EQ(w->cboFrequency()->currentIndex(), 5);
  EXPECT_EQ(ctx.gridCh().text(3, 8), QStringLiteral("ABCDE"));

  ctx.st.AppExiting = 1;  // the main window's exit closes it for good
  EXPECT_TRUE(w->close());
  EXPECT_EQ(ctx.log.entriesLogged(), 0) << env.log();
}

TEST_F(SettingsWindowTest, TheComboBoxForwardsTheUsersChoiceAndFollowsTheProgramsOwn) {
  start();
  QComboBox* cbo = w->cboFrequency();
  env.dialogs.answers = {MsgAnswer::No};
  cbo->setCurrentIndex(8);  // as the user picks it
  EXPECT_EQ(env.dialogs.asked.size(), 1u);
  EXPECT_EQ(cbo->currentIndex(), 5) << "declined: the box shows the band in use again";
  EXPECT_EQ(ctx.band.UpperLimit, 46999500);

  cbo->setCurrentIndex(8);  // answered Yes
  EXPECT_EQ(env.dialogs.asked.size(), 2u);
  EXPECT_EQ(cbo->currentIndex(), 8);
  EXPECT_EQ(ctx.band.LowerLimit, 47000000);

  // A new image on another band moves the box without a question.
  ctx.IicDat.at(addr::kBand) = 0x13;  // 136 - 174 MHz
  ctx.IicDat.at(addr::kBand + 1) = 0x17;
  ctx.IicDat.at(addr::kBand + 2) = 0x64;
  SoftDisplay(ctx);
  EXPECT_EQ(cbo->currentIndex(), 0);
  EXPECT_EQ(env.dialogs.asked.size(), 2u);
}

// Runs fn on the custom range dialog once it is up (it is modal).
void onDialog(const std::function<void(frmCustomFre&)>& fn) {
  QTimer::singleShot(0, [fn] {
    auto* dlg = qobject_cast<frmCustomFre*>(QApplication::activeModalWidget());
    if (!dlg) {
      ADD_FAILURE() << "the custom range dialog is not up";
      if (QWidget* other = QApplication::activeModalWidget()) other->close();
      return;
    }
    fn(*dlg);
  });
}

TEST(CustomRangeDialog, ShowsTheCaptionsAndBoxesAndReturnsWhatWasTypedOnOk) {
  QtDialogs dialogs;
  const CustomRangeForm form{QStringLiteral("Custom"),   QStringLiteral("Min [MHz]"), QStringLiteral("Max [MHz]"),
                             QStringLiteral("OK"),       QStringLiteral("Cancel"),    QStringLiteral("DejaVu Sans"),
                             {QStringLiteral("120"), QStringLiteral("520")}};
  QString shown;
  onDialog([&](frmCustomFre& dlg) {
    shown = QStringList{dlg.windowTitle(), dlg.findChild<QLabel*>(QStringLiteral("lblFreMin"))->text(),
                        dlg.findChild<QLabel*>(QStringLiteral("lblFreMax"))->text(),
                        dlg.findChild<QPushButton*>(QStringLiteral("cmdOk"))->text(),
                        dlg.findChild<QPushButton*>(QStringLiteral("cmdCancel"))->text(),
                        dlg.findChild<QLineEdit*>(QStringLiteral("txtFreMin"))->text(),
                        dlg.findChild<QLineEdit*>(QStringLiteral("txtFreMax"))->text(), dlg.font().family()}
                .join(QLatin1Char('/'));
    dlg.findChild<QLineEdit*>(QStringLiteral("txtFreMin"))->setText(QStringLiteral("135.5"));
    dlg.findChild<QLineEdit*>(QStringLiteral("txtFreMax"))->setText(QStringLiteral("150.5"));
    dlg.findChild<QPushButton*>(QStringLiteral("cmdOk"))->click();
  });
  const auto answer = dialogs.customRange(form);
  EXPECT_EQ(shown, QStringLiteral("Custom/Min [MHz]/Max [MHz]/OK/Cancel/120/520/DejaVu Sans"));
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(*answer, (CustomRangeTexts{QStringLiteral("135.5"), QStringLiteral("150.5")}));

  onDialog([](frmCustomFre& dlg) {
    dlg.findChild<QLineEdit*>(QStringLiteral("txtFreMin"))->setText(QStringLiteral("200"));
    dlg.findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
  });
  EXPECT_FALSE(dialogs.customRange(form).has_value());
}

}  // namespace
