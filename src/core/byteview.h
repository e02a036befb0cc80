#pragma once
// Reading and writing fields of the memory image: single bytes, bits under a mask, 16-bit
// little-endian words and packed BCD numbers (least significant byte first, as the radio
// stores its frequencies). Every access is checked: an address outside the image raises the
// bounds error (9), as MemoryImage::at does.

#include "core/k52error.h"
#include "core/memoryimage.h"
#include "core/numbers.h"

#include <QString>
#include <bit>
#include <cstdint>

namespace k52 {

class ByteView {
 public:
  explicit ByteView(const MemoryImage& image) : image_(image) {}

  uint8_t byte(int address) const { return image_.at(address); }
  // The bits of `mask`, where they stand in the byte (0x30 of 0x3C is 0x30).
  uint8_t bits(int address, uint8_t mask) const { return byte(address) & mask; }
  // The bits of `mask` moved down to bit 0 (0x30 of 0x3C is 3).
  uint8_t field(int address, uint8_t mask) const {
    return mask == 0 ? 0 : static_cast<uint8_t>(bits(address, mask) >> std::countr_zero(mask));
  }
  // The low byte at `address`, the high byte after it.
  uint16_t le16(int address) const {
    const uint8_t low = byte(address);
    return static_cast<uint16_t>(low | byte(address + 1) << 8);
  }
  // The hexadecimal digits of `count` bytes, the byte at the highest address first
  // ("17399500" for 00 95 39 17). The bytes are read from the highest address down.
  QString bcdDigits(int address, int count) const {
    checkCount(count);
    QString digits;
    digits.reserve(2 * count);
    for (int i = count - 1; i >= 0; --i) digits += byteHex(byte(address + i));
    return digits;
  }
  // The decimal value of `count` packed BCD bytes; a digit A-F raises the type-mismatch
  // error (13) with the digits as its detail.
  int64_t bcd(int address, int count) const {
    checkCount(count);
    int64_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
      const uint8_t b = byte(address + i);
      if (b >> 4 > 9 || (b & 0x0F) > 9) return decimalDigitsValue(bcdDigits(address, count));  // raises 13
      value = value * 100 + (b >> 4) * 10 + (b & 0x0F);
    }
    return value;
  }

 private:
  static void checkCount(int count) {
    if (count < 1 || count > 8) raiseError(ErrBounds, QStringLiteral("%1 BCD bytes outside 1..8").arg(count));
  }
  const MemoryImage& image_;
};

class ByteEditor {
 public:
  explicit ByteEditor(MemoryImage& image) : image_(image) {}

  void set(int address, uint8_t value) { image_.at(address) = value; }
  void fill(int address, int count, uint8_t value) {
    for (int i = count - 1; i >= 0; --i) set(address + i, value);
  }
  // The bits of `mask` replaced by those of `pattern`; the others stay.
  void setBits(int address, uint8_t mask, uint8_t pattern) {
    uint8_t& b = image_.at(address);
    b = static_cast<uint8_t>((b & ~mask) | (pattern & mask));
  }
  void setLe16(int address, uint16_t value) {
    set(address + 1, static_cast<uint8_t>(value >> 8));
    set(address, static_cast<uint8_t>(value & 0xFF));
  }
  // `value` as 2 x count packed BCD digits, least significant byte first; a value that is
  // negative or has more digits raises the overflow error (6) and writes nothing.
  void setBcd(int address, int count, int64_t value) {
    if (count < 1 || count > 8) raiseError(ErrBounds, QStringLiteral("%1 BCD bytes outside 1..8").arg(count));
    int64_t limit = 1;
    for (int i = 0; i < count; ++i) limit *= 100;
    if (value < 0 || value >= limit) raiseError(ErrOverflow, QStringLiteral("%1 has more than %2 digits").arg(value).arg(2 * count));
    for (int i = count - 1; i >= 0; --i) {
      int64_t pair = value;
      for (int j = 0; j < i; ++j) pair /= 100;
      pair %= 100;
      set(address + i, static_cast<uint8_t>((pair / 10) << 4 | pair % 10));
    }
  }

 private:
  MemoryImage& image_;
};

}  // namespace k52
