#include "gui/qtchgridedit.h"

#include "app/chpopmenu.h"
#include "app/appcontext.h"
#include "gui/qtgrid.h"
#include "app/configundo.h"
#include "gui/qtchannelactions.h"
#include "core/langtexts.h"

#include <QAction>
#include <QEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>

namespace k52 {

namespace {

MouseButtonCode buttonCode(Qt::MouseButton b) {
  switch (b) {
    case Qt::LeftButton:
      return kLeftButton;
    case Qt::RightButton:
      return kRightButton;
    case Qt::MiddleButton:
      return kMiddleButton;
    default:
      return kNoButton;
  }
}

ShiftBits shiftCode(Qt::KeyboardModifiers m) {
  return static_cast<ShiftBits>((m & Qt::ShiftModifier ? kShiftBit : 0) | (m & Qt::ControlModifier ? kCtrlBit : 0) |
                                (m & Qt::AltModifier ? kAltBit : 0));
}

// The key codes the handlers know; other keys pass as their Latin-1 code or 0.
GridKeyCode keyCode(int key) {
  switch (key) {
    case Qt::Key_Left:
      return kKeyLeft;
    case Qt::Key_Up:
      return kKeyUp;
    case Qt::Key_Right:
      return kKeyRight;
    case Qt::Key_Down:
      return kKeyDown;
    default:
      return key <= 0xFF ? static_cast<GridKeyCode>(key) : kNoKey;
  }
}

constexpr const char* kPopItems[] = {"mnuOpenCh", "mnuSaveDef", "ListSeparator8", "mnuDelOne",
                                     "mnuDelAll", "sepPopChLock", "mnuPopChLock"};

}  // namespace

QtChGridEdit::QtChGridEdit(AppContext& ctx, QtGrid* grid, QWidget* menuOwner)
    : QObject(grid), ctx_(ctx), grid_(grid), mnuPopMenuOne_(new QMenu(menuOwner)) {
  setObjectName(QStringLiteral("chGridEdit"));
  ed_.menus = this;

  mnuPopMenuOne_->setObjectName(QStringLiteral("mnuPopMenuOne"));
  for (const char* name : kPopItems) {
    const QString n = QString::fromLatin1(name);
    QAction* a = n.startsWith(QLatin1String("mnu")) ? mnuPopMenuOne_->addAction(QString()) : mnuPopMenuOne_->addSeparator();
    a->setObjectName(n);
  }
  popItem(QStringLiteral("mnuPopChLock"))->setCheckable(true);
  popItem(QStringLiteral("sepPopChLock"))->setVisible(false);
  popItem(QStringLiteral("mnuPopChLock"))->setVisible(false);
  auto onItem = [this](const char* name, auto&& fn) {
    connect(popItem(QString::fromLatin1(name)), &QAction::triggered, this, fn);
  };
  // The row commands follow, before the lock item.
  actions_ = new QtChannelActions(ctx_, grid_);
  QAction* lockSeparator = popItem(QStringLiteral("sepPopChLock"));
  mnuPopMenuOne_->insertSeparator(lockSeparator);
  for (QAction* a : actions_->actions()) {
    if (a)
      mnuPopMenuOne_->insertAction(lockSeparator, a);
    else
      mnuPopMenuOne_->insertSeparator(lockSeparator);
  }
  // Each command that changes the table is one step of the undo history.
  auto step = [this](int text) { ctx_.views->configurationEdited(menuText(ctx_.text(text))); };
  onItem("mnuOpenCh", [this, step] {
    mnuOpenCh_Click(ctx_, ed_.SelCh);
    step(kTextOpenChannel);
  });
  onItem("mnuSaveDef", [this] { mnuSaveDef_Click(ctx_, ed_.SelCh); });
  onItem("mnuDelOne", [this, step] {
    mnuDelOne_Click(ctx_, ed_.SelCh);
    step(kTextDeleteChannel);
  });
  onItem("mnuDelAll", [this, step] {
    mnuDelAll_Click(ctx_);
    step(kTextDeleteAllChannels);
  });
  onItem("mnuPopChLock", [this] { mnuPopChLock_Click(ctx_, *this); });

  grid_->setBeforeEdit([this](int row, int col) {
    // A locked interface refuses every edit, however the editor was asked for.
    if (chInterfaceLocked(ctx_)) return false;
    bool cancel = false;
    vsfgGridCh_BeforeEdit(ctx_, row, col, cancel);
    return !cancel;
  });
  connect(grid_, &QtGrid::afterEdit, this, [this](int row, int col) {
    vsfgGridCh_AfterEdit(ctx_, row, col);
    ctx_.views->configurationEdited();
  });
  connect(grid_, &QtGrid::editCancelled, this, [this](int row, int col) { vsfgGridCh_EditCancelled(ctx_, row, col); });
  connect(grid_, &QtGrid::mouseDown, this, [this](int row, int col, Qt::MouseButton button, const QPoint& global) {
    ed_.MouseRow = row;
    ed_.MouseCol = col;
    popAt_ = global;
    vsfgGridCh_MouseDown(ctx_, ed_, buttonCode(button), kNoShift);
  });
  connect(grid_, &QtGrid::mouseUp, this, [this](int row, int col, Qt::MouseButton button) {
    ed_.MouseRow = row;
    ed_.MouseCol = col;
    if (button == Qt::LeftButton) vsfgGridCh_Click(ctx_, ed_);
  });
  connect(grid_, &QtGrid::dblClick, this, [this](int row, int col, Qt::MouseButton button) {
    ed_.MouseRow = row;
    ed_.MouseCol = col;
    if (button != Qt::LeftButton) return;
    vsfgGridCh_DblClick(ctx_);
    ctx_.views->configurationEdited();
  });
  connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { onCurrentCell(); });
  grid_->installEventFilter(this);
}

QAction* QtChGridEdit::popItem(const QString& name) const { return mnuPopMenuOne_->findChild<QAction*>(name); }

QAction* QtChGridEdit::mainLockItem() const { return grid_->window()->findChild<QAction*>(QStringLiteral("mnuChLock")); }

bool QtChGridEdit::chLockVisible() const {
  const QAction* a = mainLockItem();
  return a && a->isVisible();
}

bool QtChGridEdit::chLockChecked() const {
  const QAction* a = mainLockItem();
  return a && a->isChecked();
}

void QtChGridEdit::showPopMenu(const ChPopMenuItems& items) {
  auto set = [this](const char* name, const QString& caption, bool enabled) {
    QAction* a = popItem(QString::fromLatin1(name));
    a->setText(caption);
    a->setEnabled(enabled);
  };
  set("mnuOpenCh", items.openChCaption, items.openChEnabled);
  set("mnuSaveDef", items.saveDefCaption, items.saveDefEnabled);
  set("mnuDelOne", items.delOneCaption, items.delOneEnabled);
  set("mnuDelAll", items.delAllCaption, items.delAllEnabled);
  QAction* lock = popItem(QStringLiteral("mnuPopChLock"));
  popItem(QStringLiteral("sepPopChLock"))->setVisible(items.chLockVisible);
  lock->setVisible(items.chLockVisible);
  if (items.chLockVisible) {
    lock->setEnabled(items.chLockEnabled);
    lock->setText(items.chLockCaption);
  }
  lock->setChecked(items.chLockChecked);
  actions_->setCaptions();
  for (QAction* a : actions_->actions())
    if (a) a->setEnabled(!items.chLockChecked);
  mnuPopMenuOne_->popup(popAt_);
}

void QtChGridEdit::runChLock() {
  if (QAction* a = mainLockItem()) a->trigger();
}

void QtChGridEdit::onCurrentCell() {
  const int row = grid_->row(), col = grid_->col();
  vsfgGridCh_AfterRowColChange(ctx_, lastRow_, lastCol_, row, col);
  lastRow_ = row;
  lastCol_ = col;
}

void QtChGridEdit::keyClick() {
  ed_.MouseRow = grid_->row();
  ed_.MouseCol = grid_->col();
  vsfgGridCh_Click(ctx_, ed_);
}

void QtChGridEdit::keyDblClick() {
  // What a double click brings: the click of its first press, the shortcut, and the editor
  // on a column that opens it on the mouse.
  keyClick();
  vsfgGridCh_DblClick(ctx_);
  ctx_.views->configurationEdited();
  if (grid_->editMode() == GridEditMode::KbdMouse) grid_->startEdit();
}

void QtChGridEdit::keyMenu() {
  const int row = grid_->row(), col = grid_->col();
  ed_.MouseRow = row;
  ed_.MouseCol = col;
  const QRect cell = grid_->visualRect(grid_->model()->index(row - 1, col - 1));
  popAt_ = grid_->viewport()->mapToGlobal(cell.isValid() ? cell.bottomLeft() : QPoint(0, 0));
  vsfgGridCh_MouseDown(ctx_, ed_, kRightButton, kNoShift);
}

bool QtChGridEdit::eventFilter(QObject* watched, QEvent* event) {
  // Keys typed into an open editor reach the grid too; only the grid's own count here.
  if (watched != grid_ || event->type() != QEvent::KeyPress || !grid_->hasFocus()) return QObject::eventFilter(watched, event);
  auto* k = static_cast<QKeyEvent*>(event);
  const Qt::KeyboardModifiers mods = k->modifiers() & ~Qt::KeypadModifier;
  if (k->key() == Qt::Key_Menu || (k->key() == Qt::Key_F10 && mods == Qt::ShiftModifier)) {
    keyMenu();
    return true;
  }
  if (k->key() == Qt::Key_Space && mods == Qt::NoModifier) {
    keyClick();
    return true;
  }
  if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && mods == Qt::NoModifier) {
    keyDblClick();
    return true;
  }
  vsfgGridCh_KeyDown(ctx_, ed_, keyCode(k->key()), shiftCode(mods));
  return false;
}

}  // namespace k52
