#pragma once
// Windows on small screens: a window never opens larger than the area its screen leaves
// free beside the desktop's panels, and what its content needs beyond that is reached by
// scrolling.

#include <QMargins>
#include <QRect>
#include <QSize>

class QScrollArea;
class QWidget;

namespace k52 {

// The size of a window that wants `wanted` on a free area `available`, with a frame (title
// bar and borders) of `frame` around it: as wanted, made smaller where the frame would leave
// the area.
QSize fittedSize(QSize wanted, QRect available, QMargins frame);

// Resizes the top-level window `window` to `wanted` (its present size when empty), or less
// where its screen is smaller, and moves it onto the free area of the screen.
void fitToScreen(QWidget* window, QSize wanted = QSize());

// Puts `content` into a scroll area that fills `window`; a window of a fixed layout keeps its
// content's size where the screen has room and scrolls where it has not.
QScrollArea* scrollingBody(QWidget* window, QWidget* content);

}  // namespace k52
