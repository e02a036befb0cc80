// The settings window offscreen, its channel grid driven with clicks, keys and menus (what an
// edit makes of a channel is chgridedit's test; here, that the widgets reach it), a file of a
// custom range, a band change undone, the custom range dialog, the import's report, rows
// copied between files, and the Qt grid against the in-memory grid.

#include "app/charcodec.h"
#include "app/chcodec.h"
#include "app/chgrid.h"
#include "app/chmem.h"
#include "app/ctdcs.h"
#include "app/chgridedit.h"
#include "app/session.h"
#include "core/optiontable.h"
#include "core/addressmap.h"
#include "gui/frmCustomFre.h"
#include "gui/frmSysSet.h"
#include "gui/qtdialogs.h"
#include "gui/qtchgridedit.h"
#include "gui/mdifrmMain.h"
#include "support/guienv.h"
#include "gui/qtchannelactions.h"
#include "support/testenv.h"
#include "gui/qtgrid.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCryptographicHash>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>

#include <tuple>

using namespace k52;

namespace {

QWidget* const toFocus = nullptr;  // QTest then sends each key to the focus widget
using B = std::vector<int>;

// Qt's own warnings are kept: the table complains about an editor it is made to close twice.
QStringList* warnings = nullptr;
QtMessageHandler previousHandler = nullptr;
void capture(QtMsgType type, const QMessageLogContext& where, const QString& text) {
  if (warnings) warnings->push_back(text);
  if (previousHandler) previousHandler(type, where, text);
}

class GridWidgetTest : public ::testing::Test {
 protected:
  ~GridWidgetTest() override {
    qInstallMessageHandler(previousHandler);
    warnings = nullptr;
  }
  // The program in English with the delivered files, and what the settings file says of the lock.
  void start(const char* channelLock = nullptr) {
    warnings = &seen;
    previousHandler = qInstallMessageHandler(capture);
    env.installProgram();
    if (channelLock) env.setSetting("ChannelLock", QLatin1String(channelLock));
    main = test::startMainWindow(ctx);
    ASSERT_TRUE(main && main->settingsWindow());
    w = main->settingsWindow();
    w->sstabMain()->setCurrentIndex(1);
    grid = w->findChild<QtGrid*>(QStringLiteral("vsfgGridCh"));
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    grid->setFocus();
    QApplication::processEvents();
  }
  QPoint center(int row, int col) {
    grid->scrollTo(grid->model()->index(row - 1, col - 1));
    return grid->visualRect(grid->model()->index(row - 1, col - 1)).center();
  }
  void click(int row, int col, Qt::MouseButton b = Qt::LeftButton) {
    QTest::mouseClick(grid->viewport(), b, {}, center(row, col));
    QApplication::processEvents();
  }
  void dblClick(int row, int col) {
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, center(row, col));
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, center(row, col));
    QApplication::processEvents();
  }
  void key(Qt::Key k, Qt::KeyboardModifiers m = {}) {
    QTest::keyClick(QApplication::focusWidget(), k, m);
    QApplication::processEvents();
  }
  // Characters as a keyboard sends them (letters outside ASCII included).
  void typeText(const QString& text) {
    for (const QChar ch : text) {
      for (QEvent::Type t : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent e(t, ch.toUpper().unicode(), Qt::NoModifier, QString(ch));
        QApplication::sendEvent(QApplication::focusWidget(), &e);
      }
      QApplication::processEvents();
    }
  }
  QWidget* editor() const {
    QWidget* f = QApplication::focusWidget();
    return f && grid->viewport()->isAncestorOf(f) ? f : nullptr;
  }
  QString editorText() const { return qobject_cast<QLineEdit*>(editor()) ? qobject_cast<QLineEdit*>(editor())->text() : QString(); }
  void goTo(int row, int col) {
    grid->setCurrentIndex(grid->model()->index(row - 1, col - 1));
    grid->setFocus();
  }
  void newChannel(int n, const QString& rx) {
    click(n, 1);
    typeText(rx);
    key(Qt::Key_Return);
  }
  int32_t field(int n, int f) const { return ctx.ch.ChInfo(n, f); }
  QString row(int r) const {
    QStringList v;
    for (int c = 1; c <= 8; ++c) v << grid->text(r, c);
    return v.join(QLatin1Char('|'));
  }
  QMenu* menu() const { return w->chGridEdit().popMenu(); }
  QAction* item(const char* name) const { return w->chGridEdit().popItem(QString::fromLatin1(name)); }
  // Right-clicks (row, col) and chooses the pop-up menu's item with the mouse.
  void popUp(int row, int col, const char* name) {
    click(row, col, Qt::RightButton);
    ASSERT_TRUE(menu()->isVisible());
    const QPoint at = menu()->actionGeometry(item(name)).center();
    QTest::mouseMove(menu(), at);
    QTest::mouseClick(menu(), Qt::LeftButton, {}, at);
    QApplication::processEvents();
  }
  QAction* chLockItem() const { return main->menuItem(QStringLiteral("mnuChLock")); }

  test::TestEnv env;
  AppContext& ctx = *env.ctx;
  std::unique_ptr<mdifrmMain> main;
  frmSysSet* w = nullptr;
  QtGrid* grid = nullptr;
  QStringList seen;
};

TEST_F(GridWidgetTest, AClickOnAnEmptyRowOpensItsRxAndTypedKeysGoToTheCellClickedNotTheOneBefore) {
  start();
  click(3, 6);
  ASSERT_NE(editor(), nullptr) << "a click on an empty row opens its RX cell";
  typeText(QStringLiteral("436.0237"));
  key(Qt::Key_Return);
  EXPECT_EQ(row(3), QStringLiteral("436.025|436.025|None|None|Wide|Yes|High|"));
  EXPECT_EQ(grid->currentIndex(), grid->model()->index(2, 4)) << "the table's current cell is the grid's";
  // Left by a click on another empty row: stored, and that row opens.
  click(4, 2);
  typeText(QStringLiteral("445.5"));
  click(10, 6);
  EXPECT_EQ(field(4, 1), 44550000);
  ASSERT_NE(editor(), nullptr);
  key(Qt::Key_Escape);
  // A click on the selected cell and keys at once: they edit that channel, not the one before.
  newChannel(2, QStringLiteral("430"));
  click(3, 1);
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, center(3, 1));
  QTest::keyClicks(toFocus, QStringLiteral("440"));
  QTest::keyClick(toFocus, Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ((B{field(2, 1), field(3, 1), field(10, 1)}), (B{43000000, 44000000, -1}));
  EXPECT_EQ(ctx.log.entriesLogged(), 0) << env.log();
  EXPECT_FALSE(seen.join(QLatin1Char('\n')).contains(QLatin1String("closeEditor"))) << seen.join(QLatin1Char('\n')).toStdString();
}

TEST_F(GridWidgetTest, DropDownsRefusedCellsDoubleClicksAndTheirKeys) {
  start();
  newChannel(7, QStringLiteral("446"));
  goTo(7, 3);
  key(Qt::Key_F2);
  ASSERT_NE(qobject_cast<QComboBox*>(editor()), nullptr);
  key(Qt::Key_End);
  key(Qt::Key_Return);
  goTo(7, 4);
  key(Qt::Key_D);  // typing opens the list on the first entry that starts so
  key(Qt::Key_Return);
  EXPECT_EQ(row(7), QStringLiteral("446|446|D754I|D023N|Wide|Yes|High|"));
  dblClick(7, 7);
  EXPECT_EQ(field(7, 7), 1);
  EXPECT_EQ(editor(), nullptr) << "a choice column opens no editor on the mouse";
  dblClick(7, 8);  // a name is proposed and the editor opens on it
  EXPECT_EQ(editorText(), QStringLiteral("CH007"));
  key(Qt::Key_Escape);
  EXPECT_EQ(grid->text(7, 8), QString()) << "Escape takes the proposal back";
  // From the keyboard: Space clicks (an empty row opens its RX cell), Enter double-clicks.
  goTo(9, 4);
  key(Qt::Key_Space);
  typeText(QStringLiteral("441"));
  key(Qt::Key_Return);
  EXPECT_EQ(field(9, 2), 44100000);
  goTo(9, 8);
  key(Qt::Key_Return);
  EXPECT_EQ(editorText(), QStringLiteral("CH009"));
  key(Qt::Key_Return);
  EXPECT_EQ(editor(), nullptr) << "the Enter that stores the name does not open the cell again";
  EXPECT_EQ(grid->text(9, 8), QStringLiteral("CH009"));
  EXPECT_EQ(ctx.log.entriesLogged(), 0) << env.log();
}

TEST_F(GridWidgetTest, TheChannelMenuByMouseAndKeysAndTheLockThatBlocksEveryEdit) {
  start("ShowLock");  // a run starts unlocked whatever the settings file says
  EXPECT_FALSE(chLockItem()->isChecked());
  newChannel(5, QStringLiteral("440"));
  // The menu key and Shift+F10 open the menu for the current cell, as a right click does.
  for (const auto& [r, k, m] : {std::tuple{9, Qt::Key_Menu, Qt::KeyboardModifiers()}, {5, Qt::Key_F10, Qt::ShiftModifier}}) {
    goTo(r, 2);
    key(k, m);
    EXPECT_TRUE(menu()->isVisible() && w->chGridEdit().state().SelCh == r) << r;
    menu()->hide();
  }
  // Ctrl+L locks: the menu still opens with its commands off, and edits change nothing.
  goTo(5, 2);
  key(Qt::Key_L, Qt::ControlModifier);
  EXPECT_TRUE(chLockItem()->isChecked() && grid->selBackColor() == ctx.st.SavedBackColor) << "the selected cell looks like the others";
  click(5, 3, Qt::RightButton);
  EXPECT_TRUE(menu()->isVisible() && item("mnuPopChLock")->isChecked() && !item("mnuDelAll")->isEnabled());
  menu()->hide();
  dblClick(5, 7);  // (the rest of what the lock refuses is the logic test's)
  click(11, 1);
  EXPECT_EQ(editor(), nullptr);
  EXPECT_EQ(row(5), QStringLiteral("440|440|None|None|Wide|Yes|High|"));
  // The pop-up item unlocks.
  popUp(5, 3, "mnuPopChLock");
  EXPECT_FALSE(chLockItem()->isChecked() || menu()->isVisible());
  EXPECT_EQ(env.setting("ChannelLock"), QStringLiteral("ShowNo"));
  // The menu's commands act on the row that was right-clicked (what each does is the logic test's).
  popUp(9, 3, "mnuOpenCh");  // the delivered defaults: 430 MHz both ways, no tones
  EXPECT_EQ(row(9), QStringLiteral("430|430|None|None|Wide|Yes|High| CH-0"));
  EXPECT_EQ(ctx.log.entriesLogged(), 0) << env.log();
}

// (The lock's notice and its blink are the logic test's.)
TEST_F(GridWidgetTest, LockingWhileACellIsTypedStoresIt) {
  start();
  click(6, 1);
  typeText(QStringLiteral("441"));
  ASSERT_NE(editor(), nullptr);
  chLockItem()->trigger();
  EXPECT_EQ(editor(), nullptr);
  EXPECT_EQ(row(6).left(8), QStringLiteral("441|441|"));
}

TEST_F(GridWidgetTest, TheSettingsWindowOpensMaximisedWithTheChannelGridAndClosingOnlyHidesIt) {
  start();
  EXPECT_TRUE(w->isVisible() && w->isMaximized() && main->mdiArea()->subWindowList().contains(w) && &ctx.gridCh() == grid);
  grid->select(150, 6);
  EXPECT_EQ(grid->rowAt(0), 0) << "making a cell current does not scroll the grid";
  // No close box and no Ctrl+F4: the menus could not bring it back.
  w->setFocus();
  QTest::keyClick(w, Qt::Key_F4, Qt::ControlModifier);
  EXPECT_TRUE(w->isVisible() && !(w->windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint)));
  EXPECT_FALSE(w->close() || w->isVisible()) << "the close is refused while the program runs, the window hidden";
  w->showMaximized();
  EXPECT_EQ(w->sstabMain()->currentIndex(), 1);
  ctx.st.AppExiting = 1;  // the main window's exit closes it for good
  EXPECT_TRUE(w->close());
}

TEST_F(GridWidgetTest, AFileOfACustomRangeOpensTheDialogAndLosesNoChannelOutsideTheRangeChosen) {
  start();
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

// A band change starts over from the template under the default name. One undo gives back
// the file as it was opened (channels, options, band, the file's name and the title), byte for
// byte; redo the change again.
TEST_F(GridWidgetTest, UndoOfABandChangeGivesBackTheClearedFileByteForByteUnderItsName) {
  start();
  QByteArray image = test::deliveredImage();
  image.replace(addr::kBand, 3, QByteArray::fromHex("131764"));  // 136 - 174 MHz
  image.replace(addr::channelRecord(1), 8, QByteArray::fromHex("0000501400005014"));
  image[addr::kSquelch] = 7;
  const QString vhf = env.path(QStringLiteral("vhf.dat"));
  env.writeFile(vhf, image);
  env.dialogs.fileNames = {vhf};
  QTest::mouseClick(main->toolbar()->widgetForAction(main->findChild<QAction*>(QStringLiteral("tlbFileOpen"))), Qt::LeftButton);
  ASSERT_TRUE(ctx.st.CurDataFile == vhf && field(1, 1) == 14500000 && ctx.opt.OptSel(kOptSql) == 7);
  const auto saved = [&] { return Session(ctx).imageAsSaved().toByteArray(); };
  // {the image and as a save writes it (digests), the band, the file, the title}
  const auto state = [&] {
    const auto digest = [](const QByteArray& b) { return QString::fromLatin1(QCryptographicHash::hash(b, QCryptographicHash::Sha1).toHex()); };
    return QStringList{digest(ctx.IicDat.toByteArray()), digest(saved()),
                       QStringLiteral("%1-%2 %3").arg(ctx.band.LowerLimit).arg(ctx.band.UpperLimit).arg(ctx.band.BandIndex),
                       ctx.st.CurDataFile, main->windowTitle() + (main->isWindowModified() ? QStringLiteral("*") : QString())};
  };
  const QStringList opened = state();
  const QString rx1 = grid->text(1, 1);

  w->sstabMain()->setCurrentIndex(0);
  auto* band = w->findChild<QComboBox*>(QStringLiteral("cboFrequency"));
  auto* sql = w->findChild<QComboBox*>(QStringLiteral("cboSql"));
  band->setFocus();
  key(Qt::Key_Down);  // "136 - 150 MHz"; Yes to clearing the data
  ASSERT_EQ(env.dialogs.prompts().back(), ctx.text(74));
  const QStringList changed = state();
  EXPECT_TRUE(field(1, 1) == -1 && ctx.st.CurDataFile == ctx.st.DefDataFile && ctx.band.BandIndex == 1);
  EXPECT_EQ(main->menuItem(QStringLiteral("mnuUndo"))->text(), QStringLiteral("&Undo Change band"));

  key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(state(), opened);
  EXPECT_TRUE(band->currentIndex() == 0 && sql->currentIndex() == 7 && grid->text(1, 1) == rx1)
      << "shown as it was";
  key(Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(state(), changed);
  // Saved under a name of its own, which undoing a later edit keeps.
  env.dialogs.fileNames = {env.path(QStringLiteral("uhf.dat"))};
  main->menuItem(QStringLiteral("mnuFileSaveAs"))->trigger();
  w->sstabMain()->setCurrentIndex(2);
  sql->setFocus();
  key(Qt::Key_Down);
  key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(QFileInfo(ctx.st.CurDataFile).fileName(), QStringLiteral("uhf.dat"));
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

// The import's report is as wide as its lines (measured in the fonts installed).
TEST(ImportReportDialog, ShowsALineOfNinetyCharactersWholeFontDependent) {
  QtDialogs dialogs;
  const QString line = QStringLiteral("Line 7, channel 6, not imported: frequency off the 5 kHz and 12.5 kHz rasters: \"446.006250\"");
  int scroll = -1;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr) << "the report is not up";
    scroll = box->findChild<QListWidget*>()->horizontalScrollBar()->maximum();
    box->reject();
  });
  EXPECT_FALSE(dialogs.confirmList(QStringLiteral("Notice"), QStringLiteral("Not everything ..."), {line}, QStringLiteral("Import"), QStringLiteral("Nothing")));
  EXPECT_EQ(scroll, 0);
}

// The Qt grid adapter must answer as the in-memory grid of the logic tests does after the
// channel grid's set-up and filling.
// The channel grid of the settings window: 200 rows (row 200 the VFO), eight columns.
class QtGridTest : public ::testing::Test {
 protected:
  QtGridTest() : ctx(*env.ctx) {
    env.writeSettings(test::chInfoSection(200));
    ctx.ini.setPath(env.path(QStringLiteral("minglyc.dll")));
    ctx.st.CurLang = 3;
    ctx.ch.ChNameCode.fill(255);
    GenCtdcsList(ctx);
    GetValidCharTbl(ctx);
    ReadChInfo(ctx);
    grid.resize(800, 400);
    grid.show();
  }
  void setUpAndFill(Grid& g) {
    ctx.setGridCh(&g);
    ChInfoInitFace(ctx);
    SetChGrid(ctx);
    for (int n = 1; n <= 200; ++n) {
      ctx.ch.ChInfo(n, 1) = n % 3 == 0 ? -1 : 40000000 + 1250 * n;
      ctx.ch.ChInfo(n, 2) = n % 5 == 0 ? -1 : 44000000 + 500 * n;
      ctx.ch.ChInfo(n, 3) = n % 261;
      ctx.ch.ChInfo(n, 4) = (n * 7) % 261;
      for (int f = 5; f <= 7; ++f) ctx.ch.ChInfo(n, f) = n % 2;
      for (int i = 0; i < 5; ++i) ctx.ch.ChNameCode(n, i) = static_cast<uint8_t>((n + i) % 45);
    }
    ShowChTblGrid(ctx);
  }
  QAbstractItemModel& model() { return *grid.model(); }
  QVariant cell(int r, int c, int role = Qt::DisplayRole) { return model().index(r - 1, c - 1).data(role); }

  test::TestEnv env;
  AppContext& ctx;
  QtGrid grid;
};

TEST(FormatGridNumber, OnlySignificantDecimalsRoundedToTheFormatsPlacesAndOtherTextsAsTheyStand) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"173.995", "###.#####", "173.995"}, {"136.01250", "###.#####", "136.0125"}, {" 430.100 ", "###.#####", "430.1"},
      {"0.5", "###.#####", ".5"}, {"430", "###.#####", "430"},
      // Rounded to five places, halves away from zero, with the carry into the whole part.
      {"136.000005", "###.#####", "136.00001"}, {"136.000004999", "###.#####", "136"}, {"99.999995", "###.#####", "100"},
      {"-12.5", "###.#####", "-12.5"}, {"-0.000001", "###.#####", "0"},
      {"5", "#0.00000", "5.00000"}, {".25", "#0.00000", "0.25000"}, {"12", "00000", "00012"}, {"2.5", "00000", "00003"},
      {"12.5", "", "12.5"}, {"12.5", "Currency", "12.5"}};
  for (const auto& [text, format, shown] : cases) EXPECT_EQ(formatGridNumber(QLatin1String(text), QLatin1String(format)), QLatin1String(shown)) << text << " " << format;
  for (const char* t : {"", "CH001", "1e5", "nan", "inf", "1.2.3", "0x10", "- 1"})
    EXPECT_EQ(formatGridNumber(QLatin1String(t), QStringLiteral("###.#####")), QLatin1String(t)) << t;
}

TEST_F(QtGridTest, AnswersExactlyAsTheInMemoryGrid) {
  MemoryGrid mem;
  setUpAndFill(mem);
  setUpAndFill(grid);
  ASSERT_EQ(grid.rows(), mem.rows());
  ASSERT_EQ(grid.cols(), mem.cols());
  for (int r = 0; r < mem.rows(); ++r) {
    ASSERT_EQ(grid.rowHeightTwips(r), mem.rowHeightTwips(r)) << r;
    for (int c = 0; c < mem.cols(); ++c) {
      ASSERT_EQ(grid.text(r, c), mem.text(r, c)) << r << "," << c;
      if (r >= 1 && c >= 1) {
        ASSERT_EQ(cell(r, c).toString(), mem.displayText(r, c)) << r << "," << c;
      }
    }
  }
  for (int c = 0; c < mem.cols(); ++c)
    EXPECT_TRUE(grid.colWidthTwips(c) == mem.colWidthTwips(c) && grid.colFormat(c) == mem.colFormat(c) && grid.colDataType(c) == mem.colDataType(c)) << c;
  EXPECT_TRUE(grid.row() == mem.row() && grid.col() == mem.col() && grid.backColor() == mem.backColor());
}

}  // namespace

// Rows chosen with the mouse (click, Shift, Ctrl), the clipboard's keys, typing undone and
// redone with the keys, and the title's mark of unsaved changes until Save.
TEST_F(GridWidgetTest, SelectedRowsCopyAndPasteTypedCellsUndoAndTheTitleMarksUnsavedChanges) {
  start();
  auto keyOnGrid = [&](Qt::Key k, Qt::KeyboardModifiers m) {
    grid->setFocus();
    key(k, m);
  };
  EXPECT_TRUE(main->windowTitle().startsWith(QStringLiteral("Untitled.dat[*] - ")));
  EXPECT_FALSE(main->isWindowModified());
  newChannel(2, QStringLiteral("440"));
  EXPECT_TRUE(main->isWindowModified());
  EXPECT_EQ(main->menuItem(QStringLiteral("mnuUndo"))->text(), QStringLiteral("&Undo Edit channel 2"));
  keyOnGrid(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(field(2, 1), -1);
  EXPECT_EQ(row(2), QStringLiteral("|||||||"));
  EXPECT_FALSE(main->isWindowModified()) << "back where the configuration started";
  keyOnGrid(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(field(2, 1), 44000000);
  newChannel(3, QStringLiteral("441"));
  newChannel(5, QStringLiteral("442.5"));
  dblClick(5, 7);  // power High -> Mid
  keyOnGrid(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(field(5, 7), 0) << "the double click was a step of its own";
  keyOnGrid(Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(field(5, 7), 1);

  click(2, 3);
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, center(3, 3));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, center(5, 3));
  EXPECT_EQ(w->chGridEdit().channelActions().selectedRows(), (std::vector<int>{2, 3, 5}));
  keyOnGrid(Qt::Key_C, Qt::ControlModifier);
  const QStringList lines = QApplication::clipboard()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 4);
  EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Location\tName\tFrequency\tDuplex\tOffset\tTone\t")));
  EXPECT_TRUE(lines[3].startsWith(QStringLiteral("5\t\t442.500000\t\t0.000000\t")));
  click(10, 3);  // an empty row opens its RX editor; Escape leaves it
  key(Qt::Key_Escape);
  keyOnGrid(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ((B{field(10, 1), field(11, 1), field(12, 1), field(13, 1), field(13, 7)}), (B{44000000, 44100000, -1, 44250000, 1}));
  EXPECT_EQ(w->chGridEdit().channelActions().selectedRows(), (std::vector<int>{10, 11, 13}));
  keyOnGrid(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ((B{field(10, 1), field(11, 1), field(13, 1)}), (B{-1, -1, -1})) << "the paste is one step";
  // A spreadsheet's rows: what the radio cannot hold is listed, and No pastes nothing.
  QApplication::clipboard()->setText(QStringLiteral("Location\tName\tFrequency\n1\tA#\t441.0033\n2\tB~\t442\n"));
  env.dialogs.answers = {MsgAnswer::No};
  click(20, 3);
  key(Qt::Key_Escape);
  keyOnGrid(Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(env.dialogs.asked.back().prompt,
            QStringLiteral("These rows cannot be taken as they stand:\nRow 1, Frequency: 441.003300 cannot be taken\n"
                           "Row 1, Name: \"#\" left out of the name\nRow 2, Name: \"~\" left out of the name\nPaste the rest?"));
  EXPECT_EQ(field(20, 1), -1);
  keyOnGrid(Qt::Key_V, Qt::ControlModifier);  // Yes
  EXPECT_EQ(field(20, 1), 44200000);
  EXPECT_EQ(grid->text(20, 8).trimmed(), QStringLiteral("B"));

  // Saved: the mark goes; the next edit brings it back.
  env.dialogs.fileNames.push_back(env.path(QStringLiteral("plan.dat")));
  main->menuItem(QStringLiteral("mnuFileSave"))->trigger();
  EXPECT_EQ(main->windowTitle(), QStringLiteral("plan.dat[*] - KDR T17 Radio Software"));
  EXPECT_FALSE(main->isWindowModified());
  click(3, 3);
  keyOnGrid(Qt::Key_Delete, {});
  EXPECT_EQ(field(3, 1), -1);
  EXPECT_TRUE(main->isWindowModified());
  EXPECT_EQ(ctx.log.entriesLogged(), 0) << env.log();
}

// Rows copied in one configuration and pasted into another keep their names and tones; the
// paste is undone as one step.
TEST_F(GridWidgetTest, RowsCopiedFromOneFileArePastedIntoANewOneWithTheirNamesAndTones) {
  start();
  // {name, decode tone, encode tone}: CTCSS both ways, encode only, DCS decode only.
  const std::tuple<const char*, int32_t, int32_t> plan[] = {{"ALPHA", 12, 12}, {"BRAVO", 0, 1}, {"DELTA", 51, 0}};
  MemoryImage image = ctx.IicDat;
  Problems problems;
  int n = 0;
  for (const auto& [name, dec, enc] : plan) {
    Channel ch;
    ch.rx = ch.tx = 43512500 + 2500 * n;
    ch.decodeTone = dec;
    ch.encodeTone = enc;
    ChNameCharSol(ctx, QString::fromLatin1(name), kNameLength);
    for (int c = 0; c < kNameLength; ++c) ch.name[static_cast<size_t>(c)] = ctx.chars.NameCode(c);
    encodeChannel(ch, ++n, codecTables(ctx), image, problems);
  }
  ASSERT_TRUE(problems.empty());
  env.writeFile(QStringLiteral("a.dat"), image.toByteArray());
  const auto toolbar = [&](const char* key) {
    QTest::mouseClick(main->toolbar()->widgetForAction(main->findChild<QAction*>(QLatin1String(key))), Qt::LeftButton);
  };
  env.dialogs.fileNames = {env.path(QStringLiteral("a.dat"))};
  toolbar("tlbFileOpen");
  ASSERT_EQ(channelNameText(ctx, 3), QStringLiteral("DELTA"));

  click(1, 3);
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, center(2, 3));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, center(3, 3));
  grid->setFocus();
  key(Qt::Key_C, Qt::ControlModifier);
  toolbar("tlbFileNew");  // Yes: the template, nothing in channels 1-3
  ASSERT_EQ(field(1, 1), -1);
  const QByteArray fresh = Session(ctx).imageAsSaved().toByteArray();
  click(5, 3);  // an empty row opens its RX editor; Escape leaves it
  key(Qt::Key_Escape);
  grid->setFocus();
  key(Qt::Key_V, Qt::ControlModifier);
  n = 5;
  for (const auto& [name, dec, enc] : plan) {
    EXPECT_EQ((B{field(n, 1), field(n, 3), field(n, 4)}), (B{43512500 + 2500 * (n - 5), dec, enc})) << n;
    EXPECT_TRUE(channelNameText(ctx, static_cast<int16_t>(n)) == QLatin1String(name) && grid->text(n, 8).trimmed() == QLatin1String(name)) << n;
    ++n;
  }
  key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Session(ctx).imageAsSaved().toByteArray(), fresh);
  EXPECT_EQ(field(5, 1), -1);
  EXPECT_EQ(ctx.log.entriesLogged(), 0) << env.log();
}
