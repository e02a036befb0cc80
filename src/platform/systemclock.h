#pragma once
// The system's clock: the date and time of day, monotonic ticks, and waits that sleep in
// the event loop.

#include "core/clock.h"

namespace k52 {

class SystemClock final : public Clock {
 public:
  SystemClock();
  QDateTime now() const override;
  int64_t tickMs() const override;
  void waitEvents(int64_t ms, const std::function<bool()>& done = {}) const override;
  void sleepMs(int64_t ms) const override;

 private:
  int64_t origin_;
};

}  // namespace k52
