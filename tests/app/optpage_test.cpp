// The options page and the FM page without widgets: filling from OptSel, range errors,
// the handlers and the station boxes, and what they leave in OptSel (the bytes it encodes
// to are the option codec's).

#include "app/optpage.h"

#include "app/chmem.h"
#include "app/charcodec.h"
#include "app/optcodec.h"
#include "app/langtable.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

#include <QHash>
#include <map>

using namespace k52;

namespace {

using B = std::vector<int>;

// The page's controls as plain values. It is also the program's views, so the power-on
// message lands here.
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
  void setStationText(int station, const QString& text) override { stations[station] = text; }
  void showPowerOnMessage(const QString& text) override { message = text; }
  QString shown(int entry) const {
    const Combo& c = combos.at(entry);
    return c.index >= 0 ? c.items.value(c.index) : QString();
  }

  std::map<int, Combo> combos;
  QHash<int, bool> checks;
  QString stations[kFmStations];
  QString message;
  int fills = 0;
};

class OptPageTest : public ::testing::Test {
 protected:
  OptPageTest() : ctx(*env.ctx) {
    GetValidCharTbl(ctx);
    ctx.views = &page;
    setLanguage(3);
    for (int k = 1; k <= 100; ++k) ctx.opt.OptSel(k) = ctx.opt.OptDef(k) = 0;
  }
  void setLanguage(int16_t lang) {
    ctx.st.CurLang = lang;
    InitFaceText(ctx);
  }
  int16_t& sel(int k) { return ctx.opt.OptSel(k); }
  void setSels(std::initializer_list<std::pair<int, int>> values) {
    for (const auto& [k, v] : values) sel(k) = static_cast<int16_t>(v);
  }
  // Types text into station box i as the user does: every change runs the change handler.
  void type(int i, const QString& text) {
    for (QChar c : text) {
      page.stations[i] += c;
      txtRadioFre_Change(ctx, page, i);
    }
  }
  void enter(int i, const QString& text) {
    page.stations[i].clear();
    txtRadioFre_Change(ctx, page, i);
    type(i, text);
    txtRadioFre_LostFocus(ctx, page, i);
  }
  B sels(std::initializer_list<int> entries) {
    B v;
    for (int e : entries) v.push_back(sel(e));
    return v;
  }

  test::TestEnv env;
  AppContext& ctx;
  FakePage page;
};

TEST_F(OptPageTest, AValueAboveTheListIsLoggedOnceAndReplacedByItsDefault) {
  ctx.opt.OptDef(kOptTot) = 3;
  ctx.opt.OptDef(kOptRadioNowCh) = 7;
  // The squelch's 9 is its highest value; the VOX level has nine items, but 8 is its highest.
  setSels({{kOptTot, 12}, {kOptSql, 9}, {kOptVoxLevel, 9}, {kOptRadioNowCh, 25}});
  InitOpt(ctx, page);
  EXPECT_EQ(page.combos[kOptTot].index, 3);
  EXPECT_EQ((B{sel(kOptTot), sel(kOptSql), sel(kOptVoxLevel), sel(kOptRadioNowCh)}), (B{3, 9, 0, 7}))
      << "the click handler stored the default";
  EXPECT_EQ(ctx.log.entriesLogged(), 3);
  for (const char* item : {"超时定时器", "VOX增益电平", "收音机当前信道"})
    EXPECT_TRUE(ctx.log.lines().contains(QStringLiteral("        可选功能项:   出错位置: frmSysSet->InitOpt->%1     错误类型: 不在范围内")
                                             .arg(QString::fromUtf8(item))))
        << env.log();
  // A refill logs nothing new.
  sel(kOptSql) = -1;  // only the upper bound is tested: -1 selects nothing
  InitOpt(ctx, page);
  EXPECT_TRUE(page.combos[kOptSql].index == -1 && ctx.log.entriesLogged() == 3);
  sel(kOptSql) = -2;
  InitOpt(ctx, page);
  EXPECT_EQ(ctx.log.lastNumber(), ErrInvalidProperty);
}

TEST_F(OptPageTest, ADefaultOutsideTheListStopsTheFillAndLeavesTheRestAsItWas) {
  InitOpt(ctx, page);
  const int fillsBefore = page.fills;
  sel(kOptSql) = 7;
  sel(kOptBeep) = 4;  // above 1, and its default is no position of the list either
  ctx.opt.OptDef(kOptBeep) = 2;
  InitOpt(ctx, page);
  EXPECT_TRUE(ctx.log.entriesLogged() == 2 && test::lastError(ctx) == test::failure(QStringLiteral("frmSysSet->InitOpt:"), ErrInvalidProperty))
      << "the range error, then the failure";
  EXPECT_TRUE(page.fills - fillsBefore == 3 && page.shown(kOptSql) == QStringLiteral("7")) << "time-out, squelch and beep were refilled, nothing after";
  EXPECT_TRUE(page.combos[kOptBeep].index == -1 && sel(kOptBeep) == 4) << "nothing was selected, so nothing was stored";
  EXPECT_EQ(page.combos[kOptKeyLock].index, 0) << "the next control keeps its previous contents";
}

TEST_F(OptPageTest, CheckBoxesFollowTheirRuleAndStoreOnlyWhenTheyChange) {
  // The channel name display is ticked when not 0, reverse frequency only when 1.
  setSels({{kOptChNameShow, 2}, {kOptBatSave, 1}, {kOptRevFre, 2}, {kOptWideBand, 1}, {kOptVoxFunc, 1}, {kOptRadioOn, 1}});
  InitOpt(ctx, page);
  for (int e : {kOptChNameShow, kOptBatSave, kOptRevFre, kOptWideBand, kOptVoxFunc, kOptRadioOn})
    EXPECT_EQ(page.checks[e], e != kOptRevFre) << e;
  EXPECT_EQ(sels({kOptChNameShow, kOptRevFre}), (B{1, 2})) << "the tick stored 1; no change of state, so no click";

  // The user unticks wide band and picks a lamp setting.
  optControlClick(ctx, kOptWideBand, 0);
  optControlClick(ctx, kOptKeyLig, 1);
  EXPECT_EQ(sels({kOptRadioOn, kOptWideBand, kOptKeyLig, kOptChNameShow, kOptBatSave, kOptVoxFunc}), (B{1, 0, 1, 1, 1, 1}));
}

TEST_F(OptPageTest, PowerOnMessageKeepsTheFirstFiveConvertibleCharactersAndShowsUpToTheFirstNonCharacter) {
  InitOpt(ctx, page);
  EXPECT_EQ(page.message, QStringLiteral("00000")) << "shown after the power-on display mode";
  txtPwrMsg_LostFocus(ctx, QStringLiteral("hello world"));
  EXPECT_TRUE(page.message == QStringLiteral("HELLO") && sels({50, 51, 52, 53, 54}) == (B{17, 14, 21, 21, 24}));
  txtPwrMsg_LostFocus(ctx, QStringLiteral("k5!"));
  EXPECT_EQ(page.message, QStringLiteral("K5   ")) << "a character outside the table is left out";
  txtPwrMsg_LostFocus(ctx, QString());
  EXPECT_EQ(page.message, QString());
  for (int i = 0; i < 5; ++i) sel(50 + i) = int16_t(std::array{17, 14, 255, 21, 24}[size_t(i)]);
  ShowPowerOnMsg(ctx);
  EXPECT_EQ(page.message, QStringLiteral("HE")) << "shown up to the first code that is no character";
  sel(50) = -1;  // no index into the table: logged, the box is not touched
  ShowPowerOnMsg(ctx);
  EXPECT_EQ(page.message + test::lastError(ctx), QStringLiteral("HE") + test::failure(QStringLiteral("modChMem->ShowPowerOnMsg"), ErrBounds));
}

TEST_F(OptPageTest, StationBoxesAcceptOnly87To108MHzAndRoundHalvesToEven) {
  InitOpt(ctx, page);
  const std::tuple<const char*, const char*, int> cases[] = {
      {"87.5", "87.5", 875}, {"108", "108.0", 1080}, {"108.1", "", 0},
      {"86.95", "87.0", 870},  // 869.5 goes to the even 870
      {"86.94", "", 0}, {" 95.10 ", "95.1", 951},
      {"99999999999999", "", 0},  // a huge number is just out of the band
  };
  int i = 0;
  for (const auto& [typed, shown, value] : cases) {
    sel(kOptFmStation + i) = 999;
    enter(i, QLatin1String(typed));
    EXPECT_EQ(page.stations[i] + QLatin1Char(' ') + QString::number(sel(kOptFmStation + i)), QStringLiteral("%1 %2").arg(QLatin1String(shown)).arg(value)) << typed;
    ++i;
  }
  page.stations[i] = QStringLiteral("-90");  // pasted: a sign typed alone is emptied at once
  txtRadioFre_Change(ctx, page, i);
  EXPECT_EQ(page.stations[i], QStringLiteral("-90"));
  txtRadioFre_LostFocus(ctx, page, i);
  EXPECT_TRUE(page.stations[i].isEmpty() && fmStationText(5) == QStringLiteral("00.5"));
  EXPECT_EQ(ctx.log.entriesLogged(), 0) << env.log();
}

// Each list shows the selected value in the current language; the stations in the band.
TEST_F(OptPageTest, FillingShowsTheValuesAndStationsInTheBandClearEmptiesThemAllButNotTheCurrentStation) {
  setSels({{24, 875}, {25, 1500}, {26, 869}, {48, 1080}, {kOptRadioNowCh, 12}, {kOptTot, 4}, {kOptVoxDly, 3}});
  page.stations[2] = QStringLiteral("stale");
  InitOpt(ctx, page);
  EXPECT_EQ(page.shown(kOptTot) + page.shown(kOptVoxDly) + page.shown(kOptRadioNowCh), QStringLiteral("1201.5CH 13"));
  EXPECT_EQ((QStringList{page.stations[0], page.stations[1], page.stations[2], page.stations[24]}),
            (QStringList{"87.5", "", "", "108.0"}));
  EXPECT_EQ(sel(25), 1500) << "the box was empty already: no change, no handler";
  EXPECT_EQ(sel(26), 0) << "the box changed to empty: the handler emptied the station";

  cmdClrRadioFre_Click(ctx, page);
  for (int i = 0; i < kFmStations; ++i) EXPECT_TRUE(page.stations[i].isEmpty() && sel(24 + i) == 0) << i;
  EXPECT_EQ(page.shown(kOptRadioNowCh), QStringLiteral("CH 13"));
  setLanguage(1);
  InitOpt(ctx, page);
  EXPECT_EQ(page.combos[kOptRadioNowCh].items.at(2) + page.shown(kOptTot), QStringLiteral("信道3120")) << "no blank in Chinese";
  EXPECT_EQ(ctx.log.entriesLogged(), 0) << env.log();
}

}  // namespace
