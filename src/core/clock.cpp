#include "core/clock.h"

#include <QCoreApplication>

namespace k52 {

void ManualClock::waitEvents(int64_t ms, const std::function<bool()>& /*done*/) const {
  if (QCoreApplication::instance()) QCoreApplication::processEvents();
  if (ms <= 0) return;
  ticks_ += ms;
  at_ = at_.addMSecs(ms);
}

}  // namespace k52
