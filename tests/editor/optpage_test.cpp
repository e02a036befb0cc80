// The options page and the FM page without widgets: filling from OptSel, range errors,
// the handlers, the station boxes, and what reaches the image.

#include "editor/optpage.h"

#include "image/addressmap.h"
#include "image/chmem.h"
#include "image/codecenv.h"
#include "image/optcodec.h"
#include "shell/langtable.h"

#include <QHash>
#include <map>

using namespace k52;
using k52::test::CodecTest;

namespace {

// The page's controls as plain values. It is also the program's views, so the power-on
// message and the memory viewer land here.
class FakePage final : public OptPageView, public AppViews {
 public:
  struct Combo {
    QStringList items;
    int index = -1;
  };
  void setComboItems(int entry, const QStringList& items) override {
    combos[entry] = Combo{items, -1};
    ++fills;
  }
  void setComboIndex(int entry, int position) override { combos[entry].index = position; }
  bool isChecked(int entry) const override { return checks.value(entry); }
  void setChecked(int entry, bool ticked) override { checks[entry] = ticked; }
  QString stationText(int station) const override { return stations[station]; }
  void setStationText(int station, const QString& text) override {
    stations[station] = text;
    ++stationSets;
  }
  void showPowerOnMessage(const QString& text) override { message = text; }
  void showMemDat() override { ++memDatShown; }

  QString shown(int entry) const {
    const Combo& c = combos.at(entry);
    return c.index >= 0 ? c.items.value(c.index) : QString();
  }

  std::map<int, Combo> combos;
  QHash<int, bool> checks;
  QString stations[kFmStations];
  QString message = QStringLiteral("unset");
  int fills = 0, stationSets = 0, memDatShown = 0;
};

QStringList numbersList() {
  QStringList l;
  for (int k = 0; k <= 9; ++k) l << QString::number(k);
  return l;
}

class OptPageTest : public CodecTest {
 protected:
  OptPageTest() {
    ctx.views = &page;
    setLanguage(3);
    for (int k = 1; k <= 100; ++k) ctx.opt.OptSel(k) = ctx.opt.OptDef(k) = 0;
  }
  void setLanguage(int16_t lang) {
    ctx.st.CurLang = lang;
    InitFaceText(ctx);
  }
  int16_t& sel(int k) { return ctx.opt.OptSel(k); }
  // Types text into station box i as the user does: every change runs the change handler.
  void type(int i, const QString& text) {
    for (qsizetype n = 1; n <= text.size(); ++n) {
      page.stations[i] = page.stations[i] + text.at(n - 1);
      txtRadioFre_Change(ctx, page, i);
    }
  }
  void enter(int i, const QString& text) {
    page.stations[i].clear();
    txtRadioFre_Change(ctx, page, i);
    type(i, text);
    txtRadioFre_LostFocus(ctx, page, i);
  }
  QString logText() const { return ctx.log.lines().join(QLatin1Char('\n')); }

  FakePage page;
};

TEST_F(OptPageTest, EveryComboShowsItsListInTheCurrentLanguageAndTheSelectedValue) {
  sel(kOptTot) = 4;
  sel(kOptVoxDly) = 3;
  sel(kOptVoxLevel) = 8;
  sel(kOptKeyLig) = 2;
  sel(kOptRadioNowCh) = 24;
  sel(kOptRadioWorkMode) = 1;
  InitOpt(ctx, page);

  EXPECT_EQ(page.combos.size(), 15u);
  EXPECT_EQ(page.combos[kOptTot].items,
            (QStringList{"Off", "30", "60", "90", "120", "150", "180", "210", "240", "270"}));
  EXPECT_EQ(page.shown(kOptTot), QStringLiteral("120"));
  EXPECT_EQ(page.combos[kOptVoxDly].items, (QStringList{"0.3", "0.5", "1.0", "1.5", "2.0", "3.0"}));
  EXPECT_EQ(page.shown(kOptVoxDly), QStringLiteral("1.5"));
  EXPECT_EQ(page.combos[kOptVoxLevel].items.first(), QStringLiteral("1"));
  EXPECT_EQ(page.shown(kOptVoxLevel), QStringLiteral("9"));
  EXPECT_EQ(page.combos[kOptSql].items, numbersList());
  EXPECT_EQ(page.combos[kOptRadioSql].items, numbersList());
  EXPECT_EQ(page.combos[kOptWorkMode].items, (QStringList{"CH", "Frequency", "CH+Frequency"}));
  EXPECT_EQ(page.combos[kOptScanMode].items, (QStringList{"Time", "Carrier", "Off"}));
  EXPECT_EQ(page.combos[kOptAnVoice].items, (QStringList{"Off", "Chinese", "English"}));
  EXPECT_EQ(page.combos[kOptPwrOnShowMode].items, (QStringList{"Off", "Voltage", "Power On Message"}));
  EXPECT_EQ(page.shown(kOptKeyLig), QStringLiteral("On"));
  EXPECT_EQ(page.shown(kOptRadioWorkMode), QStringLiteral("CH"));
  ASSERT_EQ(page.combos[kOptRadioNowCh].items.size(), 25);
  EXPECT_EQ(page.combos[kOptRadioNowCh].items.first(), QStringLiteral("CH 1"));
  EXPECT_EQ(page.shown(kOptRadioNowCh), QStringLiteral("CH 25"));
  EXPECT_EQ(ctx.log.entriesLogged(), 0) << logText().toStdString();

  setLanguage(1);
  InitOpt(ctx, page);
  EXPECT_EQ(page.combos[kOptRadioNowCh].items.at(2), QStringLiteral("信道3")) << "no blank in Chinese";
  EXPECT_EQ(page.shown(kOptTot), QStringLiteral("120"));
  EXPECT_EQ(page.combos[kOptTot].items.first(), QStringLiteral("关"));
}

TEST_F(OptPageTest, AValueAboveTheListIsLoggedOnceAndReplacedByItsDefault) {
  ctx.opt.OptDef(kOptTot) = 3;
  ctx.opt.OptDef(kOptRadioNowCh) = 7;
  sel(kOptTot) = 12;
  sel(kOptSql) = 9;        // the highest value is in range
  sel(kOptVoxLevel) = 9;   // nine items, but 8 is the highest value
  sel(kOptRadioNowCh) = 25;
  InitOpt(ctx, page);

  EXPECT_EQ(page.combos[kOptTot].index, 3);
  EXPECT_EQ(sel(kOptTot), 3) << "the click handler stored the default";
  EXPECT_EQ(sel(kOptSql), 9);
  EXPECT_EQ(page.combos[kOptVoxLevel].index, 0);
  EXPECT_EQ(sel(kOptVoxLevel), 0);
  EXPECT_EQ(sel(kOptRadioNowCh), 7);
  EXPECT_EQ(ctx.log.entriesLogged(), 3);
  const QStringList lines = ctx.log.lines();
  EXPECT_TRUE(lines.contains(QStringLiteral("        可选功能项:   出错位置: frmSysSet->InitOpt->超时定时器     错误类型: 不在范围内")))
      << logText().toStdString();
  EXPECT_TRUE(lines.contains(QStringLiteral("        可选功能项:   出错位置: frmSysSet->InitOpt->VOX增益电平     错误类型: 不在范围内")));
  EXPECT_TRUE(lines.contains(QStringLiteral("        可选功能项:   出错位置: frmSysSet->InitOpt->收音机当前信道     错误类型: 不在范围内")));

  // The page shows the replacement; the next encode writes it.
  SetConvIicDat(ctx);
  EXPECT_EQ(get(0x0E14, 1), std::vector<int>{3});
  EXPECT_EQ(get(0x0E15, 1), std::vector<int>{0});
  EXPECT_EQ(get(0x0E19, 1), std::vector<int>{7});
  InitOpt(ctx, page);
  EXPECT_EQ(ctx.log.entriesLogged(), 3) << "filled again without new errors";
}

TEST_F(OptPageTest, ADefaultOutsideTheListStopsTheFillAndLeavesTheRestAsItWas) {
  sel(kOptSql) = 5;
  InitOpt(ctx, page);
  const int fillsBefore = page.fills;
  sel(kOptSql) = 7;
  sel(kOptBeep) = 4;  // above 1, and its default is no position of the list either
  ctx.opt.OptDef(kOptBeep) = 2;
  InitOpt(ctx, page);

  EXPECT_EQ(ctx.log.lastProcName(), QStringLiteral("frmSysSet->InitOpt:"));
  EXPECT_EQ(ctx.log.lastNumber(), ErrInvalidProperty);
  EXPECT_EQ(ctx.log.entriesLogged(), 2) << "the range error, then the failure";
  EXPECT_EQ(page.fills - fillsBefore, 3) << "time-out, squelch and beep were refilled, nothing after";
  EXPECT_EQ(page.shown(kOptSql), QStringLiteral("7"));
  EXPECT_EQ(page.combos[kOptBeep].index, -1);
  EXPECT_EQ(sel(kOptBeep), 4) << "nothing was selected, so nothing was stored";
  EXPECT_EQ(page.combos[kOptKeyLock].index, 0) << "the next control keeps its previous contents";
}

TEST_F(OptPageTest, OnlyTheUpperBoundIsTested) {
  sel(kOptSql) = -1;
  InitOpt(ctx, page);
  EXPECT_EQ(page.combos[kOptSql].index, -1) << "-1 selects nothing";
  EXPECT_EQ(sel(kOptSql), -1);
  EXPECT_EQ(ctx.log.entriesLogged(), 0);

  sel(kOptSql) = -2;
  InitOpt(ctx, page);
  EXPECT_EQ(ctx.log.entriesLogged(), 1);
  EXPECT_EQ(ctx.log.lastNumber(), ErrInvalidProperty);
}

TEST_F(OptPageTest, CheckBoxesFollowTheirRuleAndStoreOnlyWhenTheyChange) {
  InitOpt(ctx, page);
  for (int e : {kOptChNameShow, kOptBatSave, kOptRevFre, kOptWideBand, kOptVoxFunc, kOptRadioOn}) EXPECT_FALSE(page.checks[e]);

  sel(kOptChNameShow) = 2;  // ticked when not 0
  sel(kOptBatSave) = 1;
  sel(kOptRevFre) = 2;      // ticked only when 1
  sel(kOptWideBand) = 1;
  sel(kOptVoxFunc) = 1;
  sel(kOptRadioOn) = 1;
  InitOpt(ctx, page);
  EXPECT_TRUE(page.checks[kOptChNameShow]);
  EXPECT_EQ(sel(kOptChNameShow), 1) << "the tick stored 1";
  EXPECT_TRUE(page.checks[kOptBatSave]);
  EXPECT_FALSE(page.checks[kOptRevFre]);
  EXPECT_EQ(sel(kOptRevFre), 2) << "no change of state, so no click";
  EXPECT_TRUE(page.checks[kOptWideBand]);
  EXPECT_TRUE(page.checks[kOptVoxFunc]);
  EXPECT_TRUE(page.checks[kOptRadioOn]);

  // The user unticks wide band and picks a lamp setting.
  optControlClick(ctx, kOptWideBand, 0);
  optControlClick(ctx, kOptKeyLig, 1);
  put(0x0E10, {0xC0});
  SetConvIicDat(ctx);
  EXPECT_EQ(sel(kOptWideBand), 0);
  EXPECT_EQ(get(0x0E10, 1), std::vector<int>{0xC0 | 0x10}) << "radio on; wide band and reverse off; bits 6-7 kept";
  EXPECT_EQ(get(0x0E11, 1)[0] & 0x30, 0x10);
  EXPECT_EQ(get(0x0E12, 1)[0] & 0x68, 0x68) << "name shown, battery save, VOX";
}

TEST_F(OptPageTest, PowerOnMessageKeepsTheFirstFiveConvertibleCharacters) {
  InitOpt(ctx, page);
  EXPECT_EQ(page.message, QStringLiteral("00000")) << "shown after the power-on display mode";

  txtPwrMsg_LostFocus(ctx, QStringLiteral("hello world"));
  EXPECT_EQ(page.message, QStringLiteral("HELLO"));
  std::vector<int> codes;
  for (int i = 0; i < 5; ++i) codes.push_back(sel(kOptPowerOnMsg + i));
  EXPECT_EQ(codes, (std::vector<int>{17, 14, 21, 21, 24}));

  txtPwrMsg_LostFocus(ctx, QStringLiteral("k5!"));
  EXPECT_EQ(page.message, QStringLiteral("K5")) << "a character outside the table ends the shown text";
  SetConvIicDat(ctx);
  EXPECT_EQ(get(0x0E1B, 5), (std::vector<int>{20, 5, 255, 36, 36}));

  txtPwrMsg_LostFocus(ctx, QString());
  EXPECT_EQ(page.message, QString());
  SetConvIicDat(ctx);
  EXPECT_EQ(get(0x0E1B, 5), (std::vector<int>{255, 255, 255, 255, 255}));
}

TEST_F(OptPageTest, StationBoxesAcceptOnly87To108MHzAndRoundHalvesToEven) {
  InitOpt(ctx, page);
  enter(0, QStringLiteral("87.5"));
  EXPECT_EQ(page.stations[0], QStringLiteral("87.5"));
  EXPECT_EQ(sel(24), 875);

  enter(1, QStringLiteral("108"));
  EXPECT_EQ(page.stations[1], QStringLiteral("108.0"));
  EXPECT_EQ(sel(25), 1080);

  sel(26) = 999;
  enter(2, QStringLiteral("108.1"));
  EXPECT_EQ(page.stations[2], QString());
  EXPECT_EQ(sel(26), 0);

  enter(3, QStringLiteral("86.95"));
  EXPECT_EQ(page.stations[3], QStringLiteral("87.0")) << "869.5 goes to the even 870";
  EXPECT_EQ(sel(27), 870);

  enter(4, QStringLiteral("86.94"));
  EXPECT_EQ(page.stations[4], QString());
  EXPECT_EQ(sel(28), 0);

  enter(5, QStringLiteral(" 95.10 "));
  EXPECT_EQ(page.stations[5], QStringLiteral("95.1"));
  EXPECT_EQ(sel(29), 951);

  page.stations[6] = QStringLiteral("-90");  // pasted: a sign typed alone is emptied at once
  txtRadioFre_Change(ctx, page, 6);
  EXPECT_EQ(page.stations[6], QStringLiteral("-90"));
  txtRadioFre_LostFocus(ctx, page, 6);
  EXPECT_EQ(page.stations[6], QString());
  enter(7, QStringLiteral("99999999999999"));
  EXPECT_EQ(page.stations[7], QString()) << "a huge number is just out of the band";
  EXPECT_EQ(sel(31), 0);

  SetConvIicDat(ctx);
  EXPECT_EQ(get(0x0E60, 4), (std::vector<int>{0x00, 0x00, 0x75, 0x08}));
  EXPECT_EQ(get(0x0E64, 4), (std::vector<int>{0x00, 0x00, 0x80, 0x10}));
  EXPECT_EQ(get(0x0E68, 4), (std::vector<int>{0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(get(0x0E6C, 4), (std::vector<int>{0x00, 0x00, 0x70, 0x08}));
  EXPECT_EQ(get(0x0E74, 4), (std::vector<int>{0x00, 0x00, 0x51, 0x09}));
  EXPECT_EQ(ctx.log.entriesLogged(), 0) << logText().toStdString();
}

TEST_F(OptPageTest, TypingFiltersAtOnce) {
  InitOpt(ctx, page);
  sel(24) = 900;
  page.stations[0] = QStringLiteral("90.0");
  type(0, QStringLiteral("x"));
  EXPECT_EQ(page.stations[0], QString()) << "a letter empties the whole box";
  EXPECT_EQ(sel(24), 0);

  type(0, QStringLiteral("0"));
  EXPECT_EQ(page.stations[0], QString()) << "0 is emptied at once";
  type(0, QStringLiteral("-"));
  EXPECT_EQ(page.stations[0], QString()) << "a sign alone is no number";

  sel(24) = 500;  // a stale value; the box stays as typed while it is a number
  type(0, QStringLiteral("9"));
  EXPECT_EQ(page.stations[0], QStringLiteral("9"));
  type(0, QStringLiteral("1.7"));
  EXPECT_EQ(page.stations[0], QStringLiteral("91.7"));
  EXPECT_EQ(sel(24), 500) << "stored only on leaving the box";
  txtRadioFre_LostFocus(ctx, page, 0);
  EXPECT_EQ(sel(24), 917);

  page.stations[1] = QStringLiteral("0.04");  // rounds to 0
  txtRadioFre_Change(ctx, page, 1);
  EXPECT_EQ(page.stations[1], QString());
}

TEST_F(OptPageTest, FillingShowsStationsInTheBandAndEmptiesTheRest) {
  sel(24) = 875;
  sel(25) = 1500;
  sel(26) = 869;
  sel(48) = 1080;
  page.stations[26] = QString();
  page.stations[2] = QStringLiteral("stale");
  InitOpt(ctx, page);
  EXPECT_EQ(page.stations[0], QStringLiteral("87.5"));
  EXPECT_EQ(page.stations[1], QString());
  EXPECT_EQ(sel(25), 1500) << "the box was empty already: no change, no handler";
  EXPECT_EQ(page.stations[2], QString());
  EXPECT_EQ(sel(26), 0) << "the box changed to empty: the handler emptied the station";
  EXPECT_EQ(page.stations[24], QStringLiteral("108.0"));
  EXPECT_EQ(sel(48), 1080);

  SetConvIicDat(ctx);
  EXPECT_EQ(get(0x0E64, 4), (std::vector<int>{0xFF, 0xFF, 0xFF, 0xFF})) << "1500 is out of the band: empty";
}

TEST_F(OptPageTest, ClearEmptiesEveryStationAndKeepsTheCurrentStation) {
  for (int i = 0; i < kFmStations; ++i) sel(24 + i) = static_cast<int16_t>(880 + i);
  sel(kOptRadioNowCh) = 12;
  InitOpt(ctx, page);
  page.stations[3] = QString();  // emptied while typing, the entry not yet stored
  sel(27) = 1500;

  cmdClrRadioFre_Click(ctx, page);
  for (int i = 0; i < kFmStations; ++i) {
    EXPECT_EQ(page.stations[i], QString()) << i;
    EXPECT_EQ(sel(24 + i), 0) << i;
  }
  EXPECT_EQ(sel(kOptRadioNowCh), 12);
  EXPECT_EQ(page.shown(kOptRadioNowCh), QStringLiteral("CH 13"));

  SetConvIicDat(ctx);
  EXPECT_EQ(get(0x0E60, 100), std::vector<int>(100, 0xFF));
  EXPECT_EQ(get(0x0E19, 1), std::vector<int>{12});
}

TEST_F(OptPageTest, AnImageDecodesOntoThePage) {
  put(0x0E14, {5});
  put(0x0E16, {3});
  put(0x0E10, {0x13});           // work mode 1 (0x03), radio on
  put(0x0E60, {0x00, 0x00, 0x75, 0x08});
  put(0x0E64, {0x00, 0x00, 0x00, 0x15});  // 150 MHz
  put(0x0E1B, {10, 11, 255, 0, 1});
  OptSelSaveSol(ctx, 1);
  InitOpt(ctx, page);
  EXPECT_EQ(page.shown(kOptTot), QStringLiteral("150"));
  EXPECT_EQ(page.shown(kOptVoxDly), QStringLiteral("1.5"));
  EXPECT_EQ(page.shown(kOptWorkMode), QStringLiteral("Frequency"));
  EXPECT_TRUE(page.checks[kOptRadioOn]);
  EXPECT_EQ(page.stations[0], QStringLiteral("87.5"));
  EXPECT_EQ(page.stations[1], QString());
  EXPECT_EQ(page.message, QStringLiteral("AB"));
}

TEST_F(OptPageTest, TheFrameOpensTheMemoryViewerInTestModeOnly) {
  fraMain_DblClick(ctx);
  EXPECT_EQ(page.memDatShown, 0);
  ctx.st.TestModeFlag = true;
  fraMain_DblClick(ctx);
  EXPECT_EQ(page.memDatShown, 1);
}

TEST(FmStationText, OneDecimalWithAtLeastTwoDigitsBeforeThePoint) {
  EXPECT_EQ(fmStationText(875), QStringLiteral("87.5"));
  EXPECT_EQ(fmStationText(870), QStringLiteral("87.0"));
  EXPECT_EQ(fmStationText(1080), QStringLiteral("108.0"));
  EXPECT_EQ(fmStationText(5), QStringLiteral("00.5"));
}

}  // namespace
