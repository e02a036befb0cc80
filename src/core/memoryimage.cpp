#include "core/memoryimage.h"

#include "core/addressmap.h"

#include <algorithm>

namespace k52 {

void MemoryImage::allocate(int upper) {
  if (upper < 0) raiseError(ErrBounds, QStringLiteral("negative image size"));
  bytes_.assign(static_cast<size_t>(upper) + 1, 0);
}

void MemoryImage::fill(uint8_t value) { std::fill(bytes_.begin(), bytes_.end(), value); }

void MemoryImage::assignFrom(const QByteArray& data) {
  const size_t n = std::min(bytes_.size(), static_cast<size_t>(data.size()));
  std::copy_n(reinterpret_cast<const uint8_t*>(data.constData()), n, bytes_.begin());
}

void requireWholeMemory(const MemoryImage& image, const QString& target) {
  if (image.size() < addr::kMemorySize)
    throw K52Error(ErrBounds, QStringLiteral("an image of %1 bytes is smaller than the memory").arg(image.size()), target);
}

QByteArray MemoryImage::toByteArray() const {
  return QByteArray(reinterpret_cast<const char*>(bytes_.data()), static_cast<qsizetype>(bytes_.size()));
}

}  // namespace k52
