// The optional-features tab of the settings window offscreen, driven with mouse and keys
// as a user drives it: each kind of control reaches OptSel (the values it makes of them
// are the logic test's, optpage, and their bytes the codec's), printing, and the layout in
// the three languages at two sizes.

#include "gui/frmMemDat.h"
#include "gui/frmSysSet.h"
#include "gui/frmSysSetOptions.h"
#include "app/optpage.h"
#include "app/optcodec.h"
#include "gui/mdifrmMain.h"
#include "support/guienv.h"
#include "support/testenv.h"
#include "gui/qtdialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
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
  start();
  // A value out of range shows the default; the list is built anew, not appended to.
  ctx.opt.OptSel(kOptTot) = 12;
  ctx.views->showOptions();
  ctx.opt.OptSel(kOptTot) = 4;
  ctx.views->showOptions();
  EXPECT_EQ(page->combo(kOptTot)->currentText(), QStringLiteral("120"));
  EXPECT_EQ(page->combo(kOptTot)->count(), 10);
  EXPECT_EQ(ctx.log.entriesLogged(), 1);

  // (A combo box taken down with the keyboard is the end-to-end test's.)
  QComboBox* now = page->combo(kOptRadioNowCh);
  now->setFocus();
  QTest::keyClick(now, Qt::Key_End);
  EXPECT_EQ(now->currentText(), QStringLiteral("CH 25"));
  for (int entry : {kOptWideBand, kOptVoxFunc}) {
    QCheckBox* chk = page->check(entry);
    page->scrollArea()->ensureWidgetVisible(chk);
    const bool was = chk->isChecked();
    QTest::mouseClick(chk, Qt::LeftButton, {}, QPoint(8, chk->height() / 2));
    EXPECT_NE(chk->isChecked(), was) << entry;
    EXPECT_EQ(ctx.opt.OptSel(entry), was ? 0 : 1) << entry;
  }
  // Characters the radio cannot show are left out, and the status bar names them.
  typeInto(page->txtPwrMsg(), QString(), false);
  for (const QChar ch : QStringLiteral("保a*b")) {
    QKeyEvent press(QEvent::KeyPress, ch.toUpper().unicode(), Qt::NoModifier, QString(ch));
    QApplication::sendEvent(page->txtPwrMsg(), &press);
  }
  QTest::keyClick(page->txtPwrMsg(), Qt::Key_Tab);
  EXPECT_EQ(page->txtPwrMsg()->text(), QStringLiteral("AB   "));
  EXPECT_EQ(main->statusPanelText(1), QStringLiteral("Characters the radio cannot show were left out: 保*"));
  // A letter or a 0 empties a station box while typing; leaving it validates.
  QLineEdit* box = page->txtRadioFre(24);
  typeInto(box, QStringLiteral("9x"), false);
  EXPECT_EQ(box->text(), QString());
  QTest::keyClicks(box, QStringLiteral("086.95"));
  QTest::keyClick(box, Qt::Key_Tab);
  EXPECT_EQ(box->text(), QStringLiteral("87.0"));

  const auto sel = [&](std::initializer_list<int> entries) {
    B v;
    for (int e : entries) v.push_back(ctx.opt.OptSel(e));
    return v;
  };
  EXPECT_EQ(sel({kOptRadioNowCh, 50, 51, 52, kOptFmStation + 24}), (B{24, 10, 11, 36, 870}));

  page->scrollArea()->ensureWidgetVisible(page->cmdClrRadioFre());
  QTest::mouseClick(page->cmdClrRadioFre(), Qt::LeftButton);
  EXPECT_EQ(box->text() + now->currentText(), QStringLiteral("CH 25"));
  EXPECT_EQ(sel({kOptFmStation + 24}), B{0});
  EXPECT_EQ(ctx.log.entriesLogged(), 1) << env.log();
}

TEST_F(OptWidgetsTest, AMenuOpenedRightAfterTypingTakesTheTypedStationButTheBoxesOwnMenuDoesNot) {
  start();
  QLineEdit* box = page->txtRadioFre(0);
  typeInto(box, QStringLiteral("9"), false);
  QContextMenuEvent context(QContextMenuEvent::Keyboard, QPoint(4, 4), box->mapToGlobal(QPoint(4, 4)));
  QApplication::sendEvent(box, &context);
  QApplication::processEvents();
  QWidget* own = QApplication::activePopupWidget();
  ASSERT_NE(own, nullptr) << "the box's context menu is up";
  EXPECT_EQ(box->text(), QStringLiteral("9")) << "still typing: not validated";
  own->close();
  QApplication::processEvents();

  box->setFocus();
  QTest::keyClicks(box, QStringLiteral("7.5"));
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
  EXPECT_EQ(image.size() / image.devicePixelRatio(), w->size());
  EXPECT_EQ(env.dialogs.printJobs.front(), ctx.text(145));
  bool varied = false;  // not a blank sheet
  for (int y = 0; y < image.height() && !varied; y += 7)
    for (int x = 0; x < image.width() && !varied; x += 7) varied = image.pixel(x, y) != image.pixel(0, 0);
  EXPECT_TRUE(varied);

  w->sstabMain()->setCurrentIndex(0);
  auto* fraMain = w->findChild<QGroupBox*>(QStringLiteral("fraMain"));
  ASSERT_NE(fraMain, nullptr);
  for (bool testMode : {false, true}) {
    ctx.st.TestModeFlag = testMode;
    QTest::mouseDClick(fraMain, Qt::LeftButton, {}, QPoint(4, fraMain->height() - 4));
    EXPECT_EQ(main->memDatWindow()->isVisible(), testMode);
  }
}

TEST(PrintImageOn, DrawsThePictureIntoAPdf) {
  QTemporaryDir dir;
  QImage image(400, 300, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(dir.filePath(QStringLiteral("settings.pdf")));
  ASSERT_TRUE(printImageOn(printer, image));
  QFile pdf(printer.outputFileName());
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  const QByteArray data = pdf.readAll();
  EXPECT_TRUE(data.startsWith("%PDF") && data.contains("/Image")) << "the picture is in the file";
  EXPECT_FALSE(printImageOn(printer, QImage())) << "nothing to print";
}

class OptLayoutTest : public OptWidgetsTest, public ::testing::WithParamInterface<std::tuple<int, QSize>> {};

TEST_P(OptLayoutTest, CaptionsAreWholeAndControlsDoNotOverlap) {
  const auto [lang, size] = GetParam();
  start(lang, size);
  EXPECT_EQ(page->lblRadioFre(24)->text(), ctx.text(259) + QStringLiteral("25"));
  QList<QWidget*> widgets;  // the page's widgets that show a caption or a list
  for (QWidget* c : page->findChildren<QWidget*>())
    if (qobject_cast<QLabel*>(c) || qobject_cast<QAbstractButton*>(c) || qobject_cast<QGroupBox*>(c) ||
        qobject_cast<QComboBox*>(c) || qobject_cast<QLineEdit*>(c))
      widgets << c;
  ASSERT_GT(widgets.size(), 90);
  for (QWidget* c : widgets) {
    const std::string name = c->objectName().toStdString();
    EXPECT_TRUE(c->isVisible()) << name;
    if (auto* l = qobject_cast<QLabel*>(c)) {
      EXPECT_FALSE(l->text().isEmpty()) << name;
    }
    // A caption needs its whole text; a box or a frame may give up room down to its minimum.
    const bool squeezable = qobject_cast<QLineEdit*>(c) || qobject_cast<QGroupBox*>(c);
    EXPECT_GE(c->width(), squeezable ? c->minimumSizeHint().width() : c->sizeHint().width()) << name << " is cut";
    EXPECT_GE(c->height(), c->minimumSizeHint().height()) << name;
    EXPECT_EQ(c->font().family(), ctx.st.CurFont) << name;
    EXPECT_TRUE(c->parentWidget()->rect().contains(c->geometry())) << name;
    for (QWidget* other : widgets) {
      if (other != c && other->parentWidget() == c->parentWidget()) {
        EXPECT_FALSE(c->geometry().intersects(other->geometry())) << name << " overlaps " << other->objectName().toStdString();
      }
    }
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
