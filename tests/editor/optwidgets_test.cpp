// The optional-features tab of the settings window offscreen, driven with mouse and keys
// as a user drives it: the option lists, the power-on message, the FM station boxes,
// "Clear", printing, and the layout in the three languages.

#include "editor/frmSysSet.h"
#include "editor/frmSysSetOptions.h"
#include "editor/optpage.h"
#include "image/chmem.h"
#include "image/optcodec.h"
#include "shell/mdifrmMain.h"
#include "support/testenv.h"
#include "ui/inifile.h"
#include "ui/qtdialogs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace k52;
using k52::test::TestEnv;

namespace {

class OptWidgetsTest : public ::testing::Test {
 protected:
  // Starts the program in the given language and shows the options tab.
  void start(int lang = 3, QSize size = QSize(1024, 720)) {
    env.installDeliveredFiles();
    IniFile ini(env.path(QStringLiteral("minglyc.dll")));
    ini.write(QStringLiteral("Setting"), QStringLiteral("FirRun"), QStringLiteral("0"));
    ini.write(QStringLiteral("Setting"), QStringLiteral("Language"), QString::number(lang));
    main = std::make_unique<mdifrmMain>(*env.ctx);
    QSignalSpy finished(main.get(), &mdifrmMain::startupFinished);
    main->resize(size);
    main->show();
    ASSERT_TRUE(finished.wait(10000));
    w = main->settingsWindow();
    ASSERT_NE(w, nullptr);
    page = w->optionsPage();
    ASSERT_NE(page, nullptr);
    w->sstabMain()->setCurrentIndex(2);
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    QApplication::processEvents();
    ASSERT_EQ(ctx.log.entriesLogged(), 0) << logText().toStdString();
  }
  QString logText() const { return ctx.log.lines().join(QLatin1Char('\n')); }
  int16_t sel(int k) const { return ctx.opt.OptSel(k); }
  std::vector<int> bytes(int a, int count) const {
    std::vector<int> v;
    for (int i = 0; i < count; ++i) v.push_back(ctx.IicDat.at(a + i));
    return v;
  }
  // Clicks into a box, replaces its text by typing, and leaves it with Tab.
  void typeAndLeave(QLineEdit* box, const QString& text) {
    typeInto(box, text);
    QTest::keyClick(box, Qt::Key_Tab);
    ASSERT_FALSE(box->hasFocus());
  }
  void typeInto(QLineEdit* box, const QString& text) {
    page->scrollArea()->ensureWidgetVisible(box);
    QTest::mouseClick(box, Qt::LeftButton);
    ASSERT_TRUE(box->hasFocus());
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, text);
  }

  TestEnv env;
  AppContext& ctx = *env.ctx;
  std::unique_ptr<mdifrmMain> main;
  frmSysSet* w = nullptr;
  SysSetOptionsPage* page = nullptr;
};

TEST_F(OptWidgetsTest, OutOfRangeValuesShowTheDefaultAndAreLoggedOnce) {
  start();
  ASSERT_EQ(ctx.opt.OptDef(kOptTot), 6);
  ctx.opt.OptSel(kOptTot) = 12;
  ctx.opt.OptSel(kOptVoxDly) = 3;
  ctx.views->showOptions();  // as after a decode
  QComboBox* cboTot = page->combo(kOptTot);
  EXPECT_EQ(cboTot->currentText(), QStringLiteral("180"));
  EXPECT_EQ(sel(kOptTot), 6);
  EXPECT_EQ(page->combo(kOptVoxDly)->currentText(), QStringLiteral("1.5"));
  EXPECT_EQ(ctx.log.entriesLogged(), 1);
  EXPECT_TRUE(ctx.log.lines().contains(
      QStringLiteral("        可选功能项:   出错位置: frmSysSet->InitOpt->超时定时器     错误类型: 不在范围内")))
      << logText().toStdString();

  ctx.opt.OptSel(kOptTot) = 4;
  ctx.views->showOptions();
  EXPECT_EQ(cboTot->currentText(), QStringLiteral("120"));
  EXPECT_EQ(cboTot->count(), 10) << "the list is built anew, not appended to";
  SetConvIicDat(ctx);
  EXPECT_EQ(bytes(0x0E14, 1), std::vector<int>{4});
  EXPECT_EQ(bytes(0x0E16, 1), std::vector<int>{3});
  EXPECT_EQ(ctx.log.entriesLogged(), 1);
}

TEST_F(OptWidgetsTest, TheUsersChoicesGoIntoOptSelAndTheImage) {
  start();
  QComboBox* sql = page->combo(kOptSql);
  sql->setFocus();
  const int before = sql->currentIndex();
  QTest::keyClick(sql, Qt::Key_Down);
  EXPECT_EQ(sql->currentIndex(), before + 1);
  EXPECT_EQ(sel(kOptSql), before + 1);

  QComboBox* now = page->combo(kOptRadioNowCh);
  now->setFocus();
  QTest::keyClick(now, Qt::Key_End);
  EXPECT_EQ(now->currentText(), QStringLiteral("CH 25"));
  EXPECT_EQ(sel(kOptRadioNowCh), 24);

  QComboBox* voice = page->combo(kOptAnVoice);
  voice->setFocus();
  QTest::keyClick(voice, Qt::Key_End);
  EXPECT_EQ(voice->currentText(), QStringLiteral("English"));

  for (int entry : {kOptWideBand, kOptVoxFunc, kOptRadioOn}) {
    QCheckBox* chk = page->check(entry);
    page->scrollArea()->ensureWidgetVisible(chk);
    const bool was = chk->isChecked();
    QTest::mouseClick(chk, Qt::LeftButton, {}, QPoint(8, chk->height() / 2));
    EXPECT_NE(chk->isChecked(), was) << chk->objectName().toStdString();
    EXPECT_EQ(sel(entry), was ? 0 : 1) << chk->objectName().toStdString();
  }
  const bool wide = page->check(kOptWideBand)->isChecked();
  const bool vox = page->check(kOptVoxFunc)->isChecked();
  const bool radio = page->check(kOptRadioOn)->isChecked();

  SetConvIicDat(ctx);
  EXPECT_EQ(bytes(0x0E13, 1), std::vector<int>{before + 1});
  EXPECT_EQ(bytes(0x0E19, 1), std::vector<int>{24});
  EXPECT_EQ(ctx.IicDat.at(0x0E12) & 0x12, 0x12) << "voice English";
  EXPECT_EQ((ctx.IicDat.at(0x0E10) & 0x04) != 0, wide);
  EXPECT_EQ((ctx.IicDat.at(0x0E12) & 0x40) != 0, vox);
  EXPECT_EQ((ctx.IicDat.at(0x0E10) & 0x10) != 0, radio);
  EXPECT_EQ(ctx.log.entriesLogged(), 0) << logText().toStdString();
}

TEST_F(OptWidgetsTest, ThePowerOnMessageShowsWhatTheRadioWillShow) {
  start();
  QLineEdit* msg = page->txtPwrMsg();
  typeAndLeave(msg, QStringLiteral("Hello World"));
  EXPECT_EQ(msg->text(), QStringLiteral("HELLO"));
  for (int i = 0; i < 5; ++i) EXPECT_EQ(sel(kOptPowerOnMsg + i), (std::vector<int>{17, 14, 21, 21, 24})[size_t(i)]);

  typeAndLeave(msg, QStringLiteral("a*b"));
  EXPECT_EQ(msg->text(), QStringLiteral("A")) << "the star is not a radio character and ends the shown text";
  SetConvIicDat(ctx);
  EXPECT_EQ(bytes(0x0E1B, 5), (std::vector<int>{10, 255, 11, 36, 36}));
}

TEST_F(OptWidgetsTest, StationBoxesFilterWhileTypingAndValidateOnLeaving) {
  start();
  typeAndLeave(page->txtRadioFre(0), QStringLiteral("87.5"));
  EXPECT_EQ(page->txtRadioFre(0)->text(), QStringLiteral("87.5"));
  EXPECT_EQ(sel(24), 875);

  typeAndLeave(page->txtRadioFre(1), QStringLiteral("108"));
  EXPECT_EQ(page->txtRadioFre(1)->text(), QStringLiteral("108.0"));
  EXPECT_EQ(sel(25), 1080);

  typeAndLeave(page->txtRadioFre(2), QStringLiteral("108.1"));
  EXPECT_EQ(page->txtRadioFre(2)->text(), QString());
  EXPECT_EQ(sel(26), 0);

  typeAndLeave(page->txtRadioFre(3), QStringLiteral("86.95"));
  EXPECT_EQ(page->txtRadioFre(3)->text(), QStringLiteral("87.0"));
  EXPECT_EQ(sel(27), 870);

  // A letter or a 0 empties the box while typing, before the box is left.
  typeInto(page->txtRadioFre(24), QStringLiteral("9"));
  EXPECT_EQ(page->txtRadioFre(24)->text(), QStringLiteral("9"));
  QTest::keyClicks(page->txtRadioFre(24), QStringLiteral("x"));
  EXPECT_EQ(page->txtRadioFre(24)->text(), QString());
  QTest::keyClicks(page->txtRadioFre(24), QStringLiteral("0"));
  EXPECT_EQ(page->txtRadioFre(24)->text(), QString());
  QTest::keyClicks(page->txtRadioFre(24), QStringLiteral("99.9"));
  QTest::keyClick(page->txtRadioFre(24), Qt::Key_Tab);
  EXPECT_EQ(sel(48), 999);

  SetConvIicDat(ctx);
  EXPECT_EQ(bytes(0x0E60, 16), (std::vector<int>{0x00, 0x00, 0x75, 0x08, 0x00, 0x00, 0x80, 0x10, 0xFF, 0xFF, 0xFF, 0xFF,
                                                 0x00, 0x00, 0x70, 0x08}));
  EXPECT_EQ(bytes(0x0E60 + 4 * 24, 4), (std::vector<int>{0x00, 0x00, 0x99, 0x09}));
  EXPECT_EQ(ctx.log.entriesLogged(), 0) << logText().toStdString();
}

TEST_F(OptWidgetsTest, AMenuOpenedRightAfterTypingTakesTheTypedStationButTheBoxesOwnMenuDoesNot) {
  start();
  QLineEdit* box = page->txtRadioFre(0);
  typeInto(box, QStringLiteral("9"));
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
  EXPECT_EQ(sel(24), 975) << "the station was taken before the menu's command runs";
  EXPECT_EQ(box->text(), QStringLiteral("97.5"));
  menu.close();
}

TEST_F(OptWidgetsTest, ClearEmptiesAllStationsButNotTheCurrentStation) {
  start();
  for (int i = 0; i < kFmStations; ++i) ctx.opt.OptSel(24 + i) = static_cast<int16_t>(900 + i);
  ctx.opt.OptSel(kOptRadioNowCh) = 7;
  ctx.views->showOptions();
  EXPECT_EQ(page->txtRadioFre(4)->text(), QStringLiteral("90.4"));
  EXPECT_EQ(page->combo(kOptRadioNowCh)->currentText(), QStringLiteral("CH 8"));

  page->scrollArea()->ensureWidgetVisible(page->cmdClrRadioFre());
  QTest::mouseClick(page->cmdClrRadioFre(), Qt::LeftButton);
  for (int i = 0; i < kFmStations; ++i) {
    EXPECT_EQ(page->txtRadioFre(i)->text(), QString()) << i;
    EXPECT_EQ(sel(24 + i), 0) << i;
  }
  EXPECT_EQ(page->combo(kOptRadioNowCh)->currentText(), QStringLiteral("CH 8"));
  EXPECT_EQ(sel(kOptRadioNowCh), 7);
  SetConvIicDat(ctx);
  EXPECT_EQ(bytes(0x0E60, 100), std::vector<int>(100, 0xFF));
}

TEST_F(OptWidgetsTest, PrintSendsAPictureOfTheSettingsWindow) {
  start();
  page->scrollArea()->ensureWidgetVisible(page->cmdSysSetPrint());
  QTest::mouseClick(page->cmdSysSetPrint(), Qt::LeftButton);
  ASSERT_EQ(env.dialogs.printed.size(), 1u);
  const QImage& image = env.dialogs.printed.front();
  EXPECT_EQ(image.size() / image.devicePixelRatio(), w->size());
  EXPECT_EQ(env.dialogs.printJobs.front(), ctx.text(145));
  // Not a blank sheet: the picture holds more than one colour.
  const QRgb first = image.pixel(0, 0);
  bool varied = false;
  for (int y = 0; y < image.height() && !varied; y += 7)
    for (int x = 0; x < image.width() && !varied; x += 7) varied = image.pixel(x, y) != first;
  EXPECT_TRUE(varied);
}

TEST(PrintImageOn, DrawsThePictureIntoAPdf) {
  QTemporaryDir dir;
  QImage image(400, 300, QImage::Format_RGB32);
  image.fill(Qt::white);
  for (int x = 0; x < 400; ++x) image.setPixel(x, 150, qRgb(0, 0, 0));
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  const QString path = dir.filePath(QStringLiteral("settings.pdf"));
  printer.setOutputFileName(path);
  ASSERT_TRUE(printImageOn(printer, image));
  QFile pdf(path);
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  const QByteArray data = pdf.readAll();
  EXPECT_TRUE(data.startsWith("%PDF"));
  EXPECT_TRUE(data.contains("/Image")) << "the picture is in the file";

  EXPECT_FALSE(printImageOn(printer, QImage())) << "nothing to print";
}

// Records whether the memory viewer was asked for.
class MemDatViews final : public AppViews {
 public:
  void showMemDat() override { ++shown; }
  int shown = 0;
};

TEST_F(OptWidgetsTest, DoubleClickOnTheInformationFrameOpensTheMemoryViewerInTestMode) {
  start();
  w->sstabMain()->setCurrentIndex(0);
  QApplication::processEvents();
  auto* fraMain = w->findChild<QGroupBox*>(QStringLiteral("fraMain"));
  ASSERT_NE(fraMain, nullptr);
  MemDatViews views;
  AppViews* before = ctx.views;
  ctx.views = &views;
  QTest::mouseDClick(fraMain, Qt::LeftButton, {}, QPoint(4, fraMain->height() - 4));
  EXPECT_EQ(views.shown, 0);
  ctx.st.TestModeFlag = true;
  QTest::mouseDClick(fraMain, Qt::LeftButton, {}, QPoint(4, fraMain->height() - 4));
  EXPECT_EQ(views.shown, 1);
  ctx.views = before;
}

// Widgets of the page that show a caption or a list.
QList<QWidget*> captioned(QWidget* root) {
  QList<QWidget*> out;
  for (QWidget* c : root->findChildren<QWidget*>()) {
    if (qobject_cast<QLabel*>(c) || qobject_cast<QAbstractButton*>(c) || qobject_cast<QGroupBox*>(c) ||
        qobject_cast<QComboBox*>(c) || qobject_cast<QLineEdit*>(c))
      out << c;
  }
  return out;
}

class OptLayoutTest : public OptWidgetsTest, public ::testing::WithParamInterface<std::tuple<int, QSize>> {};

TEST_P(OptLayoutTest, CaptionsAreWholeAndControlsDoNotOverlap) {
  const auto [lang, size] = GetParam();
  start(lang, size);
  EXPECT_EQ(page->findChild<QGroupBox*>(QStringLiteral("fraCommonSet"))->title(), ctx.text(202));
  EXPECT_EQ(page->findChild<QLabel*>(QStringLiteral("lblTot"))->text(), ctx.text(203));
  EXPECT_EQ(page->findChild<QLabel*>(QStringLiteral("lblPwrMsg"))->text(), ctx.text(245));
  EXPECT_EQ(page->check(kOptWideBand)->text(), ctx.text(260));
  EXPECT_EQ(page->cmdClrRadioFre()->text(), ctx.text(261));
  EXPECT_EQ(page->lblRadioFre(0)->text(), lang == 3 ? QStringLiteral("CH 1") : QStringLiteral("信道1"));
  EXPECT_EQ(page->lblRadioFre(24)->text(), ctx.text(259) + QStringLiteral("25"));

  const QList<QWidget*> widgets = captioned(page);
  ASSERT_GT(widgets.size(), 90);
  for (QWidget* c : widgets) {
    const std::string name = c->objectName().toStdString();
    EXPECT_TRUE(c->isVisible()) << name;
    if (auto* l = qobject_cast<QLabel*>(c)) {
      EXPECT_FALSE(l->text().isEmpty()) << name;
    }
    // A caption needs its whole text; a box or a frame may give up room down to its minimum.
    const bool squeezable = qobject_cast<QLineEdit*>(c) || qobject_cast<QGroupBox*>(c);
    const int needed = squeezable ? c->minimumSizeHint().width() : c->sizeHint().width();
    EXPECT_GE(c->width(), needed) << name << " is cut";
    EXPECT_GE(c->height(), c->minimumSizeHint().height()) << name;
    EXPECT_EQ(c->font().family(), ctx.st.CurFont) << name;
    // Inside its parent, and clear of its siblings.
    EXPECT_TRUE(c->parentWidget()->rect().contains(c->geometry())) << name;
    for (QWidget* other : widgets) {
      if (other == c || other->parentWidget() != c->parentWidget()) continue;
      EXPECT_FALSE(c->geometry().intersects(other->geometry())) << name << " overlaps " << other->objectName().toStdString();
    }
  }
  // Whatever does not fit the window is reached by scrolling.
  QScrollArea* scroll = page->scrollArea();
  const QSize need = scroll->widget()->minimumSizeHint();
  const QSize view = scroll->viewport()->size();
  EXPECT_EQ(scroll->horizontalScrollBar()->maximum() > 0, need.width() > view.width());
  EXPECT_EQ(scroll->verticalScrollBar()->maximum() > 0, need.height() > view.height());
}

INSTANTIATE_TEST_SUITE_P(LanguagesAndSizes, OptLayoutTest,
                         ::testing::Combine(::testing::Values(1, 2, 3), ::testing::Values(QSize(1024, 720), QSize(800, 560))));

}  // namespace
