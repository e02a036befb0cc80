// The display formats and the in-memory grid the logic is tested against.

#include "ui/grid.h"

#include <gtest/gtest.h>

using namespace k52;

TEST(FormatGridNumber, FrequencyFormatShowsOnlySignificantDecimals) {
  const QString f = QStringLiteral("###.#####");
  EXPECT_EQ(formatGridNumber(QStringLiteral("173.995"), f), QStringLiteral("173.995"));
  EXPECT_EQ(formatGridNumber(QStringLiteral("430"), f), QStringLiteral("430"));
  EXPECT_EQ(formatGridNumber(QStringLiteral("136.0125"), f), QStringLiteral("136.0125"));
  EXPECT_EQ(formatGridNumber(QStringLiteral("136.01250"), f), QStringLiteral("136.0125"));
  EXPECT_EQ(formatGridNumber(QStringLiteral(" 430.100 "), f), QStringLiteral("430.1"));
  EXPECT_EQ(formatGridNumber(QStringLiteral("0.5"), f), QStringLiteral(".5"));
  // Rounded to five places, halves away from zero, with the carry into the whole part.
  EXPECT_EQ(formatGridNumber(QStringLiteral("136.000005"), f), QStringLiteral("136.00001"));
  EXPECT_EQ(formatGridNumber(QStringLiteral("136.000004999"), f), QStringLiteral("136"));
  EXPECT_EQ(formatGridNumber(QStringLiteral("99.999995"), f), QStringLiteral("100"));
  EXPECT_EQ(formatGridNumber(QStringLiteral("-12.5"), f), QStringLiteral("-12.5"));
  EXPECT_EQ(formatGridNumber(QStringLiteral("-0.000001"), f), QStringLiteral("0"));
}

TEST(FormatGridNumber, ZeroPlacesAlwaysShowAndOtherTextsStayAsTheyAre) {
  EXPECT_EQ(formatGridNumber(QStringLiteral("5"), QStringLiteral("#0.00000")), QStringLiteral("5.00000"));
  EXPECT_EQ(formatGridNumber(QStringLiteral(".25"), QStringLiteral("#0.00000")), QStringLiteral("0.25000"));
  EXPECT_EQ(formatGridNumber(QStringLiteral("12"), QStringLiteral("00000")), QStringLiteral("00012"));
  EXPECT_EQ(formatGridNumber(QStringLiteral("2.5"), QStringLiteral("00000")), QStringLiteral("00003"));
  for (const char* t : {"", "CH001", "1e5", "nan", "inf", "1.2.3", "0x10", "- 1"})
    EXPECT_EQ(formatGridNumber(QString::fromLatin1(t), QStringLiteral("###.#####")), QString::fromLatin1(t)) << t;
  EXPECT_EQ(formatGridNumber(QStringLiteral("12.5"), QString()), QStringLiteral("12.5"));
  EXPECT_EQ(formatGridNumber(QStringLiteral("12.5"), QStringLiteral("Currency")), QStringLiteral("12.5"));
}

TEST(MemoryGrid, FormatStringSetsColumnsHeadersAndAlignment) {
  MemoryGrid g;
  g.setCols(12);
  g.setFormatString(QStringLiteral("^No.|<RX|>TX|Name"));
  EXPECT_EQ(g.cols(), 4) << "the format string decides the column count";
  EXPECT_EQ(g.rows(), 1);
  EXPECT_EQ(g.text(0, 0), QStringLiteral("No."));
  EXPECT_EQ(g.text(0, 3), QStringLiteral("Name"));
  EXPECT_EQ(g.colAlignment(0), GridAlign::Center);
  EXPECT_EQ(g.colAlignment(1), GridAlign::Left);
  EXPECT_EQ(g.colAlignment(2), GridAlign::Right);
  EXPECT_EQ(MemoryGrid::formatStringCols(QStringLiteral("a|b;r1|r2|r3")), 2);
}

TEST(MemoryGrid, InsertedRowsShiftTheirNeighboursAndTheCurrentCell) {
  MemoryGrid g;
  g.setRows(3);
  g.setCols(3);
  g.setText(2, 1, QStringLiteral("two"));
  g.setRowHeightTwips(2, 500);
  g.select(2, 1);
  g.insertRow(1, QStringLiteral("new"));
  EXPECT_EQ(g.rows(), 4);
  EXPECT_EQ(g.text(1, 0), QStringLiteral("new"));
  EXPECT_EQ(g.text(3, 1), QStringLiteral("two"));
  EXPECT_EQ(g.rowHeightTwips(3), 500);
  EXPECT_EQ(g.rowHeightTwips(1), kDefaultRowHeightTwips);
  EXPECT_EQ(g.row(), 3) << "the current cell stays on its text";
  g.insertRow(99, QStringLiteral("last"));
  EXPECT_EQ(g.text(4, 0), QStringLiteral("last"));
}

TEST(MemoryGrid, RangeColoursAreClippedAndReset) {
  MemoryGrid g;
  g.setRows(5);
  g.setCols(4);
  g.setBackColor(0xF7F7F7);
  g.setRangeBackColor(3, 3, 1, 1, 0x123456);  // corners in either order
  EXPECT_EQ(g.cellBackColor(2, 2), 0x123456u);
  EXPECT_EQ(g.cellBackColor(1, 3), 0x123456u);
  EXPECT_EQ(g.cellBackColor(4, 1), 0xF7F7F7u);
  EXPECT_EQ(g.cellBackColor(0, 0), 0xF7F7F7u);
  g.setRangeBackColor(4, 0, 40, 40, 0x111111);  // past the grid: clipped
  EXPECT_EQ(g.cellBackColor(4, 3), 0x111111u);
  g.resetRangeBackColor(0, 0, 4, 3);
  for (int r = 0; r < 5; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_FALSE(g.ownBackColor(r, c).has_value()) << r << "," << c;
  g.select(2, 2);
  g.setCellForeColor(255);
  EXPECT_EQ(g.cellForeColor(2, 2), 255u);
  EXPECT_EQ(g.cellForeColor(2, 3), 0u);
}
