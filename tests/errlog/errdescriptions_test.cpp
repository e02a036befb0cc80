#include "errlog/errdescriptions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

using namespace k52;

// The trappable run-time errors the log must describe, in ascending order.
static const std::vector<int16_t> kNumbers = {
    3,   5,   6,   7,   9,   10,  11,  13,  14,  16,  17,  18,  20,  28,  35,  47,  48,    49,    51,    52,
    53,  54,  55,  57,  58,  59,  61,  62,  63,  67,  68,  70,  71,  74,  75,  76,  91,    92,    93,    94,
    97,  298, 320, 321, 322, 325, 327, 328, 335, 336, 337, 338, 360, 361, 363, 364, 365,   368,   371,   380,
    381, 382, 383, 385, 387, 393, 394, 400, 402, 419, 422, 423, 424, 425, 429, 430, 432,   438,   440,   442,
    443, 445, 446, 447, 448, 449, 450, 451, 452, 453, 454, 455, 457, 458, 459, 460, 461,   462,   463,   480,
    481, 482, 483, 484, 485, 486, 520, 521, 735, 744, 746, 31001, 31004, 31018, 31027, 31032, 31036, 31037};

TEST(ErrorDescriptions, TableHoldsExactlyTheTrappableNumbersEachDescribedInChinese) {
  ASSERT_EQ(kNumbers.size(), 118u);
  int count = 0;
  const int16_t* numbers = errorDescriptionNumbers(&count);
  ASSERT_EQ(std::vector<int16_t>(numbers, numbers + count), kNumbers);  // sorted and unique as listed
  for (int16_t n : kNumbers) {
    const QString text = errorDescription(n);
    EXPECT_FALSE(text.isEmpty()) << n;
    EXPECT_EQ(text, text.trimmed()) << n;
    EXPECT_TRUE(std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x4E00; })) << n;
  }
}

TEST(ErrorDescriptions, QuotedDescriptionsStandExactly) {
  const std::pair<int16_t, const char*> quoted[] = {
      {5, "无效的过程调用"},
      {6, "溢出"},
      {7, "内存不足"},
      {9, "数组索引超出范围"},
      {11, "除以零"},
      {13, "类型不符合"},
      {35, "没有定义  子程序、函数，或属性"},
      {52, "错误的文件名或数目"},
      {53, "文件找不到"},
      {55, "文件已打开"},
      {57, "I/O设备错误"},
      {61, "磁盘已满"},
      {62, "输入已超过文件结尾"},
      {70, "没有访问权限"},
      {75, "路径/文件访问错误"},
      {76, "找不到路径"},
      {91, "尚未设置对象变量或With区块变量"},
      {380, "属性值无效"},
      {424, "需要对象"},
      {438, "对象不支持此属性或方法"},
      {482, "打印机错误"},
      {744, "找不到要搜寻的文本"},
      {746, "取代数据过长"},
      {31001, "内存溢出"},
      {31004, "无对象"},
      {31037, "从文件读出时出错"},
  };
  for (const auto& [n, text] : quoted) EXPECT_EQ(errorDescription(n), QString::fromUtf8(text)) << n;
  // Two blanks and a full-width comma, spelled out so an editor cannot normalise them away.
  EXPECT_EQ(errorDescription(35), QString::fromUtf8("没有定义") + QStringLiteral("  ") +
                                       QString::fromUtf8("子程序、函数") + QChar(0xFF0C) +
                                       QString::fromUtf8("或属性"));
}

TEST(ErrorDescriptions, UnknownNumbersGiveTheEmptyText) {
  for (int16_t n : {int16_t(0), int16_t(1), int16_t(8002), int16_t(-1), int16_t(32767), int16_t(2), int16_t(31038)})
    EXPECT_TRUE(errorDescription(n).isEmpty()) << n;
}
