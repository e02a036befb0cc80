#pragma once
// What the window tests share: the main window started on a test program.

#include "gui/mdifrmMain.h"
#include "support/testenv.h"

#include <QSize>
#include <memory>

namespace k52::test {

// A main window on ctx's program, shown (at the given size) and through its start-up;
// nullptr when start-up did not finish.
std::unique_ptr<mdifrmMain> startMainWindow(AppContext& ctx, QSize size = {});

}  // namespace k52::test
