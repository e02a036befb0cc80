#pragma once
// The clock seam: the date and time the program stamps and logs, and its millisecond
// ticks. Production uses the system clock; tests set the time they want.

#include <QDateTime>
#include <cstdint>
#include <functional>

namespace k52 {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual QDateTime now() const = 0;
  // Monotonic milliseconds since an arbitrary start.
  virtual int64_t tickMs() const = 0;
  // Lets pending and arriving events run for ms milliseconds, sleeping in the event loop
  // in between (the waits of the communication code). When done is given, the wait ends
  // as soon as done() holds after events were handled (data the port was waiting for).
  virtual void waitEvents(int64_t ms, const std::function<bool()>& done = {}) const = 0;
  // Sleeps ms milliseconds without handling events: nothing that arrives meanwhile wakes
  // the thread; it is handled by the next wait.
  virtual void sleepMs(int64_t ms) const { waitEvents(ms); }
};

// A clock whose time only moves when told to, or when something waits on it: a wait
// runs the events already pending and moves the time on by the whole wait at once
// (whatever done says, so that counts of waits do not depend on when events arrive).
class ManualClock final : public Clock {
 public:
  explicit ManualClock(QDateTime at = QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5))) : at_(std::move(at)) {}
  QDateTime now() const override { return at_; }
  int64_t tickMs() const override { return ticks_; }
  void waitEvents(int64_t ms, const std::function<bool()>& done = {}) const override;
  void set(const QDateTime& at) { at_ = at; }
  void advance(int64_t ms) {
    ticks_ += ms;
    at_ = at_.addMSecs(ms);
  }

 private:
  mutable QDateTime at_;
  mutable int64_t ticks_ = 0;
};

}  // namespace k52
