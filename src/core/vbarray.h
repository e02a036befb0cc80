#pragma once
// Fixed-size tables indexed from a first to a last index, as the radio's tables are
// numbered (channels 1-260, fields 0-20). Every access is checked; an index outside
// the table raises the bounds error (9) instead of touching other memory.

#include "core/k52error.h"

#include <array>
#include <cstddef>

namespace k52 {

template <class T, int First, int Last>
class VbArray {
  static_assert(Last >= First);

 public:
  static constexpr int first = First;
  static constexpr int last = Last;

  T& operator()(int i) { return data_[offset(i)]; }
  const T& operator()(int i) const { return data_[offset(i)]; }
  void fill(const T& v) { data_.fill(v); }
  bool operator==(const VbArray&) const = default;

 private:
  static size_t offset(int i) {
    if (i < First || i > Last) raiseError(ErrBounds, QStringLiteral("index %1 outside %2..%3").arg(i).arg(First).arg(Last));
    return static_cast<size_t>(i - First);
  }
  std::array<T, static_cast<size_t>(Last - First + 1)> data_{};
};

template <class T, int First1, int Last1, int First2, int Last2>
class VbArray2 {
 public:
  T& operator()(int i, int j) { return rows_(i)(j); }
  const T& operator()(int i, int j) const { return rows_(i)(j); }
  void fill(const T& v) {
    for (int i = First1; i <= Last1; ++i) rows_(i).fill(v);
  }
  bool operator==(const VbArray2&) const = default;

 private:
  VbArray<VbArray<T, First2, Last2>, First1, Last1> rows_;
};

}  // namespace k52
