#include "ui/clock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>

namespace k52 {

namespace {
int64_t steadyMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
}  // namespace

SystemClock::SystemClock() : origin_(steadyMs()) {}
QDateTime SystemClock::now() const { return QDateTime::currentDateTime(); }
int64_t SystemClock::tickMs() const { return steadyMs() - origin_; }

void SystemClock::waitEvents(int64_t ms) const {
  if (ms <= 0) return;
  // The thread sleeps until the next event or the timer; events that arrive meanwhile
  // (paints, timer ticks, the serial port's data) are handled inside exec().
  QEventLoop loop;
  QTimer timer;
  timer.setSingleShot(true);
  timer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  timer.start(static_cast<int>(std::min<int64_t>(ms, 24LL * 3600 * 1000)));
  loop.exec();
}

void ManualClock::waitEvents(int64_t ms) const {
  if (QCoreApplication::instance()) QCoreApplication::processEvents();
  if (ms <= 0) return;
  ticks_ += ms;
  at_ = at_.addMSecs(ms);
}

}  // namespace k52
