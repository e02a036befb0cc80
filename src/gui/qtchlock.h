#pragma once
// The channel-interface lock on the main window: its menu item mnuChLock, the notice panel
// of the status bar, and the window's two timers tmrChLock and tmrChLockBlink.

#include "app/chlock.h"

#include <QObject>

class QAction;
class QLabel;
class QTimer;
class QWidget;

namespace k52 {

struct AppContext;

class QtChLock final : public QObject, public ChLockFace {
  Q_OBJECT
 public:
  // The timers are children of window; tmrChLock runs from now on.
  QtChLock(AppContext& ctx, QAction* mnuChLock, QLabel* notice, QWidget* window);

  void mnuChLock_Click(int16_t Index);
  void tmrChLock_Timer();
  void tmrChLockBlink_Timer();

  QTimer* tmrChLock() const { return tmrChLock_; }
  QTimer* tmrChLockBlink() const { return tmrChLockBlink_; }
  int16_t blinkPhase() const { return BlinkPhase; }

  // ChLockFace
  bool chLockVisible() const override;
  bool chLockChecked() const override;
  void setChLockChecked(bool on) override;
  QString statusNotice() const override;
  void setStatusNotice(const QString& text) override;
  void setBlinkEnabled(bool on) override;

 private:
  AppContext& ctx_;
  QAction* mnuChLock_;
  QLabel* notice_;
  QTimer* tmrChLock_;
  QTimer* tmrChLockBlink_;
  int16_t BlinkPhase = 0;  // never reset
};

}  // namespace k52
