#include "errlog/errdescriptions.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace k52;

TEST(ErrorDescriptions, EveryTrappableNumberIsDescribedInChineseAndOthersNot) {
  int count = 0;
  const int16_t* numbers = errorDescriptionNumbers(&count);
  ASSERT_EQ(count, 118);
  EXPECT_TRUE(std::is_sorted(numbers, numbers + count) && std::adjacent_find(numbers, numbers + count) == numbers + count);
  EXPECT_EQ(std::vector<int16_t>(numbers, numbers + 3), (std::vector<int16_t>{3, 5, 6}));
  EXPECT_EQ(numbers[count - 1], 31037);
  for (int i = 0; i < count; ++i) {
    const QString text = errorDescription(numbers[i]);
    EXPECT_TRUE(!text.isEmpty() && text == text.trimmed()) << numbers[i];
    EXPECT_TRUE(std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x4E00; })) << numbers[i];
  }
  for (int16_t n : {int16_t(0), int16_t(1), int16_t(2), int16_t(-1), int16_t(8002), int16_t(31038), int16_t(32767)})
    EXPECT_TRUE(errorDescription(n).isEmpty()) << n;
}

TEST(ErrorDescriptions, QuotedDescriptionsStandExactly) {
  const std::pair<int16_t, const char*> quoted[] = {
      {5, "无效的过程调用"}, {6, "溢出"},           {9, "数组索引超出范围"}, {13, "类型不符合"},
      {53, "文件找不到"},    {57, "I/O设备错误"},   {75, "路径/文件访问错误"}, {91, "尚未设置对象变量或With区块变量"},
      {380, "属性值无效"},   {31037, "从文件读出时出错"}};
  for (const auto& [n, text] : quoted) EXPECT_EQ(errorDescription(n), QString::fromUtf8(text)) << n;
  // Two blanks and a full-width comma, spelled out so an editor cannot normalise them away.
  EXPECT_EQ(errorDescription(35), QString::fromUtf8("没有定义") + QStringLiteral("  ") + QString::fromUtf8("子程序、函数") + QChar(0xFF0C) +
                                      QString::fromUtf8("或属性"));
}
