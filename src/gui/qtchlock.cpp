#include "gui/qtchlock.h"

#include <QAction>
#include <QLabel>
#include <QTimer>
#include <QWidget>

namespace k52 {

namespace {
QTimer* makeTimer(const char* name, int ms, QWidget* window) {
  auto* t = new QTimer(window);
  t->setObjectName(QString::fromLatin1(name));
  t->setInterval(ms);
  return t;
}
}  // namespace

QtChLock::QtChLock(AppContext& ctx, QAction* mnuChLock, QLabel* notice, QWidget* window)
    : QObject(window),
      ctx_(ctx),
      mnuChLock_(mnuChLock),
      notice_(notice),
      tmrChLock_(makeTimer("tmrChLock", kChLockCheckMs, window)),
      tmrChLockBlink_(makeTimer("tmrChLockBlink", kChLockBlinkMs, window)) {
  setObjectName(QStringLiteral("chLock"));
  mnuChLock_->setCheckable(true);
  // The item's menu is not shown, so its shortcut Ctrl+L is the window's.
  window->addAction(mnuChLock_);
  connect(mnuChLock_, &QAction::triggered, this, [this](bool checked) {
    // The menu has already moved the check mark; the command moves it itself.
    mnuChLock_->setChecked(!checked);
    mnuChLock_Click(0);
  });
  connect(tmrChLock_, &QTimer::timeout, this, &QtChLock::tmrChLock_Timer);
  connect(tmrChLockBlink_, &QTimer::timeout, this, &QtChLock::tmrChLockBlink_Timer);
  tmrChLock_->start();
}

void QtChLock::mnuChLock_Click(int16_t Index) { k52::mnuChLock_Click(ctx_, *this, Index); }
void QtChLock::tmrChLock_Timer() { k52::tmrChLock_Timer(ctx_, *this); }
void QtChLock::tmrChLockBlink_Timer() { k52::tmrChLockBlink_Timer(ctx_, *this, BlinkPhase); }

bool QtChLock::chLockVisible() const { return mnuChLock_->isVisible(); }
bool QtChLock::chLockChecked() const { return mnuChLock_->isChecked(); }
void QtChLock::setChLockChecked(bool on) { mnuChLock_->setChecked(on); }
QString QtChLock::statusNotice() const { return notice_->text(); }
void QtChLock::setStatusNotice(const QString& text) { notice_->setText(text); }

void QtChLock::setBlinkEnabled(bool on) {
  if (!on)
    tmrChLockBlink_->stop();
  else if (!tmrChLockBlink_->isActive())
    tmrChLockBlink_->start();
}

}  // namespace k52
