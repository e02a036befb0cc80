// The channel grid of the real settings window in the real main window, offscreen, driven
// as a user drives it: clicks, typing, Enter, double clicks, right clicks, arrows and the
// menu key. The values the logic makes of an edit (snapping, clamping, the VFO row) are the
// logic test's (chgridedit); here each scenario checks that the widgets reach the logic,
// and what the grid, the tables and the encoded image hold afterwards.

#include "editor/chgridedit.h"
#include "editor/frmSysSet.h"
#include "editor/qtchgridedit.h"
#include "image/chgrid.h"
#include "shell/mdifrmMain.h"
#include "shell/qtchlock.h"
#include "support/testenv.h"
#include "ui/qtgrid.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace k52;

namespace {

// QTest sends the keys to the widget that has the keyboard focus at each key.
QWidget* const toFocus = nullptr;

using B = std::vector<int>;

// Qt's own warnings are kept (and still printed): the table complains about editors it is
// made to close twice.
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
  // Starts the program in English with the delivered files and what the settings file
  // says of the lock.
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
    logBase = ctx.log.entriesLogged();
  }

  QPoint center(int row, int col) {
    const QModelIndex i = grid->model()->index(row - 1, col - 1);
    grid->scrollTo(i);
    return grid->visualRect(i).center();
  }
  void click(int row, int col, Qt::MouseButton b = Qt::LeftButton) {
    QTest::mouseClick(grid->viewport(), b, {}, center(row, col));
    QApplication::processEvents();
  }
  void dblClick(int row, int col) {
    const QPoint p = center(row, col);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, p);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, p);
    QApplication::processEvents();
  }
  // Keys go where the keyboard focus is: the grid, or the editor it opened.
  void key(Qt::Key k, Qt::KeyboardModifiers m = {}) {
    QTest::keyClick(QApplication::focusWidget(), k, m);
    QApplication::processEvents();
  }
  // Characters as a keyboard sends them (letters outside ASCII included).
  void typeText(const QString& text) {
    for (const QChar ch : text) {
      QKeyEvent press(QEvent::KeyPress, ch.toUpper().unicode(), Qt::NoModifier, QString(ch));
      QApplication::sendEvent(QApplication::focusWidget(), &press);
      QKeyEvent release(QEvent::KeyRelease, ch.toUpper().unicode(), Qt::NoModifier, QString(ch));
      QApplication::sendEvent(QApplication::focusWidget(), &release);
      QApplication::processEvents();
    }
  }
  // The cell's editor, when one is open.
  QWidget* editor() const {
    QWidget* f = QApplication::focusWidget();
    return f && grid->viewport()->isAncestorOf(f) ? f : nullptr;
  }
  QString editorText() const {
    auto* line = qobject_cast<QLineEdit*>(editor());
    return line ? line->text() : QStringLiteral("<no line editor>");
  }
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
    key(Qt::Key_Backspace);
    typeText(text);
    key(Qt::Key_Return);
  }
  // A new channel n on RX text: a click on its empty row, the text, Enter.
  void newChannel(int n, const QString& rx) {
    click(n, 1);
    typeText(rx);
    key(Qt::Key_Return);
  }
  int32_t field(int n, int f) const { return ctx.ch.ChInfo(n, f); }
  QString cell(int r, int c) const { return grid->text(r, c); }
  QString row(int r) const {
    QStringList v;
    for (int c = 1; c <= 8; ++c) v << grid->text(r, c);
    return v.join(QLatin1Char('|'));
  }
  B names(int n) const {
    B v;
    for (int i = 0; i < 5; ++i) v.push_back(ctx.ch.ChNameCode(n, i));
    return v;
  }
  int logged() const { return ctx.log.entriesLogged() - logBase; }
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
    EXPECT_FALSE(menu()->isVisible()) << name;
  }
  QAction* chLockItem() const { return main->menuItem(QStringLiteral("mnuChLock")); }
  QString notice() const { return main->statusPanelText(1); }

  test::TestEnv env;
  AppContext& ctx = *env.ctx;
  std::unique_ptr<mdifrmMain> main;
  frmSysSet* w = nullptr;
  QtGrid* grid = nullptr;
  int logBase = 0;
  QStringList seen;
};

TEST_F(GridWidgetTest, ClickingAnEmptyRowAndTypingRxCompletesTheChannel) {
  start();
  click(3, 6);
  ASSERT_NE(editor(), nullptr) << "a click on an empty row opens its RX cell";
  EXPECT_EQ(std::make_pair(grid->row(), grid->col()), std::make_pair(3, 1));
  typeText(QStringLiteral("436.0237"));
  key(Qt::Key_Return);
  EXPECT_EQ(editor(), nullptr);
  EXPECT_EQ(row(3), QStringLiteral("436.025|436.025|None|None|Wide|Yes|High|"));
  EXPECT_EQ(std::make_pair(grid->row(), grid->col()), std::make_pair(3, 5));
  EXPECT_EQ(grid->currentIndex(), grid->model()->index(2, 4)) << "the table's current cell is the grid's";

  // The next channel is left by a click on another empty row: stored, and that row opens.
  click(4, 2);
  typeText(QStringLiteral("445.5"));
  click(10, 6);
  EXPECT_EQ(row(4), QStringLiteral("445.5|445.5|None|None|Wide|Yes|High|"));
  ASSERT_NE(editor(), nullptr);
  EXPECT_EQ(grid->currentIndex(), grid->model()->index(9, 0));
  key(Qt::Key_Escape);
  EXPECT_EQ(field(10, 1), -1);
  EXPECT_EQ(logged(), 0) << env.log();
  EXPECT_FALSE(seen.join(QLatin1Char('\n')).contains(QLatin1String("closeEditor"))) << seen.join(QLatin1Char('\n')).toStdString();
}

TEST_F(GridWidgetTest, AClickOnTheSelectedCellAndKeysTypedAtOnceGoToThatCellOrTheEditorOpensAfterTheDoubleClickWait) {
  start();
  newChannel(1, QStringLiteral("400"));
  newChannel(2, QStringLiteral("430"));
  click(2, 1);
  ASSERT_EQ(editor(), nullptr) << "the first click only selects";
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, center(2, 1));
  QTest::keyClicks(toFocus, QStringLiteral("445"));
  QTest::keyClick(toFocus, Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_EQ((B{field(1, 1), field(2, 1)}), (B{40000000, 44500000}));
  // Without a key, the editor opens once no double click can follow.
  click(2, 8);
  click(2, 8);
  EXPECT_TRUE(QTest::qWaitFor([&] { return editor() != nullptr; }, 30000));
  key(Qt::Key_Escape);
  EXPECT_EQ(logged(), 0) << env.log();
}

TEST_F(GridWidgetTest, ToneAndChoiceDropDownsAndRefusedEdits) {
  start();
  newChannel(7, QStringLiteral("446"));
  goTo(7, 3);
  key(Qt::Key_F2);
  auto* combo = qobject_cast<QComboBox*>(editor());
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->currentText(), QStringLiteral("None"));
  key(Qt::Key_End);
  key(Qt::Key_Return);
  goTo(7, 4);
  key(Qt::Key_D);  // typing opens the list on the first entry that starts so
  ASSERT_NE(qobject_cast<QComboBox*>(editor()), nullptr);
  key(Qt::Key_Return);
  goTo(7, 7);
  key(Qt::Key_F2);
  ASSERT_NE(qobject_cast<QComboBox*>(editor()), nullptr);
  key(Qt::Key_Down);
  key(Qt::Key_Return);
  EXPECT_EQ(row(7), QStringLiteral("446|446|D754I|D023N|Wide|Yes|Middle|"));

  // Receive-only: the encode tone cannot be edited. An empty row: only RX can.
  edit(7, 2, QString());
  for (const auto& [r0, c] : {std::pair{7, 4}, {9, 2}, {9, 3}, {9, 5}, {9, 8}}) {
    goTo(r0, c);
    key(Qt::Key_F2);
    EXPECT_EQ(editor(), nullptr) << r0 << "," << c;
    key(Qt::Key_X);
    EXPECT_EQ(editor(), nullptr) << r0 << "," << c;
  }
  EXPECT_EQ((B{field(7, 4), field(9, 1)}), (B{-1, -1}));
  EXPECT_EQ(row(9), QStringLiteral("|||||||"));
  EXPECT_EQ(logged(), 0) << env.log();
}

TEST_F(GridWidgetTest, DoubleClicksAndTheirKeys) {
  start();
  newChannel(6, QStringLiteral("436.0125"));
  edit(6, 2, QString());
  dblClick(6, 2);  // TX := RX, then the editor opens on it
  EXPECT_EQ(field(6, 2), 43601250);
  EXPECT_EQ(editorText(), QStringLiteral("436.0125"));
  key(Qt::Key_Escape);
  dblClick(6, 7);
  EXPECT_EQ(field(6, 7), 1);
  EXPECT_EQ(editor(), nullptr) << "a choice column opens no editor on the mouse";
  dblClick(6, 8);  // a name is proposed and the editor opens on it
  EXPECT_EQ(editorText(), QStringLiteral("CH006"));
  key(Qt::Key_Escape);
  EXPECT_EQ(cell(6, 8), QString()) << "Escape takes the proposal back: the cell shows what is stored";
  EXPECT_EQ(names(6), (B{255, 255, 255, 255, 255}));
  dblClick(6, 8);
  key(Qt::Key_Return);
  EXPECT_EQ(names(6), (B{12, 17, 0, 0, 6}));

  // From the keyboard: space clicks (an empty row opens its RX cell), Enter double-clicks.
  goTo(9, 4);
  key(Qt::Key_Space);
  ASSERT_NE(editor(), nullptr);
  typeText(QStringLiteral("441"));
  key(Qt::Key_Return);
  EXPECT_EQ(field(9, 2), 44100000);
  const ChGridEdit& ed = w->chGridEdit().state();  // the arrows move the pointer the logic keeps
  key(Qt::Key_Right);
  key(Qt::Key_Up);
  EXPECT_EQ(std::make_pair(ed.MouseRow, ed.MouseCol), std::make_pair(8, 6));
  goTo(9, 7);
  key(Qt::Key_Return);
  EXPECT_EQ(cell(9, 7), QStringLiteral("Middle"));
  goTo(9, 8);
  key(Qt::Key_Return);
  EXPECT_EQ(editorText(), QStringLiteral("CH009"));
  key(Qt::Key_Return);
  EXPECT_EQ(editor(), nullptr) << "the Enter that stores the name does not open the cell again";
  // Characters the radio cannot show are left out, and the status bar names them.
  edit(9, 8, QStringLiteral("保安ab1"));
  EXPECT_EQ(names(9), (B{10, 11, 1, 36, 36}));
  EXPECT_EQ(cell(9, 8), QStringLiteral("AB1  "));
  EXPECT_EQ(notice(), QStringLiteral("Characters the radio cannot show were left out: 保安"));
  EXPECT_EQ(logged(), 0) << env.log();
}

TEST_F(GridWidgetTest, TheChannelMenuByMouseAndKeyAndTheLockThatBlocksEveryEdit) {
  start("ShowLock");  // a run starts unlocked whatever the settings file says
  EXPECT_FALSE(chLockItem()->isChecked());
  EXPECT_TRUE(ctx.st.LockState.isEmpty());
  newChannel(5, QStringLiteral("440"));
  ASSERT_EQ(menu(), w->findChild<QMenu*>(QStringLiteral("mnuPopMenuOne")));
  click(5, 3, Qt::RightButton);
  EXPECT_TRUE(menu()->isVisible());
  EXPECT_EQ(grid->row(), 5);
  EXPECT_TRUE(item("mnuDelOne")->isEnabled() && !item("mnuOpenCh")->isEnabled() && !item("mnuPopChLock")->isChecked());
  menu()->hide();
  // The menu key and Shift+F10 act on the current cell.
  for (const auto& [r, k, m] : {std::tuple{9, Qt::Key_Menu, Qt::KeyboardModifiers()}, {5, Qt::Key_F10, Qt::ShiftModifier}}) {
    goTo(r, 2);
    key(k, m);
    EXPECT_TRUE(menu()->isVisible());
    EXPECT_EQ(w->chGridEdit().state().SelCh, r);
    menu()->hide();
  }

  // Locked (Ctrl+L): the selection is not shown, the menu still opens, and edits change
  // nothing.
  goTo(5, 2);
  key(Qt::Key_L, Qt::ControlModifier);
  EXPECT_TRUE(chLockItem()->isChecked());
  EXPECT_EQ(ctx.st.LockState, QStringLiteral("ShowLock"));
  EXPECT_EQ(notice(), QStringLiteral("Interface Locked"));
  EXPECT_EQ(env.setting("ChannelLock"), QStringLiteral("ShowLock"));
  EXPECT_EQ(grid->editMode(), GridEditMode::None);
  EXPECT_EQ(grid->selBackColor(), ctx.st.SavedBackColor) << "the selected cell looks like the others";
  click(5, 3, Qt::RightButton);
  EXPECT_TRUE(menu()->isVisible() && item("mnuPopChLock")->isChecked() && !item("mnuDelAll")->isEnabled());
  menu()->hide();
  goTo(5, 1);
  typeText(QStringLiteral("4"));
  EXPECT_EQ(editor(), nullptr);
  dblClick(5, 7);
  dblClick(5, 2);
  click(11, 3);
  EXPECT_EQ(editor(), nullptr);
  EXPECT_EQ(row(5), QStringLiteral("440|440|None|None|Wide|Yes|High|"));
  EXPECT_EQ(field(11, 1), -1);

  // The pop-up item unlocks: locking twice leaves "ShowNo" in the settings file.
  popUp(5, 3, "mnuPopChLock");
  EXPECT_FALSE(chLockItem()->isChecked());
  EXPECT_EQ(ctx.st.LockState + notice() + env.setting("ChannelLock"), QStringLiteral("ShowNoReadyShowNo"));
  EXPECT_EQ(grid->selBackColor(), ctx.st.SavedSelColor);
  click(11, 3);
  EXPECT_NE(editor(), nullptr) << "edits are taken again";
  key(Qt::Key_Escape);

  // The menu's commands act on the row that was right-clicked.
  popUp(9, 3, "mnuOpenCh");  // the delivered defaults: 430 MHz both ways, no tones
  EXPECT_EQ(row(9), QStringLiteral("430|430|None|None|Wide|Yes|High| CH-0"));
  EXPECT_EQ(grid->currentIndex(), grid->model()->index(8, 0));
  popUp(9, 2, "mnuDelOne");
  EXPECT_EQ(field(9, 1), -1);
  popUp(12, 4, "mnuDelAll");
  EXPECT_EQ(field(5, 1), -1);
  EXPECT_EQ(logged(), 0) << env.log();
}

TEST_F(GridWidgetTest, LockingWhileACellIsTypedStoresItAndTheNoticeBlinksOnceBackToReady) {
  start();
  click(6, 1);
  typeText(QStringLiteral("441"));
  ASSERT_NE(editor(), nullptr);
  chLockItem()->trigger();
  EXPECT_EQ(editor(), nullptr);
  EXPECT_EQ(ctx.st.LockState, QStringLiteral("ShowLock"));
  EXPECT_EQ(row(6).left(8), QStringLiteral("441|441|"));

  // The notice blinks only once another part has set it back to "Ready" and the 30-second
  // check has seen that; other notices are left alone; unlocking stops the blink.
  QtChLock& lock = main->chLock();
  EXPECT_TRUE(lock.tmrChLock()->isActive());
  const QString ready = QStringLiteral("Ready"), locked = QStringLiteral("Interface Locked");
  lock.tmrChLock_Timer();
  EXPECT_FALSE(lock.tmrChLockBlink()->isActive()) << "the notice still says locked";
  main->setStatusNotice(ready);
  lock.tmrChLock_Timer();
  EXPECT_TRUE(notice() == locked && lock.tmrChLockBlink()->isActive());
  QStringList phases;
  for (const QString& other : {QString(), QString(), QStringLiteral("Writing"), QString()}) {
    if (!other.isNull()) main->setStatusNotice(other);
    lock.tmrChLockBlink_Timer();
    phases << notice();
    if (!other.isNull()) main->setStatusNotice(QString());
  }
  EXPECT_EQ(phases, (QStringList{locked, ready, QStringLiteral("Writing"), ready})) << "the phase goes on under another notice";
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
  EXPECT_EQ(logged(), 0) << env.log();
}

}  // namespace
