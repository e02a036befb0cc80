// Editing the channel grid, on the in-memory grid: what typing, choosing, clicking and
// double-clicking leave in ChInfo, ChNameCode, the grid and, once encoded, the image.

#include "editor/chgridedit.h"
#include "editor/chpopmenu.h"
#include "image/addressmap.h"
#include "image/charcodec.h"
#include "image/chgrid.h"
#include "image/chmem.h"
#include "image/ctdcs.h"
#include "shell/langtable.h"
#include "support/testenv.h"
#include "ui/inifile.h"

#include <gtest/gtest.h>

using namespace k52;

namespace {

using B = std::vector<int>;
constexpr uint32_t kDef = 0, kOver = 255;  // DefColor, OverColor

class ChGridEditTest : public ::testing::Test {
 protected:
  // A table of chCount channels and ten columns: RX, TX, the tones, three options, the
  // name, and two more choice columns. Decode tone default 77.0 (index 5). Band 400-470.
  void setUp(int chCount = 16) {
    ctx.st.CurLang = 3;
    ctx.st.DefColor = QString::number(kDef);
    ctx.st.OverColor = QString::number(kOver);
    InitFaceText(ctx);
    ctx.IicDat.allocate(addr::kMemorySize - 1);
    ctx.IicDat.fill(0xFF);
    ctx.ch.ChNameCode.fill(255);
    ChannelTable& t = ctx.ch;
    t.ChCount = static_cast<int16_t>(chCount);
    t.ColCount = 10;
    t.GridFormat = QStringLiteral("^No.|^RX|^TX|^Dec|^Enc|^W/N|^Scan|^Power|^Name|^Key|^Mode");
    for (int c = 0; c <= 10; ++c) t.ColWidth(c) = 1000;
    const QStringList cols[10] = {{"RxFre", "0", "43000000"}, {"TxFre", "0", "0"}, {"CtcssDcsDec", "0", "5"},
                                  {"CtcssDcsEnc", "0", "0"}, {"Wide|Narrow", "2", "1", "Wide", "Narrow"},
                                  {"Off|On", "2", "1", "Off", "On"}, {"High|Mid|Low", "3", "0", "High", "Mid", "Low"},
                                  {"CHNAME", "0", "0"}, {"Fn|Lamp", "2", "1", "Fn", "Lamp"}, {"A|B|C", "3", "2", "A", "B", "C"}};
    for (int c = 1; c <= 10; ++c)
      for (int j = 0; j < cols[c - 1].size(); ++j) t.ColItems(c, j) = cols[c - 1][j];
    ctx.band.LowerLimit = 40000000;
    ctx.band.UpperLimit = 46999500;
    GenCtdcsList(ctx);
    GetValidCharTbl(ctx);
    SetChGrid(ctx);
    InitChTable(ctx);
    ChInfoSaveSol(ctx, 1);  // an erased image: every channel empty, options at their defaults
    ShowChTblGrid(ctx);
    logBase = ctx.log.entriesLogged();
  }
  // A channel with data: RX 436.025, TX 446.1, decode 67.0, encode D023N, options 0, 1, 2.
  void putChannel(int n, int32_t rx = 43602500, int32_t tx = 44610000, int32_t encode = 51) {
    const int32_t fields[] = {rx, tx, 1, encode, 0, 1, 2};
    for (int f = 1; f <= 7; ++f) ChInfo(n, f) = fields[f - 1];
    ShowChTblGrid(ctx);
  }
  // The user types text into (row, col) and leaves the cell; false when the edit was refused.
  bool type(int row, int col, const QString& text) {
    g.select(row, col);
    bool cancel = false;
    vsfgGridCh_BeforeEdit(ctx, row, col, cancel);
    if (cancel) return false;
    g.setText(row, col, text);
    g.setComboIndex(-1);
    vsfgGridCh_AfterEdit(ctx, row, col);
    return true;
  }
  void dblClick(int row, int col) {
    g.select(row, col);
    vsfgGridCh_DblClick(ctx);
  }
  int32_t& ChInfo(int n, int f) { return ctx.ch.ChInfo(n, f); }
  QString row(int r, int cols = 10) const {
    QStringList v;
    for (int c = 1; c <= cols; ++c) v << g.text(r, c);
    return v.join(QLatin1Char('|'));
  }
  // Channel n's record and name extension after the tables were encoded.
  B record(int n) {
    SetConvIicDat(ctx);
    B v;
    for (int i = 0; i < addr::kChannelRecordSize; ++i) v.push_back(ctx.IicDat.at(addr::channelRecord(n) + i));
    for (int i = 0; i < addr::kNameExtensionSize; ++i) v.push_back(ctx.IicDat.at(addr::nameExtension(n) + i));
    return v;
  }
  int logged() const { return ctx.log.entriesLogged() - logBase; }

  test::TestEnv env;
  AppContext& ctx = *env.ctx;
  int logBase = 0;
  MemoryGrid& g = static_cast<MemoryGrid&>(ctx.gridCh());
};

TEST_F(ChGridEditTest, TypedFrequenciesSnapToTheNearerRasterWithTheCoarserWinningATie) {
  setUp();
  const std::tuple<const char*, int32_t, const char*> cases[] = {
      {"436.02", 43602000, "436.02"},      // on the 5 kHz raster
      {"436.007", 43600500, "436.005"},    // 5 kHz point 200 away beats 12.5 kHz point 550 away
      {"436.0125", 43601250, "436.0125"},  // on the 12.5 kHz raster
      {"436.00625", 43600500, "436.005"},  // 125 away beats 625 away
      {"436.01125", 43601250, "436.0125"}, // 125 from both: the 12.5 kHz point
      {"436.0237", 43602500, "436.025"},   // both rasters agree
      {" 440 ", 44000000, "440"},
  };
  for (const auto& [text, stored, shown] : cases) {
    ASSERT_TRUE(type(1, 1, QLatin1String(text)));
    EXPECT_EQ(ChInfo(1, 1), stored) << text;
    EXPECT_EQ(g.text(1, 1), QLatin1String(shown)) << text;
  }
  EXPECT_EQ(ModifyTxRxFre(ctx, QStringLiteral("13600630")), 13600500);
  EXPECT_EQ(ModifyTxRxFre(ctx, QStringLiteral("43601125")), 43601250);
  EXPECT_EQ(logged(), 0) << env.log();
}

TEST_F(ChGridEditTest, AnRxFrequencyCompletesAnEmptyChannelWithDefaultsUpToTheLastColumnButOne) {
  setUp();
  ChInfo(3, 9) = -1;   // never set: takes its default
  ChInfo(3, 10) = -1;  // the last column is left as it is
  ctx.ch.ChNameCode(3, 0) = 12;
  ASSERT_TRUE(type(3, 1, QStringLiteral("436.0237")));
  B fields;
  for (int f : {0, 1, 2, 3, 4, 5, 6, 7, 9, 10}) fields.push_back(ChInfo(3, f));
  EXPECT_EQ(fields, (B{1, 43602500, 43602500, 5, 5, 1, 1, 0, 1, -1}));
  EXPECT_EQ(row(3, 9), QStringLiteral("436.025|436.025|77.0|77.0|Narrow|On|High||Lamp"));
  EXPECT_EQ(std::make_pair(g.row(), g.col()), std::make_pair(3, 5));
  // A new channel has no name.
  EXPECT_EQ(record(3), (B{0x00, 0x25, 0x60, 0x43, 0x00, 0x25, 0x60, 0x43, 0x70, 0x07, 0x70, 0x07, 0xF9, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(logged(), 0) << env.log();
}

TEST_F(ChGridEditTest, TxOfAReceiveOnlyChannelBringsTheDecodeToneAlongAnExistingEncodeToneStays) {
  setUp();
  putChannel(5, 43602500, -1, -1);
  ASSERT_TRUE(type(5, 2, QStringLiteral("446.00625")));
  EXPECT_EQ((B{ChInfo(5, 2), ChInfo(5, 4)}), (B{44600500, 1}));
  EXPECT_EQ(g.text(5, 4), QStringLiteral("67.0"));
  EXPECT_EQ(std::make_pair(g.row(), g.col()), std::make_pair(5, 3));
  ChInfo(5, 4) = 51;
  ASSERT_TRUE(type(5, 2, QStringLiteral("446.1")));
  EXPECT_EQ(g.text(5, 4), QStringLiteral("D023N"));
  const B r = record(5);
  EXPECT_EQ(B(r.begin() + 4, r.begin() + 12), (B{0x00, 0x00, 0x61, 0x44, 0x70, 0x06, 0x23, 0x80}));
}

TEST_F(ChGridEditTest, TheVfoCellOfColumnTenIsLeftToTheGridAndResetsOnDoubleClick) {
  setUp(200);
  putChannel(200);
  ChInfo(200, 10) = 2;
  g.setEditMode(GridEditMode::None);
  g.setColComboList(10, QStringLiteral("stale"));
  g.select(200, 10);
  bool cancel = false;
  vsfgGridCh_BeforeEdit(ctx, 200, 10, cancel);
  EXPECT_FALSE(cancel);
  EXPECT_EQ(g.editMode(), GridEditMode::None) << "no edit mode set";
  EXPECT_EQ(g.colComboList(10), QStringLiteral("stale")) << "no list set";
  dblClick(200, 10);
  EXPECT_EQ(ChInfo(200, 10), 0);
  EXPECT_EQ(g.text(200, 10), QStringLiteral("A"));
  dblClick(199, 10);  // an empty channel: nothing
  EXPECT_EQ(g.text(199, 10), QString());
  // Text typed into the RX of a VFO without a frequency leaves it empty (no "-0.00001").
  ChInfo(200, 1) = -1;
  g.setText(200, 1, QString());
  ASSERT_TRUE(type(200, 1, QStringLiteral("-")));
  EXPECT_EQ(ChInfo(200, 1), -1);
  EXPECT_EQ(g.text(200, 1), QString());
}

TEST_F(ChGridEditTest, BeforeEditRefusesEmptyRowsAndSetsModeAndList) {
  setUp();
  putChannel(2);
  bool cancel = false;
  vsfgGridCh_BeforeEdit(ctx, 7, 1, cancel);
  EXPECT_FALSE(cancel) << "the RX cell opens an empty channel";
  for (int c = 2; c <= 10; ++c) {
    vsfgGridCh_BeforeEdit(ctx, 7, c, cancel);
    EXPECT_TRUE(cancel) << "column " << c << " of an empty channel";
    cancel = false;
  }
  const std::tuple<int, GridEditMode, QString> cases[] = {
      {1, GridEditMode::KbdMouse, QString()},           {2, GridEditMode::KbdMouse, QString()},
      {3, GridEditMode::Kbd, ctx.tones.CtdcsComboList}, {4, GridEditMode::Kbd, ctx.tones.CtdcsComboList},
      {5, GridEditMode::Kbd, QStringLiteral("Wide|Narrow")}, {7, GridEditMode::Kbd, QStringLiteral("High|Mid|Low")},
      {8, GridEditMode::KbdMouse, QString()},           {10, GridEditMode::Kbd, QStringLiteral("A|B|C")},
  };
  for (const auto& [col, mode, list] : cases) {
    g.setColComboList(col, QStringLiteral("x"));
    vsfgGridCh_BeforeEdit(ctx, 2, col, cancel);
    EXPECT_FALSE(cancel) << "column " << col;
    EXPECT_EQ(g.editMode(), mode) << "column " << col;
    EXPECT_EQ(g.colComboList(col), list) << "column " << col;
  }
  EXPECT_TRUE(ctx.tones.CtdcsComboList.startsWith(QStringLiteral("None|67.0|69.3")));
}

TEST_F(ChGridEditTest, DoubleClickShortcutsAndWhereTheyDoNothing) {
  setUp();
  putChannel(4, 43602500, -1, -1);
  dblClick(4, 3);  // receive-only: the tones are not swapped
  EXPECT_EQ(ChInfo(4, 3), 1);
  g.select(4, 2);
  g.setCellForeColor(0x123456);
  dblClick(4, 2);  // TX := RX, and the decode tone for the missing encode tone
  EXPECT_EQ((B{ChInfo(4, 2), ChInfo(4, 4)}), (B{43602500, 1}));
  EXPECT_EQ(g.text(4, 4), QStringLiteral("67.0"));
  EXPECT_EQ(g.cellForeColor(4, 2), kDef);
  ChInfo(4, 4) = 51;
  g.setText(4, 4, QStringLiteral("D023N"));
  dblClick(4, 3);  // decode := encode, and the other way round
  EXPECT_EQ(g.text(4, 3), QStringLiteral("D023N"));
  ChInfo(4, 3) = 1;
  g.setText(4, 3, QStringLiteral("67.0"));
  dblClick(4, 4);
  EXPECT_EQ(g.text(4, 4), QStringLiteral("67.0"));
  putChannel(12);
  g.setText(12, 8, QStringLiteral("ABC"));
  dblClick(12, 8);
  EXPECT_EQ(g.text(12, 8), QStringLiteral("ABC")) << "a named channel keeps its name";
  putChannel(13, 39000000, -1);  // an RX outside the band copied to TX: the warning colour
  dblClick(13, 2);
  EXPECT_EQ(ChInfo(13, 2), 39000000);
  EXPECT_EQ(g.cellForeColor(13, 2), kOver);

  // Nothing on RX, on an empty row, or while locked.
  putChannel(5, 43602500, -1);
  ChInfo(5, 0) = 0;
  dblClick(5, 1);
  dblClick(6, 2);
  ctx.st.LockState = QString::fromLatin1(kShowLock);
  dblClick(5, 2);
  EXPECT_EQ((B{ChInfo(6, 2), ChInfo(5, 2), ChInfo(5, 0)}), (B{-1, -1, 0}));
}

TEST_F(ChGridEditTest, ClickHighlightsTheRowOpensTheRxCellOfAnEmptyChannelAndKeysMoveThePointer) {
  setUp();
  putChannel(2);
  ChGridEdit ed;
  ed.MouseRow = 2;
  ed.MouseCol = 6;
  g.select(2, 6);
  vsfgGridCh_Click(ctx, ed);
  for (int c = 1; c <= 10; ++c) EXPECT_EQ(g.cellBackColor(2, c), kRowHighlightColor);
  EXPECT_EQ(g.editMode(), GridEditMode::Kbd);
  EXPECT_EQ(g.editsStarted(), 0);
  ed.MouseRow = 9;
  ed.MouseCol = 4;
  vsfgGridCh_Click(ctx, ed);
  EXPECT_FALSE(g.ownBackColor(2, 3).has_value()) << "the old highlight goes";
  EXPECT_EQ(g.cellBackColor(9, 10), kRowHighlightColor);
  EXPECT_EQ(std::make_pair(g.row(), g.col()), std::make_pair(9, 1));
  EXPECT_EQ(g.editsStarted(), 1);
  ctx.st.LockState = QString::fromLatin1(kShowLock);
  ed.MouseRow = 3;
  vsfgGridCh_Click(ctx, ed);
  EXPECT_FALSE(g.ownBackColor(9, 1).has_value() || g.ownBackColor(3, 1).has_value()) << "no highlight while locked";
  EXPECT_EQ(g.editsStarted(), 1);

  ctx.st.LockState.clear();
  const int cases[][5] = {{5, 5, kKeyLeft, 5, 4},   {5, 1, kKeyLeft, 5, 1},   {5, 9, kKeyRight, 5, 10},
                          {5, 10, kKeyRight, 5, 10}, {5, 5, kKeyUp, 4, 5},     {1, 5, kKeyUp, 1, 5},
                          {15, 5, kKeyDown, 16, 5}, {16, 5, kKeyDown, 16, 5}, {7, 3, 'A', 7, 3},
                          {0, 0, kKeyDown, 1, 1}};
  for (const auto& c : cases) {
    g.select(c[0], c[1]);
    vsfgGridCh_KeyDown(ctx, ed, c[2], 0);
    EXPECT_EQ(std::make_pair(ed.MouseRow, ed.MouseCol), std::make_pair(c[3], c[4])) << c[0] << "," << c[1] << " key " << c[2];
  }
}

class RecordingMenus final : public ChGridMenus {
 public:
  bool chLockVisible() const override { return lockVisible; }
  bool chLockChecked() const override { return lockChecked; }
  void showPopMenu(const ChPopMenuItems& items) override { shown.push_back(items); }
  void runChLock() override {}
  bool lockVisible = true, lockChecked = false;
  std::vector<ChPopMenuItems> shown;
};

TEST_F(ChGridEditTest, RightButtonPreparesThePopUpMenuForTheRow) {
  setUp();
  putChannel(5);
  RecordingMenus menus;
  ChGridEdit ed;
  ed.menus = &menus;
  ed.MouseCol = 3;
  // Which commands a channel, an empty row, a locked grid and a grid without the lock
  // item enable: open, save as default, delete one, delete all, the lock item.
  const auto enabled = [&](int row) {
    ed.MouseRow = row;
    vsfgGridCh_MouseDown(ctx, ed, kRightButton, 0);
    const ChPopMenuItems& m = menus.shown.back();
    EXPECT_EQ(ed.SelCh, row);
    return QStringLiteral("%1%2%3%4 %5%6%7").arg(m.openChEnabled).arg(m.saveDefEnabled).arg(m.delOneEnabled).arg(m.delAllEnabled)
        .arg(m.chLockVisible).arg(m.chLockEnabled).arg(m.chLockChecked);
  };
  EXPECT_EQ(enabled(5), QStringLiteral("0111 110"));
  EXPECT_EQ(menus.shown.back().openChCaption, QStringLiteral("Open channel 5"));
  EXPECT_EQ(enabled(11), QStringLiteral("1001 110"));
  menus.lockChecked = true;
  ctx.st.LockState = QString::fromLatin1(kShowLock);
  EXPECT_EQ(enabled(11), QStringLiteral("0000 111"));
  menus.lockVisible = false;
  EXPECT_EQ(enabled(11).left(5), QStringLiteral("1001 ")) << "without the lock item nothing is disabled for it";

  // Other buttons and the header cells: no menu, SelCh kept.
  const size_t before = menus.shown.size();
  vsfgGridCh_MouseDown(ctx, ed, kLeftButton, 0);
  ed.MouseRow = 0;
  vsfgGridCh_MouseDown(ctx, ed, kRightButton, 0);
  ed.MouseRow = 3;
  ed.MouseCol = -1;
  vsfgGridCh_MouseDown(ctx, ed, kRightButton, 0);
  EXPECT_EQ(menus.shown.size(), before);
  EXPECT_EQ(ed.SelCh, 11);
}

// The pop-up menu's commands on the row it was opened for.

TEST_F(ChGridEditTest, OpenChannelFillsTheRowFromTheColumnDefaults) {
  setUp(200);
  mnuOpenCh_Click(ctx, 5);
  EXPECT_EQ((B{ChInfo(5, 0), ChInfo(5, 1), ChInfo(5, 2), ChInfo(5, 3)}), (B{1, 43000000, -1, 5})) << "the TX default 0: no TX";
  EXPECT_EQ(row(5), QStringLiteral("430||77.0|None|Narrow|On|High| CH-0|Lamp|C"));
  EXPECT_EQ(std::make_pair(g.row(), g.col()), std::make_pair(5, 1));
  ctx.ch.ColItems(1, 2) = QStringLiteral("48000000");  // outside the band
  ctx.ch.ColItems(2, 2) = QStringLiteral("44000000");
  ctx.ch.ColItems(4, 2) = QStringLiteral("-1");
  mnuOpenCh_Click(ctx, 123);
  EXPECT_EQ((B{int(g.cellForeColor(123, 1)), int(g.cellForeColor(123, 2))}), (B{kOver, kDef}));
  EXPECT_EQ((B{ChInfo(123, 2), ChInfo(123, 4)}), (B{44000000, -1}));
  EXPECT_EQ(logged(), 0) << env.log();
  // A default that is no number stops the command at its field; those before it stay.
  ctx.ch.ColItems(6, 2) = QStringLiteral("on");
  mnuOpenCh_Click(ctx, 7);
  EXPECT_EQ(row(7, 8), QStringLiteral("480|440|77.0||Narrow|||"));
  EXPECT_EQ(ctx.log.lastProcName(), QStringLiteral("mdifrmMain->mnuOpenCh_Click"));
  EXPECT_EQ(ctx.log.lastNumber(), ErrTypeMismatch);
}

TEST_F(ChGridEditTest, SaveAsDefaultStoresTheRowAsDefaultsOfTheCurrentLanguageOrLogsWhyNot) {
  setUp();
  const QString file = env.path(QStringLiteral("minglyc.dll"));
  ctx.ini.setPath(file);
  putChannel(3);
  ctx.st.CurLang = 7;  // not a language: English
  mnuSaveDef_Click(ctx, 3);
  EXPECT_EQ(IniFile(file).read(QStringLiteral("ChInfo"), QStringLiteral("3302"), {}), QStringLiteral("1"));
  EXPECT_EQ(IniFile(file).read(QStringLiteral("ChInfo"), QStringLiteral("3502"), {}), QStringLiteral("2"));
  EXPECT_EQ(std::make_pair(g.row(), g.col()), std::make_pair(3, 1));
  mnuOpenCh_Click(ctx, 11);
  EXPECT_EQ((B{ChInfo(11, 2), ChInfo(11, 4)}), (B{44610000, 51})) << "Open channel takes the new defaults";
  EXPECT_EQ(logged(), 0) << env.log();
  // A settings file that cannot be written: the defaults change for this run, and the
  // failure is logged rather than passed over.
  ctx.ini.setPath(env.path(QStringLiteral("no-such-folder/minglyc.dll")));
  ChInfo(3, 7) = 0;
  mnuSaveDef_Click(ctx, 3);
  EXPECT_EQ(ctx.ch.ColItems(7, 2), QStringLiteral("0"));
  EXPECT_EQ(logged(), 1);
  EXPECT_EQ(ctx.log.lastProcName(), QStringLiteral("mdifrmMain->mnuSaveDef_Click"));
  EXPECT_EQ(ctx.log.lastNumber(), ErrPathFileAccess);
}

TEST_F(ChGridEditTest, DeleteChannelSparesTheVfoRowAndDeleteAllTheLastRow) {
  setUp(200);
  for (int n : {5, 6, 200}) putChannel(n);
  mnuDelOne_Click(ctx, 5);
  mnuDelOne_Click(ctx, 200);
  EXPECT_EQ((B{ChInfo(5, 1), ChInfo(6, 1), ChInfo(200, 1)}), (B{-1, 43602500, 43602500}));
  EXPECT_EQ(g.text(5, 7) + g.text(200, 1), QStringLiteral("436.025"));
  setUp(16);
  for (int n : {1, 15, 16}) putChannel(n);
  for (int n = 1; n <= 16; ++n) ChInfo(n, 0) = 0;
  mnuDelAll_Click(ctx);
  for (int n = 1; n <= 15; ++n) EXPECT_EQ(std::make_pair(ChInfo(n, 1), ChInfo(n, 0)), std::make_pair(-1, 1)) << n;
  EXPECT_EQ((B{ChInfo(16, 1), ChInfo(16, 0)}), (B{43602500, 0}));
  EXPECT_EQ(g.text(16, 2), QStringLiteral("446.1"));
  EXPECT_EQ(logged(), 0) << env.log();
}

}  // namespace
