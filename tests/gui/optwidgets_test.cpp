// The options tab offscreen, driven with mouse and keys: each kind of control reaches OptSel
// (the values are optpage's test), printing, and the layout in three languages at two sizes.

#include "gui/frmMemDat.h"
#include "gui/frmSysSet.h"
#include "gui/frmSysSetOptions.h"
#include "support/guienv.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace k52;

namespace {

using B = std::vector<int>;

class OptWidgetsTest : public ::testing::Test {
 protected:
  // Starts the program in the given language and shows the options tab.
  void start(int lang = 3, QSize size = QSize(1024, 720)) {
    env.installProgram(lang);
    main = test::startMainWindow(ctx, size);
    ASSERT_TRUE(main && main->settingsWindow());
    w = main->settingsWindow();
    page = w->optionsPage();
    w->sstabMain()->setCurrentIndex(2);
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    ASSERT_EQ(ctx.log.entriesLogged(), 0) << env.log();
  }
  // Clicks into a box and replaces its text by typing; leave: then Tab away.
  void typeInto(QLineEdit* box, const QString& text, bool leave = true) {
    page->scrollArea()->ensureWidgetVisible(box);
    QTest::mouseClick(box, Qt::LeftButton);
    ASSERT_TRUE(box->hasFocus());
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, text);
    if (leave) QTest::keyClick(box, Qt::Key_Tab);
  }

  test::TestEnv env;
  AppContext& ctx = *env.ctx;
  std::unique_ptr<mdifrmMain> main;
  frmSysSet* w = nullptr;
  SysSetOptionsPage* page = nullptr;
};

TEST_F(OptWidgetsTest, EachKindOfControlReachesOptSelAndTheImage) {
  start();  // (a key on a list reaching OptSel is the main window's undo test)
  for (int entry : {kOptWideBand, kOptVoxFunc}) {
    QCheckBox* chk = page->check(entry);
    page->scrollArea()->ensureWidgetVisible(chk);
    const bool was = chk->isChecked();
    QTest::mouseClick(chk, Qt::LeftButton, {}, QPoint(8, chk->height() / 2));
    EXPECT_TRUE(chk->isChecked() != was && ctx.opt.OptSel(entry) == (was ? 0 : 1)) << entry;
  }
  // Characters the radio cannot show are left out, and the status bar names them.
  typeInto(page->txtPwrMsg(), QString(), false);
  for (const QChar ch : QStringLiteral("保a*b")) {
    QKeyEvent press(QEvent::KeyPress, ch.toUpper().unicode(), Qt::NoModifier, QString(ch));
    QApplication::sendEvent(page->txtPwrMsg(), &press);
  }
  QTest::keyClick(page->txtPwrMsg(), Qt::Key_Tab);
  EXPECT_EQ(main->statusPanelText(1), QStringLiteral("Characters the radio cannot show were left out: 保*"));
  // A station box takes what is typed when it is left; Clear empties it.
  QLineEdit* box = page->txtRadioFre(24);
  typeInto(box, QStringLiteral("86.95"));
  EXPECT_EQ((B{ctx.opt.OptSel(50), ctx.opt.OptSel(kOptFmStation + 24)}), (B{10, 870}));
  page->scrollArea()->ensureWidgetVisible(page->cmdClrRadioFre());
  QTest::mouseClick(page->cmdClrRadioFre(), Qt::LeftButton);
  EXPECT_TRUE(box->text().isEmpty() && ctx.opt.OptSel(kOptFmStation + 24) == 0 && ctx.log.entriesLogged() == 0) << env.log();
}

TEST_F(OptWidgetsTest, AMenuOpenedRightAfterTypingTakesTheTypedStation) {
  start();
  QLineEdit* box = page->txtRadioFre(0);
  typeInto(box, QStringLiteral("97.5"), false);
  QMenu menu(main.get());
  menu.addAction(QStringLiteral("Write"));
  menu.popup(main->mapToGlobal(QPoint(20, 20)));
  QApplication::processEvents();
  EXPECT_EQ(ctx.opt.OptSel(24), 975) << "the station was taken before the menu's command runs";
  menu.close();
}

TEST_F(OptWidgetsTest, PrintSendsAPictureOfTheSettingsWindowAndTheInformationFrameOpensTheMemoryViewerInTestMode) {
  start();
  page->scrollArea()->ensureWidgetVisible(page->cmdSysSetPrint());
  QTest::mouseClick(page->cmdSysSetPrint(), Qt::LeftButton);
  ASSERT_EQ(env.dialogs.printed.size(), 1u);
  const QImage& image = env.dialogs.printed.front();
  EXPECT_TRUE(image.size() / image.devicePixelRatio() == w->size() && env.dialogs.printJobs.front() == ctx.text(145));
  w->sstabMain()->setCurrentIndex(0);
  auto* fraMain = w->findChild<QGroupBox*>(QStringLiteral("fraMain"));
  ASSERT_NE(fraMain, nullptr);
  for (bool testMode : {false, true}) {
    ctx.st.TestModeFlag = testMode;
    QTest::mouseDClick(fraMain, Qt::LeftButton, {}, QPoint(4, fraMain->height() - 4));
    EXPECT_EQ(main->memDatWindow()->isVisible(), testMode);
  }
}

class OptLayoutTest : public OptWidgetsTest, public ::testing::WithParamInterface<std::tuple<int, QSize>> {};

TEST_P(OptLayoutTest, CaptionsAreWholeAndControlsDoNotOverlap) {
  const auto [lang, size] = GetParam();
  start(lang, size);
  QList<QWidget*> widgets;  // the page's widgets that show a caption or a list
  for (QWidget* c : page->findChildren<QWidget*>())
    if (qobject_cast<QLabel*>(c) || qobject_cast<QAbstractButton*>(c) || qobject_cast<QGroupBox*>(c) ||
        qobject_cast<QComboBox*>(c) || qobject_cast<QLineEdit*>(c))
      widgets << c;
  ASSERT_GT(widgets.size(), 90);
  for (QWidget* c : widgets) {
    const std::string name = c->objectName().toStdString();
    EXPECT_TRUE(c->isVisible()) << name;
    EXPECT_FALSE(qobject_cast<QLabel*>(c) && qobject_cast<QLabel*>(c)->text().isEmpty()) << name;
    // A caption needs its whole text; a box or a frame may give up room down to its minimum.
    const bool squeezable = qobject_cast<QLineEdit*>(c) || qobject_cast<QGroupBox*>(c);
    EXPECT_GE(c->width(), squeezable ? c->minimumSizeHint().width() : c->sizeHint().width()) << name << " is cut";
    EXPECT_GE(c->height(), c->minimumSizeHint().height()) << name;
    EXPECT_EQ(c->font().family(), ctx.st.CurFont) << name;
    EXPECT_TRUE(c->parentWidget()->rect().contains(c->geometry())) << name;
    for (QWidget* other : widgets)
      EXPECT_FALSE(other != c && other->parentWidget() == c->parentWidget() && c->geometry().intersects(other->geometry()))
          << name << " overlaps " << other->objectName().toStdString();
  }
  // Whatever does not fit the window is reached by scrolling.
  QScrollArea* scroll = page->scrollArea();
  const QSize need = scroll->widget()->minimumSizeHint(), view = scroll->viewport()->size();
  EXPECT_EQ(scroll->horizontalScrollBar()->maximum() > 0, need.width() > view.width());
  EXPECT_EQ(scroll->verticalScrollBar()->maximum() > 0, need.height() > view.height());
}

INSTANTIATE_TEST_SUITE_P(LanguagesAndSizes, OptLayoutTest,
                         ::testing::Combine(::testing::Values(1, 2, 3), ::testing::Values(QSize(1024, 720), QSize(800, 560))));

}  // namespace
