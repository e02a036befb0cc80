#pragma once
// The memory image: a byte-for-byte copy of the radio's configuration memory, addresses
// 0 ... DatNum. All access is bounds-checked.

#include "core/k52error.h"

#include <QByteArray>
#include <cstdint>
#include <vector>

namespace k52 {

class MemoryImage {
 public:
  // Allocates addresses 0 ... upper, all bytes 0.
  void allocate(int upper);
  int size() const { return static_cast<int>(bytes_.size()); }
  int upper() const { return size() - 1; }

  uint8_t& at(int address) {
    check(address);
    return bytes_[static_cast<size_t>(address)];
  }
  uint8_t at(int address) const {
    check(address);
    return bytes_[static_cast<size_t>(address)];
  }
  void fill(uint8_t value);
  // Copies data into the image from address 0; bytes beyond the image are ignored and
  // addresses beyond the data keep their values.
  void assignFrom(const QByteArray& data);
  QByteArray toByteArray() const;
  const std::vector<uint8_t>& bytes() const { return bytes_; }
  bool operator==(const MemoryImage&) const = default;

 private:
  void check(int address) const {
    if (address < 0 || address >= size())
      raiseError(ErrBounds, QStringLiteral("address %1 outside the image").arg(address, 4, 16, QLatin1Char('0')));
  }
  std::vector<uint8_t> bytes_;
};

// Raises (naming the target) when the image does not cover the radio's whole memory,
// 0000-1FFF: a smaller image (a settings file with a small "DatNum") is never saved, as it
// would cut the file it replaces.
void requireWholeMemory(const MemoryImage& image, const QString& target);

}  // namespace k52
