#include "ui/clock.h"

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

}  // namespace k52
