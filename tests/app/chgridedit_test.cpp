// Editing the channel grid, on the in-memory grid: what typing, choosing, clicking and
// double-clicking leave in ChInfo, ChNameCode and the grid (the bytes they encode to are
// the channel codec's); the pop-up menu's commands and the channel-interface lock.

#include "app/chgridedit.h"
#include "app/chpopmenu.h"
#include "core/addressmap.h"
#include "app/charcodec.h"
#include "app/chgrid.h"
#include "app/chmem.h"
#include "app/ctdcs.h"
#include "app/chlock.h"
#include "app/langtable.h"
#include "app/channelrows.h"
#include "app/configundo.h"
#include "app/chcodec.h"
#include "support/testenv.h"
#include "core/inifile.h"

#include <QUndoStack>
#include <functional>
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
    for (int f = 1; f <= 7; ++f) ctx.ch.ChInfo(n, f) = fields[f - 1];
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
  B fields(int n, std::initializer_list<int> which) const {  // ChInfo(n, f) for each f
    B v;
    for (int f : which) v.push_back(ctx.ch.ChInfo(n, f));
    return v;
  }
  QString row(int r, int cols = 10) const {
    QStringList v;
    for (int c = 1; c <= cols; ++c) v << g.text(r, c);
    return v.join(QLatin1Char('|'));
  }
  B names(int n) const {
    B v;
    for (int i = 0; i < 5; ++i) v.push_back(ctx.ch.ChNameCode(n, i));
    return v;
  }
  int logged() const { return ctx.log.entriesLogged() - logBase; }

  test::TestEnv env;
  AppContext& ctx = *env.ctx;
  int logBase = 0;
  MemoryGrid& g = static_cast<MemoryGrid&>(ctx.gridCh());
};

TEST_F(ChGridEditTest, TypedFrequenciesSnapToTheNearerRasterWithTheCoarserWinningATieAndStayInTheBand) {
  setUp();
  putChannel(1);
  const std::tuple<int, const char*, int32_t, const char*> cases[] = {
      {1, "436.02", 43602000, "436.02"},      // on the 5 kHz raster
      {1, "436.007", 43600500, "436.005"},    // 5 kHz point 200 away beats 12.5 kHz point 550 away
      {1, "436.0125", 43601250, "436.0125"},  // on the 12.5 kHz raster
      {2, "436.00625", 43600500, "436.005"},  // 125 away beats 625 away
      {2, "436.01125", 43601250, "436.0125"}, // 125 from both: the 12.5 kHz point
      {1, " 440 ", 44000000, "440"},
      {1, "480", 46999500, "469.995"},        // above the band: its top
      {2, "390.1", 40000000, "400"},          // below: its bottom
  };
  for (const auto& [col, text, stored, shown] : cases) {
    ASSERT_TRUE(type(1, col, QLatin1String(text)));
    EXPECT_EQ(QString::number(ctx.ch.ChInfo(1, col)) + QLatin1Char(' ') + g.text(1, col), QStringLiteral("%1 %2").arg(stored).arg(QLatin1String(shown))) << text;
  }
  EXPECT_EQ(logged(), 0) << env.log();

  // A number too big is logged and empties the cell; text that is no number takes TX
  // with its encode tone, RX with the whole channel.
  ASSERT_TRUE(type(1, 2, QStringLiteral("99999")));
  EXPECT_EQ(QString::number(ctx.ch.ChInfo(1, 2)) + test::lastError(ctx), QStringLiteral("-1") + test::failure(QStringLiteral("frmSysSet->vsfgGridCh_AfterEdit:"), ErrOverflow));
  putChannel(1);
  ASSERT_TRUE(type(1, 2, QStringLiteral("off")));
  EXPECT_EQ(row(1, 8), QStringLiteral("436.025||67.0||Wide|On|Low|"));
  ASSERT_TRUE(type(1, 1, QString()));
  EXPECT_TRUE(row(1, 8) == QStringLiteral("|||||||") && fields(1, {1, 2}) == (B{-1, -1}));
}

TEST_F(ChGridEditTest, AnRxFrequencyCompletesAnEmptyChannelTxOfAReceiveOnlyChannelBringsTheDecodeTone) {
  setUp();
  ctx.ch.ChInfo(3, 9) = -1;   // never set: takes its default
  ctx.ch.ChInfo(3, 10) = -1;  // the last column is left as it is
  ctx.ch.ChNameCode(3, 0) = 12;
  ASSERT_TRUE(type(3, 1, QStringLiteral("436.0237")));
  EXPECT_EQ(fields(3, {0, 1, 2, 3, 4, 5, 6, 7, 9, 10}), (B{1, 43602500, 43602500, 5, 5, 1, 1, 0, 1, -1}));
  EXPECT_EQ(row(3, 9), QStringLiteral("436.025|436.025|77.0|77.0|Narrow|On|High||Lamp"));
  EXPECT_TRUE(g.row() == 3 && g.col() == 5 && names(3) == B(5, 255)) << "a new channel has no name";

  putChannel(5, 43602500, -1, -1);
  ASSERT_TRUE(type(5, 2, QStringLiteral("446.00625")));
  EXPECT_TRUE(fields(5, {2, 4}) == (B{44600500, 1}) && g.row() == 5 && g.col() == 3);
  ctx.ch.ChInfo(5, 4) = 51;  // with an encode tone already set, a new TX keeps it
  ASSERT_TRUE(type(5, 2, QStringLiteral("446.1")));
  EXPECT_TRUE(fields(5, {2, 3, 4}) == (B{44610000, 1, 51}) && logged() == 0) << env.log();
}

TEST_F(ChGridEditTest, TheVfoRowKeepsItsFrequenciesTakesNoNameAndItsColumnTenIsLeftToTheGrid) {
  setUp(200);
  putChannel(200);
  ASSERT_TRUE(type(200, 1, QStringLiteral("vfo")));
  ASSERT_TRUE(type(200, 2, QString()));
  ASSERT_TRUE(type(200, 8, QStringLiteral("abc")));
  EXPECT_TRUE(row(200, 8) == QStringLiteral("436.025|446.1|67.0|D023N|Wide|On|Low|") && names(200) == B(5, 255));
  ctx.ch.ChInfo(200, 10) = 2;
  g.setEditMode(GridEditMode::None);
  g.setColComboList(10, QStringLiteral("stale"));
  g.select(200, 10);
  bool cancel = false;
  vsfgGridCh_BeforeEdit(ctx, 200, 10, cancel);
  EXPECT_TRUE(!cancel && g.editMode() == GridEditMode::None && g.colComboList(10) == QStringLiteral("stale")) << "no edit mode, no list set";
  dblClick(200, 10);  // resets to the first choice
  dblClick(199, 10);  // an empty channel: nothing
  EXPECT_EQ((QStringList{g.text(200, 10), g.text(199, 10)}), (QStringList{"A", ""}));
  // Text typed into the RX of a VFO without a frequency leaves it empty (no "-0.00001").
  ctx.ch.ChInfo(200, 1) = -1;
  g.setText(200, 1, QString());
  ASSERT_TRUE(type(200, 1, QStringLiteral("-")));
  EXPECT_TRUE(ctx.ch.ChInfo(200, 1) == -1 && g.text(200, 1).isEmpty());
}

TEST_F(ChGridEditTest, DoubleClickShortcutsAndWhereTheyDoNothing) {
  setUp();
  putChannel(4, 43602500, -1, -1);
  dblClick(4, 3);  // receive-only: the tones are not swapped
  g.select(4, 2);
  g.setCellForeColor(0x123456);
  dblClick(4, 2);  // TX := RX, and the decode tone for the missing encode tone
  EXPECT_TRUE(row(4, 4) == QStringLiteral("436.025|436.025|67.0|67.0") && g.cellForeColor(4, 2) == kDef);
  ctx.ch.ChInfo(4, 4) = 51;
  g.setText(4, 4, QStringLiteral("D023N"));
  dblClick(4, 3);  // decode := encode
  EXPECT_EQ(g.text(4, 3), QStringLiteral("D023N"));
  putChannel(12);
  g.setText(12, 8, QStringLiteral("ABC"));
  dblClick(12, 8);
  EXPECT_EQ(g.text(12, 8), QStringLiteral("ABC")) << "a named channel keeps its name";
  putChannel(13, 39000000, -1);  // an RX outside the band copied to TX: the warning colour
  dblClick(13, 2);
  EXPECT_EQ(g.cellForeColor(13, 2), kOver);
  // Nothing on RX, on an empty row, or while locked.
  putChannel(5, 43602500, -1);
  dblClick(5, 1);
  dblClick(6, 2);
  ctx.st.LockState = QString::fromLatin1(kShowLock);
  dblClick(5, 2);
  EXPECT_EQ((B{ctx.ch.ChInfo(6, 2), ctx.ch.ChInfo(5, 2)}), (B{-1, -1}));
}

TEST_F(ChGridEditTest, OpenChannelFillsTheRowFromTheColumnDefaultsSaveAsDefaultStoresThem) {
  setUp(200);
  mnuOpenCh_Click(ctx, 5);
  EXPECT_EQ(fields(5, {0, 1, 2, 3}), (B{1, 43000000, -1, 5})) << "the TX default 0: no TX";
  EXPECT_TRUE(row(5) == QStringLiteral("430||77.0|None|Narrow|On|High| CH-0|Lamp|C") && g.row() == 5 && g.col() == 1);
  ctx.ch.ColItems(1, 2) = QStringLiteral("48000000");  // outside the band
  mnuOpenCh_Click(ctx, 123);
  EXPECT_EQ((B{int(g.cellForeColor(123, 1)), int(g.cellForeColor(123, 2))}), (B{kOver, kDef}));
  // A default that is no number stops the command at its field; those before it stay.
  ctx.ch.ColItems(6, 2) = QStringLiteral("on");
  mnuOpenCh_Click(ctx, 7);
  EXPECT_EQ(row(7, 8), QStringLiteral("480||77.0|None|Narrow|||"));
  EXPECT_TRUE(ctx.log.lastProcName() == QStringLiteral("mdifrmMain->mnuOpenCh_Click") && logged() == 1);

  const QString file = env.path(QStringLiteral("minglyc.dll"));
  ctx.ini.setPath(file);
  putChannel(3);
  ctx.st.CurLang = 7;  // not a language: English
  mnuSaveDef_Click(ctx, 3);
  EXPECT_EQ(IniFile(file).read(QStringLiteral("ChInfo"), QStringLiteral("3302"), {}) + IniFile(file).read(QStringLiteral("ChInfo"), QStringLiteral("3502"), {}),
            QStringLiteral("12"));
  mnuOpenCh_Click(ctx, 11);
  EXPECT_EQ(fields(11, {2, 4, 6}), (B{44610000, 51, 1})) << "Open channel takes the new defaults";
  // A settings file that cannot be written: the defaults change for this run, and the
  // failure is logged rather than passed over.
  ctx.ini.setPath(env.path(QStringLiteral("no-such-folder/minglyc.dll")));
  ctx.ch.ChInfo(3, 7) = 0;
  mnuSaveDef_Click(ctx, 3);
  EXPECT_TRUE(ctx.ch.ColItems(7, 2) == QStringLiteral("0") && logged() == 2 &&
              test::lastError(ctx) == test::failure(QStringLiteral("mdifrmMain->mnuSaveDef_Click"), ErrPathFileAccess));
}

TEST_F(ChGridEditTest, DeleteChannelSparesTheVfoRowDeleteAllAsksThenKeepsNoChannel) {
  setUp(200);
  for (int n : {5, 6, 199, 200}) putChannel(n);
  mnuDelOne_Click(ctx, 5);
  mnuDelOne_Click(ctx, 200);
  EXPECT_EQ((B{ctx.ch.ChInfo(5, 1), ctx.ch.ChInfo(6, 1), ctx.ch.ChInfo(200, 1)}), (B{-1, 43602500, 43602500}));
  EXPECT_EQ(g.text(5, 7) + g.text(200, 1), QStringLiteral("436.025"));
  for (int n = 1; n <= 200; ++n) ctx.ch.ChInfo(n, 0) = 0;
  env.dialogs.answers = {MsgAnswer::No};
  mnuDelAll_Click(ctx);
  EXPECT_TRUE(ctx.ch.ChInfo(6, 1) == 43602500 && env.dialogs.asked.back().prompt == QStringLiteral("Are you sure delete all channels data?")) << "No keeps every channel";
  mnuDelAll_Click(ctx);
  EXPECT_EQ((B{ctx.ch.ChInfo(6, 0), ctx.ch.ChInfo(6, 1), ctx.ch.ChInfo(199, 1), ctx.ch.ChInfo(200, 0), ctx.ch.ChInfo(200, 1)}),
            (B{1, -1, -1, 1, -1}));
  EXPECT_TRUE(g.text(200, 2).isEmpty() && logged() == 0) << env.log();
}

// The main window's lock item, status notice and blink timer.
struct LockFace final : ChLockFace {
  bool chLockVisible() const override { return true; }
  bool chLockChecked() const override { return checked; }
  void setChLockChecked(bool on) override { checked = on; }
  QString statusNotice() const override { return notice; }
  void setStatusNotice(const QString& text) override { notice = text; }
  void setBlinkEnabled(bool on) override { blinking = on; }
  bool checked = false, blinking = false;
  QString notice;
};

TEST_F(ChGridEditTest, TheLockRefusesEditsAndItsNoticeBlinksOnlyOnceBackToReadyLeavingOtherNoticesAlone) {
  setUp();
  putChannel(2);
  ctx.ini.setPath(env.path(QStringLiteral("minglyc.dll")));
  LockFace face;
  mnuChLock_Click(ctx, face, 0);
  EXPECT_TRUE(face.checked && chInterfaceLocked(ctx));
  EXPECT_EQ(IniFile(ctx.ini.path()).read(QStringLiteral("Setting"), QStringLiteral("ChannelLock"), {}), QStringLiteral("ShowLock"));
  EXPECT_TRUE(type(2, 1, QStringLiteral("440")));  // the widget refuses the editor; the logic stores nothing either
  EXPECT_TRUE(g.editMode() == GridEditMode::None && ctx.ch.ChInfo(2, 1) == 43602500);
  const QString ready = QStringLiteral("Ready"), locked = QStringLiteral("Interface Locked");
  remindOfLock(ctx, face);
  EXPECT_FALSE(face.blinking) << "the notice still says locked";
  face.notice = ready;
  tmrChLock_Timer(ctx, face);
  EXPECT_TRUE(face.notice == locked && face.blinking);
  int16_t phase = 0;
  QStringList phases;
  for (const QString& other : {QString(), QString(), QStringLiteral("Writing"), QString()}) {
    if (!other.isNull()) face.notice = other;
    tmrChLockBlink_Timer(ctx, face, phase);
    phases << face.notice;
    if (!other.isNull()) face.notice.clear();
  }
  EXPECT_EQ(phases, (QStringList{locked, ready, QStringLiteral("Writing"), ready})) << "the phase goes on under another notice";
  toggleChannelLock(ctx, face);
  EXPECT_TRUE(!face.checked && !face.blinking && face.notice == ready && ctx.st.LockState == QStringLiteral("ShowNo"));
  EXPECT_TRUE(g.editMode() == GridEditMode::KbdMouse && logged() == 0) << env.log();
}

}  // namespace

// Every command on rows is one undo step; undo gives back the image byte for byte and redo
// the command's own result. Channels move whole: name extension and the radio's flag bits.
TEST_F(ChGridEditTest, RowCommandsUndoAndRedoByteForByteAndMoveChannelsWhole) {
  setUp(200);
  const struct {
    int n;
    int32_t rx;
    const char* name;
  } plan[] = {{3, 44000000, "DELTA"}, {4, 43600000, "ALPHA"}, {5, 45000000, "CHARL"}, {7, 43800000, "BRAVO"}};
  for (const auto& c : plan) {
    putChannel(c.n, c.rx, c.rx);
    g.setText(c.n, kFieldName, QString::fromLatin1(c.name));
    ChNameEdit(ctx, static_cast<int16_t>(c.n));
  }
  encodeTablesIntoImage(ctx);
  ctx.IicDat.at(addr::channelRecord(4) + 12) |= 0x01;  // a flag bit no field shows
  const QByteArray start = ctx.IicDat.toByteArray();
  auto encoded = [&] {
    encodeTablesIntoImage(ctx);
    return ctx.IicDat.toByteArray();
  };
  auto nameAt = [&](int n) { return channelNameText(ctx, static_cast<int16_t>(n)); };
  auto flagsAt = [&](int n) { return ctx.IicDat.at(addr::channelRecord(n) + 12) & 0x01; };
  ConfigUndo undo(ctx);
  const struct {
    const char* what;
    std::function<void()> run;
    std::function<QString()> result;
    QString expected;
  } cases[] = {
      {"delete", [&] { deleteRows(ctx, {3, 5}); }, [&] { return nameAt(3) + nameAt(4) + QString::number(fields(5, {1})[0]); },
       QStringLiteral("DELTAALPHA-1")},
      {"insert", [&] { insertEmptyRow(ctx, 3); }, [&] { return nameAt(4) + nameAt(5) + nameAt(6) + nameAt(7); },
       QStringLiteral("DELTAALPHACHARLBRAVO")},
      {"move down", [&] { moveRows(ctx, {4, 5}, +1); },
       [&] { return nameAt(5) + nameAt(6) + QString::number(fields(4, {1})[0]) + QString::number(flagsAt(5)); },
       QStringLiteral("ALPHACHARL-11")},
      {"move up", [&] { moveRows(ctx, {3}, -1); }, [&] { return nameAt(2) + QString::number(fields(3, {1})[0]); },
       QStringLiteral("DELTA-1")},
      {"sort by RX", [&] { sortChannels(ctx, SortKey::RxFrequency); },
       [&] { return nameAt(1) + nameAt(2) + nameAt(3) + nameAt(4) + QString::number(flagsAt(1)); },
       QStringLiteral("ALPHABRAVODELTACHARL1")},
      {"sort by name", [&] { sortChannels(ctx, SortKey::Name); }, [&] { return nameAt(1) + nameAt(4); },
       QStringLiteral("ALPHADELTA")},
      {"paste", [&] {
         std::vector<int> rows;
         pasteChannels(ctx, 198, channelsOfRows(ctx, {3, 4, 5}), rows);
       }, [&] { return nameAt(198) + nameAt(199) + QString::number(fields(200, {1})[0]); },
       QStringLiteral("DELTAALPHA-1")},
      {"delete all", [&] { deleteAllChannels(ctx); }, [&] { return QString::number(fields(4, {1})[0]); }, QStringLiteral("-1")},
  };
  for (const auto& c : cases) {
    c.run();
    undo.record(QString::fromLatin1(c.what));
    EXPECT_EQ(c.result(), c.expected) << c.what;
    const QByteArray after = encoded();
    EXPECT_NE(after, start) << c.what;
    undo.stack()->undo();
    EXPECT_EQ(encoded(), start) << c.what;
    undo.stack()->redo();
    EXPECT_EQ(encoded(), after) << c.what;
    undo.stack()->undo();
  }
  EXPECT_EQ(undo.stack()->count(), 1) << "each step replaced the one undone before it";
  undo.reset();
  EXPECT_TRUE(!undo.stack()->canUndo() && logged() == 0) << "a read or an open starts the history" << env.log();
}
