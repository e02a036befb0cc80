// The grid seam: the display formats, the in-memory grid, and the Qt grid adapter offscreen,
// which must answer as the in-memory grid does after the channel grid's set-up and filling.
// (Its editors are driven through the real settings window by gridwidget.)

#include "gui/qtgrid.h"

#include "app/charcodec.h"
#include "app/chgrid.h"
#include "app/chmem.h"
#include "app/ctdcs.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QSignalSpy>

using namespace k52;

namespace {

// The channel grid of the settings window: 200 rows (row 200 the VFO), eight columns.
class QtGridTest : public ::testing::Test {
 protected:
  QtGridTest() : ctx(*env.ctx) {
    env.writeSettings(test::chInfoSection(200));
    ctx.ini.setPath(env.path(QStringLiteral("minglyc.dll")));
    ctx.st.CurLang = 3;
    ctx.ch.ChNameCode.fill(255);
    GenCtdcsList(ctx);
    GetValidCharTbl(ctx);
    ReadChInfo(ctx);
    grid.resize(800, 400);
    grid.show();
  }
  void setUpAndFill(Grid& g) {
    ctx.setGridCh(&g);
    ChInfoInitFace(ctx);
    SetChGrid(ctx);
    for (int n = 1; n <= 200; ++n) {
      ctx.ch.ChInfo(n, 1) = n % 3 == 0 ? -1 : 40000000 + 1250 * n;
      ctx.ch.ChInfo(n, 2) = n % 5 == 0 ? -1 : 44000000 + 500 * n;
      ctx.ch.ChInfo(n, 3) = n % 261;
      ctx.ch.ChInfo(n, 4) = (n * 7) % 261;
      for (int f = 5; f <= 7; ++f) ctx.ch.ChInfo(n, f) = n % 2;
      for (int i = 0; i < 5; ++i) ctx.ch.ChNameCode(n, i) = static_cast<uint8_t>((n + i) % 45);
    }
    ShowChTblGrid(ctx);
  }
  QAbstractItemModel& model() { return *grid.model(); }
  QVariant cell(int r, int c, int role = Qt::DisplayRole) { return model().index(r - 1, c - 1).data(role); }

  test::TestEnv env;
  AppContext& ctx;
  QtGrid grid;
};

}  // namespace

TEST(FormatGridNumber, OnlySignificantDecimalsRoundedToTheFormatsPlacesAndOtherTextsAsTheyStand) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"173.995", "###.#####", "173.995"}, {"136.01250", "###.#####", "136.0125"}, {" 430.100 ", "###.#####", "430.1"},
      {"0.5", "###.#####", ".5"}, {"430", "###.#####", "430"},
      // Rounded to five places, halves away from zero, with the carry into the whole part.
      {"136.000005", "###.#####", "136.00001"}, {"136.000004999", "###.#####", "136"}, {"99.999995", "###.#####", "100"},
      {"-12.5", "###.#####", "-12.5"}, {"-0.000001", "###.#####", "0"},
      {"5", "#0.00000", "5.00000"}, {".25", "#0.00000", "0.25000"}, {"12", "00000", "00012"}, {"2.5", "00000", "00003"},
      {"12.5", "", "12.5"}, {"12.5", "Currency", "12.5"}};
  for (const auto& [text, format, shown] : cases) EXPECT_EQ(formatGridNumber(QLatin1String(text), QLatin1String(format)), QLatin1String(shown)) << text << " " << format;
  for (const char* t : {"", "CH001", "1e5", "nan", "inf", "1.2.3", "0x10", "- 1"})
    EXPECT_EQ(formatGridNumber(QLatin1String(t), QStringLiteral("###.#####")), QLatin1String(t)) << t;
}

TEST(MemoryGrid, TheFormatStringSetsColumnsInsertedRowsShiftTheirNeighboursRangeColoursAreClipped) {
  MemoryGrid g;
  g.setCols(12);
  g.setFormatString(QStringLiteral("^No.|<RX|>TX|Name"));
  EXPECT_EQ(std::make_pair(g.cols(), g.rows()), std::make_pair(4, 1)) << "the format string decides the column count";
  EXPECT_EQ(g.text(0, 3), QStringLiteral("Name"));
  EXPECT_EQ((std::vector<GridAlign>{g.colAlignment(0), g.colAlignment(1), g.colAlignment(2)}),
            (std::vector<GridAlign>{GridAlign::Center, GridAlign::Left, GridAlign::Right}));
  EXPECT_EQ(MemoryGrid::formatStringCols(QStringLiteral("a|b;r1|r2|r3")), 2);
  g.setRows(3);
  g.setText(2, 1, QStringLiteral("two"));
  g.setRowHeightTwips(2, 500);
  g.select(2, 1);
  g.insertRow(1, QStringLiteral("new"));
  EXPECT_EQ(g.text(1, 0) + g.text(3, 1), QStringLiteral("newtwo"));
  EXPECT_EQ(std::make_pair(g.rowHeightTwips(3), g.rowHeightTwips(1)), std::make_pair(500, kDefaultRowHeightTwips));
  EXPECT_EQ(g.row(), 3) << "the current cell stays on its text";
  g.setBackColor(0xF7F7F7);
  g.setRangeBackColor(3, 3, 1, 1, 0x123456);  // corners in either order
  g.setRangeBackColor(3, 0, 40, 40, 0x111111);  // past the grid: clipped
  EXPECT_EQ((std::vector<uint32_t>{g.cellBackColor(2, 2), g.cellBackColor(1, 3), g.cellBackColor(0, 0), g.cellBackColor(3, 3)}),
            (std::vector<uint32_t>{0x123456, 0x123456, 0xF7F7F7, 0x111111}));
  g.resetRangeBackColor(0, 0, 3, 3);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_FALSE(g.ownBackColor(r, c).has_value()) << r << "," << c;
}

TEST_F(QtGridTest, AnswersExactlyAsTheInMemoryGrid) {
  MemoryGrid mem;
  setUpAndFill(mem);
  setUpAndFill(grid);
  ASSERT_EQ(grid.rows(), mem.rows());
  ASSERT_EQ(grid.cols(), mem.cols());
  for (int r = 0; r < mem.rows(); ++r) {
    ASSERT_EQ(grid.rowHeightTwips(r), mem.rowHeightTwips(r)) << r;
    for (int c = 0; c < mem.cols(); ++c) {
      ASSERT_EQ(grid.text(r, c), mem.text(r, c)) << r << "," << c;
      if (r >= 1 && c >= 1) {
        ASSERT_EQ(cell(r, c).toString(), mem.displayText(r, c)) << r << "," << c;
      }
    }
  }
  for (int c = 0; c < mem.cols(); ++c) {
    EXPECT_EQ(grid.colWidthTwips(c), mem.colWidthTwips(c));
    EXPECT_EQ(grid.colFormat(c), mem.colFormat(c));
    EXPECT_EQ(grid.colDataType(c), mem.colDataType(c));
  }
  EXPECT_EQ(grid.row(), mem.row());
  EXPECT_EQ(grid.col(), mem.col());
  EXPECT_EQ(grid.backColor(), mem.backColor());
}

TEST_F(QtGridTest, SelectDoesNotScrollAndWithRedrawOffTheViewHearsOfTheBatchOnce) {
  ctx.setGridCh(&grid);
  SetChGrid(ctx);
  grid.select(150, 6);
  EXPECT_EQ(grid.currentIndex(), model().index(149, 5));
  EXPECT_EQ(grid.rowAt(0), 0) << "making a cell current does not scroll the grid";
  QSignalSpy changed(&model(), &QAbstractItemModel::dataChanged);
  grid.setRedraw(false);
  for (int r = 1; r <= 200; ++r) grid.setText(r, 1, QStringLiteral("430"));
  EXPECT_EQ(changed.count(), 0);
  EXPECT_EQ(cell(200, 1).toString(), QStringLiteral("430")) << "the texts are there all the same";
  grid.setRedraw(true);
  EXPECT_EQ(changed.count(), 1);
  grid.setText(1, 1, QStringLiteral("431"));
  EXPECT_EQ(changed.count(), 2);
}
