#include "errlog/errdescriptions.h"

#include <algorithm>
#include <iterator>

namespace k52 {

namespace {
struct Entry {
  int16_t number;
  const char* text;
};
// Sorted by number.
constexpr Entry kTable[] = {
    {5, "无效的过程调用"},
    {6, "溢出"},
    {9, "数组索引超出范围"},
    {13, "类型不符合"},
    {53, "文件找不到"},
};
}  // namespace

QString errorDescription(int16_t number) {
  const auto it = std::lower_bound(std::begin(kTable), std::end(kTable), number,
                                   [](const Entry& e, int16_t n) { return e.number < n; });
  if (it == std::end(kTable) || it->number != number) return QString();
  return QString::fromUtf8(it->text);
}

const int16_t* errorDescriptionNumbers(int* count) {
  static int16_t numbers[std::size(kTable)];
  for (size_t i = 0; i < std::size(kTable); ++i) numbers[i] = kTable[i].number;
  *count = static_cast<int>(std::size(kTable));
  return numbers;
}

}  // namespace k52
