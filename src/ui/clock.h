#pragma once
// The clock seam: the date and time the program stamps and logs, and its millisecond
// ticks. Production uses the system clock; tests set the time they want.

#include <QDateTime>
#include <cstdint>

namespace k52 {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual QDateTime now() const = 0;
  // Monotonic milliseconds since an arbitrary start.
  virtual int64_t tickMs() const = 0;
};

class SystemClock final : public Clock {
 public:
  SystemClock();
  QDateTime now() const override;
  int64_t tickMs() const override;

 private:
  int64_t origin_;
};

// A clock whose time only moves when told to.
class ManualClock final : public Clock {
 public:
  explicit ManualClock(QDateTime at = QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5))) : at_(std::move(at)) {}
  QDateTime now() const override { return at_; }
  int64_t tickMs() const override { return ticks_; }
  void set(const QDateTime& at) { at_ = at; }
  void advance(int64_t ms) {
    ticks_ += ms;
    at_ = at_.addMSecs(ms);
  }

 private:
  QDateTime at_;
  int64_t ticks_ = 0;
};

}  // namespace k52
