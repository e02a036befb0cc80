// The channel grid of the real settings window in the real main window, offscreen, driven
// as a user drives it: clicks, typing, Enter, double clicks, right clicks, arrows and the
// menu key. What an edit makes of the channel (snapping, clamping, the VFO row, the lock's
// notice) is the logic test's (chgridedit); here each scenario checks that the widgets
// reach the logic, and what the grid and the tables hold afterwards.

#include "app/chgridedit.h"
#include "gui/frmSysSet.h"
#include "gui/qtchgridedit.h"
#include "gui/mdifrmMain.h"
#include "gui/qtchlock.h"
#include "support/guienv.h"
#include "gui/qtchannelactions.h"
#include "support/testenv.h"
#include "gui/qtgrid.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

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
  B names(int n) const { return {ctx.ch.ChNameCode(n, 0), ctx.ch.ChNameCode(n, 1), ctx.ch.ChNameCode(n, 2), ctx.ch.ChNameCode(n, 3), ctx.ch.ChNameCode(n, 4)}; }
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
  QString notice() const { return main->statusPanelText(1); }

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
  // An empty row takes edits in its RX cell only.
  for (int c : {2, 5, 8}) {
    goTo(9, c);
    key(Qt::Key_F2);
    key(Qt::Key_X);
    EXPECT_EQ(editor(), nullptr) << c;
  }

  dblClick(7, 7);
  EXPECT_EQ(field(7, 7), 1);
  EXPECT_EQ(editor(), nullptr) << "a choice column opens no editor on the mouse";
  dblClick(7, 8);  // a name is proposed and the editor opens on it
  EXPECT_EQ(editorText(), QStringLiteral("CH007"));
  key(Qt::Key_Escape);
  EXPECT_EQ(grid->text(7, 8), QString()) << "Escape takes the proposal back";
  EXPECT_EQ(names(7), B(5, 255));
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
  EXPECT_EQ(names(9), (B{12, 17, 0, 0, 9}));
  // Characters the radio cannot show are left out, and the status bar names them.
  goTo(9, 8);
  key(Qt::Key_F2);
  key(Qt::Key_A, Qt::ControlModifier);
  typeText(QStringLiteral("保ab"));
  key(Qt::Key_Return);
  EXPECT_EQ(notice(), QStringLiteral("Characters the radio cannot show were left out: 保"));
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
    EXPECT_TRUE(menu()->isVisible());
    EXPECT_EQ(w->chGridEdit().state().SelCh, r);
    EXPECT_EQ(item("mnuDelOne")->isEnabled(), r == 5);
    menu()->hide();
  }
  // Ctrl+L locks: the menu still opens with its commands off, and edits change nothing.
  goTo(5, 2);
  key(Qt::Key_L, Qt::ControlModifier);
  EXPECT_TRUE(chLockItem()->isChecked());
  EXPECT_EQ(env.setting("ChannelLock"), QStringLiteral("ShowLock"));
  EXPECT_EQ(grid->selBackColor(), ctx.st.SavedBackColor) << "the selected cell looks like the others";
  click(5, 3, Qt::RightButton);
  EXPECT_TRUE(menu()->isVisible() && item("mnuPopChLock")->isChecked() && !item("mnuDelAll")->isEnabled());
  menu()->hide();
  goTo(5, 1);
  typeText(QStringLiteral("4"));
  dblClick(5, 7);
  dblClick(5, 2);
  click(11, 3);
  EXPECT_EQ(editor(), nullptr);
  EXPECT_EQ(row(5), QStringLiteral("440|440|None|None|Wide|Yes|High|"));
  // The pop-up item unlocks.
  popUp(5, 3, "mnuPopChLock");
  EXPECT_FALSE(chLockItem()->isChecked() || menu()->isVisible());
  EXPECT_EQ(ctx.st.LockState + env.setting("ChannelLock"), QStringLiteral("ShowNoShowNo"));
  // The menu's commands act on the row that was right-clicked.
  popUp(9, 3, "mnuOpenCh");  // the delivered defaults: 430 MHz both ways, no tones
  EXPECT_EQ(row(9), QStringLiteral("430|430|None|None|Wide|Yes|High| CH-0"));
  popUp(9, 2, "mnuDelOne");
  EXPECT_EQ(field(9, 1), -1);
  popUp(12, 4, "mnuDelAll");
  EXPECT_EQ(field(5, 1), -1);
  EXPECT_EQ(ctx.log.entriesLogged(), 0) << env.log();
}

TEST_F(GridWidgetTest, LockingWhileACellIsTypedStoresItAndTheTimersDriveTheBlink) {
  start();
  click(6, 1);
  typeText(QStringLiteral("441"));
  ASSERT_NE(editor(), nullptr);
  chLockItem()->trigger();
  EXPECT_EQ(editor(), nullptr);
  EXPECT_EQ(row(6).left(8), QStringLiteral("441|441|"));
  QtChLock& lock = main->chLock();
  main->setStatusNotice(QStringLiteral("Ready"));
  lock.tmrChLock()->setInterval(1);
  EXPECT_TRUE(QTest::qWaitFor([&] { return lock.tmrChLockBlink()->isActive() && notice() == QStringLiteral("Interface Locked"); }, 2000));
  lock.tmrChLock()->stop();
  lock.tmrChLockBlink()->setInterval(1);
  EXPECT_TRUE(QTest::qWaitFor([&] { return notice() == QStringLiteral("Ready"); }, 2000));
  chLockItem()->trigger();
  EXPECT_FALSE(lock.tmrChLockBlink()->isActive());
  EXPECT_EQ(ctx.log.entriesLogged(), 0) << env.log();
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
            QStringLiteral("These rows cannot be taken as they stand:\nRow 1, Frequency: 441.0033 cannot be taken\n"
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
