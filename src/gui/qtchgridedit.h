#pragma once
// The channel grid's events on the Qt table, passed to the editing handlers, and the
// channel pop-up menu mnuPopMenuOne, owned by the settings window, whose commands act on
// the row it was opened for.
//
// The keyboard reaches what the mouse does, on the current cell: the arrow keys (and every
// other move) select the cell, Space acts as a click on it, Enter as a double click (and
// opens the editor where a double click would), F2 opens the editor, and the menu key or
// Shift+F10 opens the pop-up menu for its row.

#include "app/chgridedit.h"

#include <QObject>
#include <QPoint>

class QAction;
class QMenu;
class QWidget;

namespace k52 {

struct AppContext;
class QtGrid;
class QtChannelActions;

class QtChGridEdit final : public QObject, public ChGridMenus {
  Q_OBJECT
 public:
  // menuOwner owns the pop-up menu; the main menu's lock item is looked up in the window
  // the grid sits in.
  QtChGridEdit(AppContext& ctx, QtGrid* grid, QWidget* menuOwner);

  ChGridEdit& state() { return ed_; }
  QMenu* popMenu() const { return mnuPopMenuOne_; }
  // The row commands (clipboard, delete, insert, move, sort), in the pop-up menu too.
  QtChannelActions& channelActions() const { return *actions_; }
  // An item of the pop-up menu by its name ("mnuDelOne").
  QAction* popItem(const QString& name) const;

  // ChGridMenus
  bool chLockVisible() const override;
  bool chLockChecked() const override;
  void showPopMenu(const ChPopMenuItems& items) override;
  void runChLock() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QAction* mainLockItem() const;
  void onCurrentCell();
  // The keyboard's click, double click and menu, on the current cell.
  void keyClick();
  void keyDblClick();
  void keyMenu();

  AppContext& ctx_;
  QtGrid* grid_;
  ChGridEdit ed_;
  QMenu* mnuPopMenuOne_;
  QtChannelActions* actions_ = nullptr;
  QPoint popAt_;
  int lastRow_ = -1, lastCol_ = -1;
};

}  // namespace k52
