#include "platform/systemclock.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <thread>

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

void SystemClock::waitEvents(int64_t ms, const std::function<bool()>& done) const {
  if (ms <= 0) return;
  using namespace std::chrono;
  ms = std::min<int64_t>(ms, 24LL * 3600 * 1000);
  const auto deadline = steady_clock::now() + milliseconds(ms);
  // The event loop sleeps until the next event or the timer; events that arrive meanwhile
  // (paints, timer ticks, the serial port's data) are handled inside exec(). Its timer
  // wakes up to a millisecond late: a plain wait sets it short of the deadline and sleeps
  // the rest precisely (a transfer waits some thousand times, and the lateness adds up);
  // a wait for data ends when the data is in, and its lateness only stretches a time-out.
  const int64_t loopMs = done ? ms : ms - 1;
  if (loopMs > 0) {
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QMetaObject::Connection watch;
    if (done) {
      if (done()) return;
      // Checked each time the loop has handled what arrived and is about to sleep again.
      if (auto* dispatcher = QAbstractEventDispatcher::instance())
        watch = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &loop, [&] {
          if (done()) loop.quit();
        });
    }
    timer.start(static_cast<int>(loopMs));
    loop.exec();
    QObject::disconnect(watch);
  }
  if (done) return;
  QCoreApplication::processEvents();
  std::this_thread::sleep_until(deadline);
}

void SystemClock::sleepMs(int64_t ms) const {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace k52
