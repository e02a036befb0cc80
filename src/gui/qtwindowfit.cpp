#include "gui/qtwindowfit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>

namespace k52 {

namespace {

// A frame the window manager has not drawn yet: a title bar and thin borders.
constexpr QMargins kUnknownFrame(8, 32, 8, 8);

QMargins frameOf(const QWidget* window) {
  if (!window->isVisible()) return kUnknownFrame;
  const QRect inner = window->geometry(), outer = window->frameGeometry();
  const QMargins m(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                   outer.bottom() - inner.bottom());
  return m.isNull() ? kUnknownFrame : m;
}

}  // namespace

QSize fittedSize(QSize wanted, QRect available, QMargins frame) {
  const QSize room = available.marginsRemoved(frame).size();
  return QSize(std::max(1, std::min(wanted.width(), room.width())), std::max(1, std::min(wanted.height(), room.height())));
}

void fitToScreen(QWidget* window, QSize wanted) {
  const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect available = screen->availableGeometry();
  const QMargins frame = frameOf(window);
  if (wanted.isEmpty()) wanted = window->size();
  const QSize size = fittedSize(wanted.expandedTo(window->minimumSize()), available, frame)
                         .expandedTo(QSize(1, 1))
                         .boundedTo(window->maximumSize());
  window->resize(size);
  // Moved so that the frame's top left corner and as much as fits are on the free area.
  QRect outer(window->pos(), size.grownBy(frame));
  if (outer.right() > available.right()) outer.moveRight(available.right());
  if (outer.bottom() > available.bottom()) outer.moveBottom(available.bottom());
  if (outer.left() < available.left()) outer.moveLeft(available.left());
  if (outer.top() < available.top()) outer.moveTop(available.top());
  window->move(outer.topLeft());
}

QScrollArea* scrollingBody(QWidget* window, QWidget* content) {
  auto* scroll = new QScrollArea(window);
  scroll->setObjectName(window->objectName() + QStringLiteral("Scroll"));
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(false);
  scroll->setWidget(content);
  auto* layout = new QVBoxLayout(window);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(scroll);
  return scroll;
}

}  // namespace k52
