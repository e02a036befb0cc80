#pragma once
// What the window tests share: the main window started on a test program.

#include "gui/mdifrmMain.h"
#include "support/testenv.h"

#include <QSize>
#include <initializer_list>
#include <memory>

namespace k52::test {

// A main window on ctx's program, shown (at the given size) and through its start-up;
// nullptr when start-up did not finish.
std::unique_ptr<mdifrmMain> startMainWindow(AppContext& ctx, QSize size = {});
// Chooses a menu item with the mouse: a menu of the menu bar, its sub-menus, the item
// (each named as the program names it).
void chooseMenu(mdifrmMain& w, std::initializer_list<const char*> path);

}  // namespace k52::test
