// The channel grid of the real settings window in the real main window, offscreen, driven
// as a user drives it: clicks, typing, Enter, double clicks, right clicks, arrows and the
// menu key. Each scenario checks the grid, the tables and the encoded image.

#include "editor/chgridedit.h"
#include "editor/frmSysSet.h"
#include "editor/qtchgridedit.h"
#include "errlog/k52error.h"
#include "image/addressmap.h"
#include "image/chgrid.h"
#include "image/chmem.h"
#include "shell/mdifrmMain.h"
#include "shell/qtchlock.h"
#include "support/testenv.h"
#include "ui/inifile.h"
#include "ui/qtgrid.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

using namespace k52;
using k52::test::TestEnv;

namespace {

class GridWidgetTest : public ::testing::Test {
 protected:
  ~GridWidgetTest() override {
    if (sink == &warnings) {
      qInstallMessageHandler(previousHandler);
      sink = nullptr;
    }
  }

  // Qt's own warnings are kept (and still printed): the table complains about editors it
  // is made to close twice.
  static inline QStringList* sink = nullptr;
  static inline QtMessageHandler previousHandler = nullptr;
  static void capture(QtMsgType type, const QMessageLogContext& where, const QString& text) {
    if (sink) sink->push_back(text);
    if (previousHandler) previousHandler(type, where, text);
  }

  // Starts the program in English with the delivered files; vfo: a channel table of 200
  // rows (the last is the VFO) and ten columns; channelLock: what the settings file says
  // of the lock.
  void start(bool vfo = false, const char* channelLock = nullptr) {
    sink = &warnings;
    previousHandler = qInstallMessageHandler(capture);
    env.installDeliveredFiles();
    IniFile ini(env.path(QStringLiteral("minglyc.dll")));
    ini.write(QStringLiteral("Setting"), QStringLiteral("FirRun"), QStringLiteral("0"));
    ini.write(QStringLiteral("Setting"), QStringLiteral("Language"), QStringLiteral("3"));
    if (vfo) addVfoColumns(ini);
    if (channelLock)
      ini.write(QStringLiteral("Setting"), QStringLiteral("ChannelLock"), QString::fromLatin1(channelLock));
    main = std::make_unique<mdifrmMain>(*env.ctx);
    QSignalSpy finished(main.get(), &mdifrmMain::startupFinished);
    main->show();
    ASSERT_TRUE(finished.wait(10000));
    ASSERT_NE(main->settingsWindow(), nullptr);
    w = main->settingsWindow();
    w->sstabMain()->setCurrentIndex(1);
    grid = w->findChild<QtGrid*>(QStringLiteral("vsfgGridCh"));
    ASSERT_NE(grid, nullptr);
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    grid->setFocus();
    QApplication::processEvents();
    ctx.band.LowerLimit = 40000000;
    ctx.band.UpperLimit = 46999500;
    logBase = ctx.log.entriesLogged();
  }

  static void addVfoColumns(IniFile& ini) {
    const QString s = QStringLiteral("ChInfo");
    auto put = [&](int key, const QString& v) { ini.write(s, QString::number(key), v); };
    put(3000, QStringLiteral("200"));
    put(3002, QStringLiteral("10"));
    put(3003, QStringLiteral("^No.|^RX|^TX|^Dec|^Enc|^W/N|^Scan|^Power|^Name|^Key|^Mode"));
    put(3109, QStringLiteral("900"));
    put(3110, QStringLiteral("900"));
    const QStringList col9 = {"Fn|Lamp", "2", "1", "Fn", "Lamp", "*EndOfThisItem*"};
    const QStringList col10 = {"A|B|C", "3", "2", "A", "B", "C", "*EndOfThisItem*"};
    for (int j = 0; j < col9.size(); ++j) put(3600 + j, col9[j]);
    for (int j = 0; j < col10.size(); ++j) put(3650 + j, col10[j]);
  }

  QPoint cellCenter(int row, int col) {
    const QModelIndex i = grid->model()->index(row - 1, col - 1);
    grid->scrollTo(i);
    return grid->visualRect(i).center();
  }
  void click(int row, int col, Qt::MouseButton b = Qt::LeftButton) {
    QTest::mouseClick(grid->viewport(), b, {}, cellCenter(row, col));
    QApplication::processEvents();
  }
  void dblClick(int row, int col) {
    const QPoint p = cellCenter(row, col);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, p);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, p);
    QApplication::processEvents();
  }
  // Keys go where the keyboard focus is: the grid, or the editor it opened.
  void key(Qt::Key k, Qt::KeyboardModifiers m = {}) {
    QWidget* f = QApplication::focusWidget();
    ASSERT_NE(f, nullptr);
    QTest::keyClick(f, k, m);
    QApplication::processEvents();
  }
  // Characters as a keyboard sends them (letters outside ASCII included).
  void typeText(const QString& text) {
    for (const QChar ch : text) {
      QWidget* f = QApplication::focusWidget();
      ASSERT_NE(f, nullptr);
      const int code = ch.toUpper().unicode();
      QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, QString(ch));
      QApplication::sendEvent(f, &press);
      QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, QString(ch));
      QApplication::sendEvent(QApplication::focusWidget(), &release);
      QApplication::processEvents();
    }
  }
  // The cell's editor, when one is open.
  QWidget* editor() const {
    QWidget* f = QApplication::focusWidget();
    return f && grid->viewport()->isAncestorOf(f) ? f : nullptr;
  }
  // Makes (row, col) current with the keyboard's help: a click selects it, Escape closes
  // whatever editor the click opened.
  void goTo(int row, int col) {
    grid->setCurrentIndex(grid->model()->index(row - 1, col - 1));
    grid->setFocus();
    QApplication::processEvents();
  }
  // Opens the editor with F2, replaces its text and leaves it with Enter.
  void edit(int row, int col, const QString& text) {
    goTo(row, col);
    key(Qt::Key_F2);
    ASSERT_NE(editor(), nullptr) << "no editor on " << row << "," << col;
    key(Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
      key(Qt::Key_Backspace);
    else
      typeText(text);
    key(Qt::Key_Return);
  }

  int32_t field(int n, int f) const { return ctx.ch.ChInfo(n, f); }
  QString cell(int r, int c) const { return grid->text(r, c); }
  std::vector<int> record(int n) {
    SetConvIicDat(ctx);
    std::vector<int> v;
    for (int i = 0; i < addr::kChannelRecordSize; ++i) v.push_back(ctx.IicDat.at(addr::channelRecord(n) + i));
    for (int i = 0; i < addr::kNameExtensionSize; ++i) v.push_back(ctx.IicDat.at(addr::nameExtension(n) + i));
    return v;
  }
  std::vector<int> names(int n) const {
    std::vector<int> v;
    for (int i = 0; i < 5; ++i) v.push_back(ctx.ch.ChNameCode(n, i));
    return v;
  }
  int logged() const { return ctx.log.entriesLogged() - logBase; }
  // Right-clicks (row, col) and chooses the pop-up menu's item with the mouse.
  void popUp(int row, int col, const char* item) {
    click(row, col, Qt::RightButton);
    QMenu* menu = w->chGridEdit().popMenu();
    ASSERT_TRUE(menu->isVisible());
    QAction* a = w->chGridEdit().popItem(QString::fromLatin1(item));
    const QPoint at = menu->actionGeometry(a).center();
    QTest::mouseMove(menu, at);
    QTest::mouseClick(menu, Qt::LeftButton, {}, at);
    QApplication::processEvents();
    EXPECT_FALSE(menu->isVisible()) << item;
  }
  QAction* chLockItem() const { return main->menuItem(QStringLiteral("mnuChLock")); }
  QString notice() const { return main->statusPanelText(1); }
  QString savedLock() const {
    return IniFile(env.path(QStringLiteral("minglyc.dll"))).read(QStringLiteral("Setting"), QStringLiteral("ChannelLock"), {});
  }
  // Whether the grid paints cell (row, col) in about this colour (the style shades a
  // selection slightly).
  bool paintedIn(int row, int col, uint32_t bgr) {
    const QRect r = grid->visualRect(grid->model()->index(row - 1, col - 1));
    const QRgb c = grid->viewport()->grab().toImage().pixel(r.topLeft() + QPoint(3, 3));
    return std::abs(qRed(c) - int(bgr & 0xFF)) + std::abs(qGreen(c) - int((bgr >> 8) & 0xFF)) +
               std::abs(qBlue(c) - int(bgr >> 16)) <= 8;
  }
  QString logText() const { return ctx.log.lines().join(QLatin1Char('\n')); }

  TestEnv env;
  AppContext& ctx = *env.ctx;
  std::unique_ptr<mdifrmMain> main;
  frmSysSet* w = nullptr;
  QtGrid* grid = nullptr;
  int logBase = 0;
  QStringList warnings;
};

// Typing a channel's RX and leaving the cell with Enter, or by clicking elsewhere.
TEST_F(GridWidgetTest, ClickingAnEmptyRowAndTypingRxCompletesTheChannel) {
  start();
  click(3, 6);
  ASSERT_NE(editor(), nullptr) << "a click on an empty row opens its RX cell";
  EXPECT_EQ(grid->row(), 3);
  EXPECT_EQ(grid->col(), 1);
  EXPECT_EQ(grid->cellBackColor(3, 8), kRowHighlightColor);
  typeText(QStringLiteral("436.0237"));
  key(Qt::Key_Return);

  EXPECT_EQ(editor(), nullptr);
  const int32_t expected[] = {1, 43602500, 43602500, 0, 0, 0, 1, 0};
  for (int f = 0; f <= 7; ++f) EXPECT_EQ(field(3, f), expected[f]) << "field " << f;
  const QStringList shown = {"436.025", "436.025", "None", "None", "Wide", "Yes", "High", ""};
  for (int c = 1; c <= 8; ++c) EXPECT_EQ(cell(3, c), shown[c - 1]) << "column " << c;
  EXPECT_EQ(names(3), std::vector<int>(5, 255));
  EXPECT_EQ(grid->row(), 3);
  EXPECT_EQ(grid->col(), 5);
  EXPECT_EQ(grid->currentIndex(), grid->model()->index(2, 4)) << "the table's current cell is the grid's";
  std::vector<int> r = record(3);
  EXPECT_EQ(std::vector<int>(r.begin(), r.begin() + 12),
            (std::vector<int>{0x00, 0x25, 0x60, 0x43, 0x00, 0x25, 0x60, 0x43, 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(r[12] & 0x2E, 0x08);

  // The next channel is left by a click on another empty row: stored, and that row opens.
  click(4, 2);
  typeText(QStringLiteral("445.5"));
  click(10, 6);
  EXPECT_EQ(field(4, 1), 44550000);
  EXPECT_EQ(field(4, 2), 44550000);
  EXPECT_EQ(cell(4, 3), QStringLiteral("None"));
  ASSERT_NE(editor(), nullptr);
  EXPECT_EQ(grid->currentIndex(), grid->model()->index(9, 0));
  EXPECT_EQ(grid->row(), 10);
  EXPECT_EQ(grid->col(), 1);
  key(Qt::Key_Escape);
  EXPECT_EQ(field(10, 1), -1);
  EXPECT_EQ(logged(), 0) << logText().toStdString();
  EXPECT_FALSE(warnings.join(QLatin1Char('\n')).contains(QLatin1String("closeEditor"))) << warnings.join(QLatin1Char('\n')).toStdString();
}

TEST_F(GridWidgetTest, TypedFrequenciesAreSnappedClampedOrRefused) {
  start();
  click(5, 1);
  typeText(QStringLiteral("440"));
  key(Qt::Key_Return);
  ASSERT_EQ(field(5, 2), 44000000);

  struct Case {
    int col;
    const char* typed;
    int32_t stored;
    const char* shown;
  };
  const Case cases[] = {
      {1, "436.007", 43600500, "436.005"},    // the 5 kHz point is nearer
      {2, "436.0063", 43600500, "436.005"},
      {2, "436.01125", 43601250, "436.0125"}, // as near to both: the 12.5 kHz point
      {1, "480", 46999500, "469.995"},        // above the band: its top
      {2, "390.1", 40000000, "400"},          // below: its bottom
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    edit(5, c.col, QString::fromLatin1(c.typed));
    EXPECT_EQ(field(5, c.col), c.stored);
    EXPECT_EQ(cell(5, c.col), QString::fromLatin1(c.shown));
    EXPECT_EQ(grid->displayText(5, c.col), QString::fromLatin1(c.shown));
  }
  std::vector<int> r = record(5);
  EXPECT_EQ(std::vector<int>(r.begin(), r.begin() + 8), (std::vector<int>{0x00, 0x95, 0x99, 0x46, 0x00, 0x00, 0x00, 0x40}));
  EXPECT_EQ(logged(), 0) << logText().toStdString();

  edit(5, 2, QStringLiteral("99999"));
  EXPECT_EQ(field(5, 2), -1);
  EXPECT_EQ(cell(5, 2), QString());
  EXPECT_EQ(logged(), 1);
  EXPECT_EQ(ctx.log.lastProcName(), QStringLiteral("frmSysSet->vsfgGridCh_AfterEdit:"));
  EXPECT_EQ(ctx.log.lastNumber(), ErrOverflow);

  // Text that is no number: TX goes with its encode tone, RX with the whole channel.
  edit(5, 2, QStringLiteral("440"));
  edit(5, 2, QStringLiteral("off"));
  EXPECT_EQ(field(5, 2), -1);
  EXPECT_EQ(field(5, 4), -1);
  EXPECT_EQ(field(5, 1), 46999500);
  EXPECT_EQ(field(5, 3), 0);
  EXPECT_EQ(cell(5, 4), QString());
  EXPECT_EQ(cell(5, 3), QStringLiteral("None"));
  r = record(5);
  EXPECT_EQ(std::vector<int>(r.begin() + 4, r.begin() + 12), std::vector<int>(8, 0xFF));
  edit(5, 1, QString());
  for (int f = 1; f <= 8; ++f) EXPECT_EQ(field(5, f), -1) << "field " << f;
  for (int c = 1; c <= 8; ++c) EXPECT_EQ(cell(5, c), QString()) << "column " << c;
  EXPECT_EQ(grid->col(), 1);
  r = record(5);
  EXPECT_EQ(std::vector<int>(r.begin(), r.begin() + 4), std::vector<int>(4, 0xFF));
}

TEST_F(GridWidgetTest, TheVfoRowKeepsItsFrequenciesAndTakesNoName) {
  start(true);
  ASSERT_EQ(grid->rows(), 201);
  EXPECT_EQ(grid->headerText(200, 0), QStringLiteral("VFO"));
  click(200, 4);
  ASSERT_NE(editor(), nullptr);
  typeText(QStringLiteral("436.5"));
  key(Qt::Key_Return);
  ASSERT_EQ(field(200, 1), 43650000);
  ASSERT_EQ(field(200, 2), 43650000);

  edit(200, 1, QStringLiteral("vfo"));
  EXPECT_EQ(field(200, 1), 43650000);
  EXPECT_EQ(cell(200, 1), QStringLiteral("436.5"));
  edit(200, 2, QString());
  EXPECT_EQ(field(200, 2), 43650000);
  EXPECT_EQ(cell(200, 2), QStringLiteral("436.5"));
  edit(200, 8, QStringLiteral("abc"));
  EXPECT_EQ(names(200), std::vector<int>(5, 255));
  EXPECT_EQ(cell(200, 8), QString());

  // The tenth column of the VFO row goes back to its first choice on a double click.
  EXPECT_EQ(field(200, 10), 2);
  dblClick(200, 10);
  EXPECT_EQ(field(200, 10), 0);
  EXPECT_EQ(cell(200, 10), QStringLiteral("A"));
  dblClick(200, 9);
  EXPECT_EQ(field(200, 9), 0) << "other choice columns cycle";
  const std::vector<int> r = record(200);
  EXPECT_EQ(std::vector<int>(r.begin(), r.begin() + 4), (std::vector<int>{0x00, 0x00, 0x65, 0x43}));
  EXPECT_EQ(logged(), 0) << logText().toStdString();
}

TEST_F(GridWidgetTest, ToneAndChoiceDropDownsAndRefusedEdits) {
  start();
  click(7, 1);
  typeText(QStringLiteral("446"));
  key(Qt::Key_Return);

  goTo(7, 3);
  key(Qt::Key_F2);
  auto* combo = qobject_cast<QComboBox*>(editor());
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->count(), 261);
  EXPECT_EQ(combo->currentText(), QStringLiteral("None"));
  key(Qt::Key_End);
  key(Qt::Key_Return);
  EXPECT_EQ(field(7, 3), 260);
  EXPECT_EQ(cell(7, 3), QStringLiteral("D754I"));

  goTo(7, 4);
  key(Qt::Key_D);  // typing opens the list on the first entry that starts so
  ASSERT_NE(qobject_cast<QComboBox*>(editor()), nullptr);
  key(Qt::Key_Return);
  EXPECT_EQ(field(7, 4), 51);
  EXPECT_EQ(cell(7, 4), QStringLiteral("D023N"));

  goTo(7, 7);
  key(Qt::Key_F2);
  combo = qobject_cast<QComboBox*>(editor());
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->count(), 3);
  key(Qt::Key_Down);
  key(Qt::Key_Return);
  EXPECT_EQ(field(7, 7), 1);
  EXPECT_EQ(cell(7, 7), QStringLiteral("Middle"));
  const std::vector<int> r = record(7);
  EXPECT_EQ(std::vector<int>(r.begin() + 8, r.begin() + 12), (std::vector<int>{0x54, 0xC7, 0x23, 0x80}));
  EXPECT_EQ(r[12] & 0x06, 0x02);

  // Receive-only: the encode tone cannot be edited. An empty row: only RX can.
  edit(7, 2, QString());
  goTo(7, 4);
  key(Qt::Key_F2);
  EXPECT_EQ(editor(), nullptr);
  key(Qt::Key_D);
  EXPECT_EQ(editor(), nullptr);
  EXPECT_EQ(field(7, 4), -1);
  for (int c : {2, 3, 5, 8}) {
    goTo(9, c);
    key(Qt::Key_F2);
    EXPECT_EQ(editor(), nullptr) << "column " << c;
    key(Qt::Key_X);
    EXPECT_EQ(editor(), nullptr) << "column " << c;
    EXPECT_EQ(cell(9, c), QString());
  }
  EXPECT_EQ(field(9, 1), -1);
  EXPECT_EQ(logged(), 0) << logText().toStdString();
}

TEST_F(GridWidgetTest, DoubleClickShortcuts) {
  start();
  click(6, 1);
  typeText(QStringLiteral("436.0125"));
  key(Qt::Key_Return);
  edit(6, 2, QString());
  ASSERT_EQ(field(6, 2), -1);

  dblClick(6, 2);  // TX := RX, then the editor opens on it
  EXPECT_EQ(field(6, 2), 43601250);
  EXPECT_EQ(field(6, 4), 0);
  EXPECT_EQ(cell(6, 4), QStringLiteral("None"));
  ASSERT_NE(qobject_cast<QLineEdit*>(editor()), nullptr);
  EXPECT_EQ(qobject_cast<QLineEdit*>(editor())->text(), QStringLiteral("436.0125"));
  key(Qt::Key_Escape);

  const int32_t cycle[] = {1, 2, 0};
  for (int32_t v : cycle) {
    dblClick(6, 7);
    EXPECT_EQ(field(6, 7), v);
    EXPECT_EQ(editor(), nullptr) << "a choice column opens no editor on the mouse";
  }
  EXPECT_EQ(cell(6, 7), QStringLiteral("High"));

  click(12, 1);
  typeText(QStringLiteral("440"));
  key(Qt::Key_Return);
  dblClick(12, 8);
  auto* line = qobject_cast<QLineEdit*>(editor());
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->text(), QStringLiteral("CH012"));
  key(Qt::Key_Return);
  EXPECT_EQ(names(12), (std::vector<int>{12, 17, 0, 1, 2}));
  EXPECT_EQ(cell(12, 8), QStringLiteral("CH012"));
  const std::vector<int> r = record(12);
  EXPECT_EQ(std::vector<int>(r.begin() + 13, r.end()), (std::vector<int>{12, 17, 0, 1, 2}));
}

TEST_F(GridWidgetTest, NamesKeepOnlyWhatTheRadioCanShow) {
  start();
  click(4, 1);
  typeText(QStringLiteral("440"));
  key(Qt::Key_Return);
  edit(4, 8, QStringLiteral("a.b"));
  EXPECT_EQ(names(4), (std::vector<int>{10, 255, 11, 36, 36}));
  EXPECT_EQ(cell(4, 8), QStringLiteral("A"));
  std::vector<int> r = record(4);
  EXPECT_EQ(std::vector<int>(r.begin() + 13, r.end()), (std::vector<int>{10, 255, 11, 36, 36}));
  edit(4, 8, QStringLiteral("z_9-long"));
  EXPECT_EQ(names(4), (std::vector<int>{35, 44, 9, 43, 21}));
  EXPECT_EQ(cell(4, 8), QStringLiteral("Z_9-L"));
  edit(4, 8, QStringLiteral("ü+%"));
  EXPECT_EQ(names(4), (std::vector<int>{255, 37, 39, 36, 36}));
  EXPECT_EQ(cell(4, 8), QString());
}

TEST_F(GridWidgetTest, RightClickAndTheMenuKeyOpenTheChannelMenu) {
  start(false, "ShowLock");  // a run starts unlocked whatever the settings file says
  EXPECT_FALSE(chLockItem()->isChecked());
  EXPECT_TRUE(ctx.st.LockState.isEmpty());
  click(5, 1);
  typeText(QStringLiteral("440"));
  key(Qt::Key_Return);
  QMenu* menu = w->findChild<QMenu*>(QStringLiteral("mnuPopMenuOne"));
  ASSERT_NE(menu, nullptr);
  auto item = [&](const char* name) { return w->chGridEdit().popItem(QString::fromLatin1(name)); };

  click(5, 3, Qt::RightButton);
  EXPECT_TRUE(menu->isVisible());
  EXPECT_EQ(w->chGridEdit().state().SelCh, 5);
  EXPECT_EQ(grid->row(), 5);
  EXPECT_EQ(item("mnuOpenCh")->text(), QStringLiteral("Open channel 5"));
  EXPECT_EQ(item("mnuDelOne")->text(), QStringLiteral("Delete channel 5"));
  EXPECT_EQ(item("mnuDelAll")->text(), QStringLiteral("Delete all channels"));
  EXPECT_FALSE(item("mnuOpenCh")->isEnabled());
  EXPECT_TRUE(item("mnuSaveDef")->isEnabled() && item("mnuDelOne")->isEnabled() && item("mnuDelAll")->isEnabled());
  EXPECT_TRUE(item("mnuPopChLock")->isVisible() && item("sepPopChLock")->isVisible());
  EXPECT_FALSE(item("mnuPopChLock")->isChecked());
  EXPECT_EQ(item("mnuPopChLock")->text(), QStringLiteral("&Lock Channel Interface"));
  menu->hide();

  // From the keyboard: the menu key and Shift+F10 act on the current cell.
  goTo(9, 2);
  key(Qt::Key_Menu);
  EXPECT_TRUE(menu->isVisible());
  EXPECT_EQ(w->chGridEdit().state().SelCh, 9);
  EXPECT_TRUE(item("mnuOpenCh")->isEnabled());
  EXPECT_FALSE(item("mnuDelOne")->isEnabled() || item("mnuSaveDef")->isEnabled());
  menu->hide();
  goTo(5, 6);
  key(Qt::Key_F10, Qt::ShiftModifier);
  EXPECT_TRUE(menu->isVisible());
  EXPECT_EQ(w->chGridEdit().state().SelCh, 5);
  menu->hide();

  // Locked (Ctrl+L): the selected cell looks like the others, the menu still opens with
  // its channel commands disabled, and edits change nothing.
  goTo(5, 2);
  EXPECT_TRUE(paintedIn(5, 2, ctx.st.SavedSelColor));
  key(Qt::Key_L, Qt::ControlModifier);
  EXPECT_TRUE(chLockItem()->isChecked());
  EXPECT_EQ(ctx.st.LockState, QStringLiteral("ShowLock"));
  EXPECT_EQ(notice(), QStringLiteral("Interface Locked"));
  EXPECT_EQ(savedLock(), QStringLiteral("ShowLock"));
  EXPECT_EQ(grid->editMode(), GridEditMode::None);
  EXPECT_TRUE(paintedIn(5, 2, kChGridBackColor));
  click(5, 3, Qt::RightButton);
  EXPECT_TRUE(menu->isVisible());
  EXPECT_TRUE(item("mnuPopChLock")->isChecked());
  for (const char* n : {"mnuOpenCh", "mnuSaveDef", "mnuDelOne", "mnuDelAll"}) EXPECT_FALSE(item(n)->isEnabled()) << n;
  menu->hide();
  goTo(5, 1);
  typeText(QStringLiteral("4"));
  EXPECT_EQ(editor(), nullptr);
  dblClick(5, 7);
  dblClick(5, 2);
  click(11, 3);
  EXPECT_EQ(editor(), nullptr);
  EXPECT_NE(grid->cellBackColor(11, 3), kRowHighlightColor);
  EXPECT_EQ(field(5, 7), 0);
  EXPECT_EQ(field(5, 1), 44000000);
  EXPECT_EQ(field(11, 1), -1);

  // The pop-up item unlocks: locking twice leaves "ShowNo" in the settings file.
  popUp(5, 3, "mnuPopChLock");
  EXPECT_FALSE(chLockItem()->isChecked());
  EXPECT_EQ(ctx.st.LockState, QStringLiteral("ShowNo"));
  EXPECT_EQ(notice(), QStringLiteral("Ready"));
  EXPECT_EQ(savedLock(), QStringLiteral("ShowNo"));
  EXPECT_EQ(grid->selBackColor(), ctx.st.SavedSelColor);
  click(11, 3);
  EXPECT_NE(editor(), nullptr) << "edits are taken again";
  key(Qt::Key_Escape);
}

TEST_F(GridWidgetTest, TheKeyboardReachesWhatTheMouseDoes) {
  start();
  goTo(9, 4);
  key(Qt::Key_Space);  // a click: the empty row opens its RX cell
  ASSERT_NE(editor(), nullptr);
  EXPECT_EQ(grid->cellBackColor(9, 2), kRowHighlightColor);
  typeText(QStringLiteral("441"));
  key(Qt::Key_Return);
  EXPECT_EQ(field(9, 2), 44100000);
  EXPECT_EQ(grid->col(), 5);

  const ChGridEdit& ed = w->chGridEdit().state();
  key(Qt::Key_Right);
  EXPECT_EQ(grid->col(), 6);
  EXPECT_EQ(ed.MouseRow, 9);
  EXPECT_EQ(ed.MouseCol, 6);
  key(Qt::Key_Up);
  EXPECT_EQ(grid->row(), 8);
  EXPECT_EQ(ed.MouseRow, 8);
  goTo(1, 1);
  key(Qt::Key_Left);
  key(Qt::Key_Up);
  EXPECT_EQ(ed.MouseRow, 1);
  EXPECT_EQ(ed.MouseCol, 1);
  EXPECT_EQ(grid->currentIndex(), grid->model()->index(0, 0));

  goTo(9, 7);
  key(Qt::Key_Return);  // a double click: the choice cycles
  EXPECT_EQ(field(9, 7), 1);
  EXPECT_EQ(cell(9, 7), QStringLiteral("Middle"));
  EXPECT_EQ(grid->cellBackColor(9, 1), kRowHighlightColor);
  goTo(9, 8);
  key(Qt::Key_Return);  // on the name: a name is proposed and the editor opens on it
  ASSERT_NE(qobject_cast<QLineEdit*>(editor()), nullptr);
  EXPECT_EQ(qobject_cast<QLineEdit*>(editor())->text(), QStringLiteral("CH009"));
  key(Qt::Key_Return);
  EXPECT_EQ(names(9), (std::vector<int>{12, 17, 0, 0, 9}));
  EXPECT_EQ(editor(), nullptr) << "the Enter that stores the name does not open the cell again";
  EXPECT_EQ(logged(), 0) << logText().toStdString();
}

TEST_F(GridWidgetTest, PopUpCommandsActOnTheRightClickedRow) {
  start();
  popUp(9, 3, "mnuOpenCh");  // the delivered defaults: 430 MHz both ways, no tones
  const QStringList opened = {"430", "430", "None", "None", "Wide", "Yes", "High", " CH-0"};
  for (int c = 1; c <= 8; ++c) EXPECT_EQ(cell(9, c), opened[c - 1]) << "column " << c;
  EXPECT_EQ(grid->currentIndex(), grid->model()->index(8, 0));
  popUp(199, 1, "mnuOpenCh");
  popUp(12, 4, "mnuDelAll");
  EXPECT_EQ(field(9, 1), -1);
  EXPECT_EQ(cell(9, 1), QString());
  EXPECT_EQ(field(199, 1), 43000000) << "the last row stays";
  popUp(199, 2, "mnuDelOne");
  EXPECT_EQ(field(199, 1), -1);
  EXPECT_EQ(logged(), 0) << logText().toStdString();
}

TEST_F(GridWidgetTest, LockingWhileACellIsBeingTypedStoresTheTypedValueFirst) {
  start();
  click(6, 1);
  typeText(QStringLiteral("441"));
  ASSERT_NE(editor(), nullptr);
  chLockItem()->trigger();
  EXPECT_EQ(editor(), nullptr);
  EXPECT_EQ(ctx.st.LockState, QStringLiteral("ShowLock"));
  EXPECT_EQ(field(6, 1), 44100000);
  EXPECT_EQ(field(6, 2), 44100000);
  EXPECT_EQ(cell(6, 1), QStringLiteral("441"));
}

// The notice blinks only once another part has set it back to "Ready" and the 30-second
// check has seen that; other notices are left alone; unlocking stops the blink.
TEST_F(GridWidgetTest, TheLockNoticeBlinksAfterTheNoticeWentBackToReady) {
  start();
  QtChLock& lock = main->chLock();
  EXPECT_TRUE(lock.tmrChLock()->isActive());
  EXPECT_EQ(lock.tmrChLock()->interval(), 30000);
  EXPECT_EQ(lock.tmrChLockBlink()->interval(), 5000);
  const QString ready = QStringLiteral("Ready"), locked = QStringLiteral("Interface Locked");
  chLockItem()->trigger();
  lock.tmrChLock_Timer();
  EXPECT_FALSE(lock.tmrChLockBlink()->isActive()) << "the notice still says locked";

  main->setStatusNotice(ready);
  lock.tmrChLock_Timer();
  EXPECT_EQ(notice(), locked);
  EXPECT_TRUE(lock.tmrChLockBlink()->isActive());
  lock.tmrChLockBlink_Timer();
  EXPECT_EQ(notice(), locked);
  lock.tmrChLockBlink_Timer();
  EXPECT_EQ(notice(), ready);
  main->setStatusNotice(QStringLiteral("Writing"));
  lock.tmrChLockBlink_Timer();
  EXPECT_EQ(notice(), QStringLiteral("Writing"));
  main->setStatusNotice(QString());
  lock.tmrChLockBlink_Timer();
  EXPECT_EQ(notice(), ready) << "the phase went on under the other notice";

  chLockItem()->trigger();
  EXPECT_EQ(notice(), ready);
  EXPECT_FALSE(lock.tmrChLockBlink()->isActive());

  // The timers themselves drive it.
  chLockItem()->trigger();
  main->setStatusNotice(ready);
  lock.tmrChLock()->setInterval(1);
  EXPECT_TRUE(QTest::qWaitFor([&] { return lock.tmrChLockBlink()->isActive() && notice() == locked; }, 2000));
  lock.tmrChLock()->stop();
  lock.tmrChLockBlink()->setInterval(1);
  EXPECT_TRUE(QTest::qWaitFor([&] { return notice() == ready; }, 2000));
  EXPECT_EQ(logged(), 0) << logText().toStdString();
}

}  // namespace
