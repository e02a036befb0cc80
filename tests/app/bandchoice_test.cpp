// The band list and the custom range dialog on a started program without windows: the
// list is the logic's own, the questions and the dialog are scripted.

#include "app/bandchoice.h"
#include "app/bandtable.h"
#include "core/addressmap.h"
#include "app/chgrid.h"
#include "app/startup.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

using namespace k52;

namespace {

// What loading the settings window does at start-up: it fills the band list.
class BandViews final : public test::RecordingViews {
 public:
  explicit BandViews(AppContext& ctx) : ctx_(ctx) {}
  void loadSettingsWindow() override { ChInfoModel(ctx_); }

 private:
  AppContext& ctx_;
};

// Remembers what the list showed, as the combo box would.
class RecordingList final : public BandListView {
 public:
  void showBandList(const QStringList& items, int index) override {
    shownItems = items;
    indexes.push_back(index);
  }
  QStringList shownItems;
  std::vector<int> indexes;
};

class BandChoiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env.installProgram(0);
    ctx.views = &views;
    InitMultiFrm(ctx);
    ASSERT_EQ(ctx.IicDat.size(), 8192);
    env.dialogs.asked.clear();
    logged = ctx.log.entriesLogged();
    // Something of the user's own in the working data, and a file name of theirs.
    ctx.IicDat.at(addr::kChannelRecord) = 0x42;
    ctx.st.CurDataFile = env.path(QStringLiteral("mine.dat"));
    ctx.bandChoice.view = &shown;
  }
  QByteArray bandBytes() const { return ctx.IicDat.toByteArray().mid(addr::kBand, 3); }
  void setBandBytes(const char* hex) {
    const QByteArray b = QByteArray::fromHex(hex);
    for (int i = 0; i < 3; ++i) ctx.IicDat.at(addr::kBand + i) = static_cast<uint8_t>(b[i]);
  }
  // The user's data was replaced by the default image, and the file name by the default.
  bool dataWasReset() const { return ctx.IicDat.at(addr::kChannelRecord) != 0x42 && ctx.st.CurDataFile == ctx.st.DefDataFile; }
  // "index lower-upper bytes", and nothing left pending.
  std::string band() const {
    EXPECT_FALSE(ctx.bandChoice.BandAutoSel || ctx.bandChoice.BandUndo);
    EXPECT_EQ(ctx.bandChoice.cboFrequencyIndex, ctx.band.BandIndex);
    return limits();
  }
  std::string limits() const {
    return QStringLiteral("%1 %2-%3 %4").arg(ctx.band.BandIndex).arg(ctx.band.LowerLimit).arg(ctx.band.UpperLimit)
        .arg(QString::fromLatin1(bandBytes().toHex())).toStdString();
  }
  size_t questions() const { return env.dialogs.asked.size(); }
  // The user picks "Custom", answers the first question (Yes: the data is reset), fills the
  // dialog (nullopt: Cancel) and answers the OK button's question.
  void chooseCustom(std::optional<CustomRangeTexts> answer, MsgAnswer okQuestion = MsgAnswer::No) {
    env.dialogs.answers = {MsgAnswer::Yes, okQuestion};
    env.dialogs.customRanges = {std::move(answer)};
    cboFrequencySelect(ctx, 11);
  }
  static CustomRangeTexts texts(const char* min, const char* max) { return {QLatin1String(min), QLatin1String(max)}; }

  test::TestEnv env;
  AppContext& ctx = *env.ctx;
  BandViews views{ctx};
  RecordingList shown;
  int logged = 0;
};

TEST_F(BandChoiceTest, LoadingTheWindowListsTwelveBandsAndSettlesOn400To470WithoutAQuestion) {
  ASSERT_EQ(ctx.bandChoice.cboFrequencyList.size(), 12);
  EXPECT_EQ(band(), "5 40000000-46999500 404700");
  ChInfoModel(ctx);  // filling it again (as loading does) raises only the program's own selection
  cboFrequencySelect(ctx, 5);  // the selected entry again: nothing
  EXPECT_TRUE(questions() + env.dialogs.customForms.size() == 0u && !dataWasReset());
  EXPECT_TRUE(shown.shownItems == ctx.bandChoice.cboFrequencyList && shown.indexes.back() == 5);
  EXPECT_EQ(ctx.log.entriesLogged(), logged) << env.log();
}

TEST_F(BandChoiceTest, ChoosingABandAsksAndYesResetsTheDataWhileNoPutsTheListBack) {
  const QByteArray before = ctx.IicDat.toByteArray();
  env.dialogs.answers = {MsgAnswer::No};
  cboFrequencySelect(ctx, 8);
  EXPECT_EQ(questions(), 1u);
  EXPECT_EQ(band(), "5 40000000-46999500 404700");
  EXPECT_TRUE(ctx.IicDat.toByteArray() == before && ctx.st.CurDataFile == env.path(QStringLiteral("mine.dat"))) << "declining leaves the data alone";
  EXPECT_EQ(shown.indexes, (std::vector<int>{8, 5})) << "the combo box followed the list there and back";

  // The put-back was swallowed by its own event; the next choice asks again.
  cboFrequencySelect(ctx, 8);  // "470 - 520 MHz", answered Yes
  ASSERT_EQ(questions(), 2u);
  const auto& q = env.dialogs.asked[1];
  EXPECT_TRUE(q.prompt == ctx.text(74) && q.title == ctx.text(70) && q.buttons == MsgButtons::YesNo && q.icon == MsgIcon::Question);
  EXPECT_TRUE(dataWasReset() && views.statusFile == ctx.text(85) + ctx.st.DefDataFile);
  EXPECT_EQ(band(), "8 47000000-51999500 475200");
}

TEST_F(BandChoiceTest, ADeclinedChoiceThatLeavesNothingToPutBackDoesNotSwallowTheNextOne) {
  ctx.band.BandIndex = 8;  // out of step with the list, which stands on 5
  env.dialogs.answers = {MsgAnswer::No, MsgAnswer::No};
  cboFrequencySelect(ctx, 8);
  EXPECT_TRUE(ctx.bandChoice.cboFrequencyIndex == 8 && !ctx.bandChoice.BandUndo);
  cboFrequencySelect(ctx, 2);
  EXPECT_TRUE(questions() == 2u && ctx.bandChoice.cboFrequencyIndex == 8) << "the next choice is asked about again";
}

TEST_F(BandChoiceTest, AnImageSelectsItsPresetWithoutQuestionOrResetOrOpensTheCustomDialog) {
  setBandBytes("131764");
  const QByteArray rx = QByteArray::fromHex("00953917");  // channel 2 on 173.995 MHz: inside 136-174 only
  for (int i = 0; i < 4; ++i) ctx.IicDat.at(addr::channelRecord(2) + i) = static_cast<uint8_t>(rx[i]);
  SoftDisplay(ctx);
  EXPECT_TRUE(questions() + env.dialogs.customForms.size() == 0u && !dataWasReset());
  EXPECT_EQ(band(), "0 13600000-17399500 131764");
  EXPECT_TRUE(ctx.ch.ChInfo(2, 1) == 17399500 && ctx.gridCh().text(2, 1) == QStringLiteral("173.995")) << "decoded with the image's band, not the one before";

  // 136-175 MHz is no preset: the dialog, proposing the image's range; only its OK button
  // asks, and No keeps the data but applies the range. Then, with the list already on
  // "Custom", another range of its own opens the dialog all the same.
  const std::tuple<const char*, const char*, CustomRangeTexts, const char*> custom[] = {
      {"131765", "175", texts("137", "171"), "11 13700000-17099500 131771"}, {"131766", "176", texts("136", "176"), "11 13600000-17599500 131766"}};
  for (const auto& [bytes, proposedMax, typed, expected] : custom) {
    const size_t forms = env.dialogs.customForms.size(), asked = questions();
    setBandBytes(bytes);
    env.dialogs.customRanges = {typed};
    env.dialogs.answers = {MsgAnswer::No};
    SoftDisplay(ctx);
    ASSERT_EQ(env.dialogs.customForms.size(), forms + 1) << bytes;
    EXPECT_EQ(env.dialogs.customForms.back().texts, texts("136", proposedMax));
    EXPECT_TRUE(questions() == asked + 1 && !dataWasReset()) << bytes;
    EXPECT_EQ(band(), expected);
  }

  // An erased band record with the dialog cancelled falls back to the band before.
  setBandBytes("404700");
  SoftDisplay(ctx);
  setBandBytes("FFFFFF");
  env.dialogs.customRanges = {std::nullopt};
  SoftDisplay(ctx);
  EXPECT_EQ(env.dialogs.customForms.size(), 3u);
  EXPECT_EQ(band(), "5 40000000-46999500 404700");
}

TEST_F(BandChoiceTest, AnUnreadableBandRecordGivesTheWidestCustomBandAndLogsTheFailedRewrite) {
  ctx.IicDat.allocate(0x0FF1);  // ends inside the band record
  env.dialogs.customRanges = {std::nullopt};
  ModelRangeSol(ctx);
  EXPECT_TRUE(ctx.bandChoice.cboFrequencyIndex == 11 && ctx.band.LowerLimit == 12000000 && ctx.band.UpperLimit == 51999500 && questions() == 0u);
  EXPECT_TRUE(ctx.log.entriesLogged() == logged + 1 && test::lastError(ctx) == test::failure(QStringLiteral("frmChMem->cboFrequency_Click"), ErrBounds));
}

TEST_F(BandChoiceTest, CustomRangesInvalidCancelledOfOneFrequencyAndOnWholePresetEdges) {
  chooseCustom(std::nullopt);
  EXPECT_TRUE(questions() == 1u && dataWasReset()) << "Cancel asks nothing; the reset came with the first question";
  EXPECT_EQ(band(), "5 40000000-46999500 404700");

  // Texts that are no range within 120 - 520 MHz (which texts are none is the band table's
  // test) become 120 - 520, which is a preset.
  chooseCustom(texts("119.9", "300"));
  EXPECT_EQ(band(), "10 12000000-51999500 125200");
  EXPECT_EQ(ctx.bandChoice.frmCustomFre.texts, texts("120", "520"));
  chooseCustom(texts("150", "150"));  // one frequency: accepted, with nothing inside
  EXPECT_EQ(band(), "11 15000000-14999500 151500");
  env.dialogs.answers = {MsgAnswer::Yes};
  cboFrequencySelect(ctx, 5);
  chooseCustom(std::nullopt);  // the accepted texts are what the dialog shows next time
  EXPECT_EQ(env.dialogs.customForms.back().texts, texts("150", "150"));

  chooseCustom(texts("136", "174"));
  EXPECT_EQ(band(), "0 13600000-17399500 131764");
  // 135.5 goes to 136 (even), 150.495 to 150: recorded as the 136-150 preset, whose own
  // limits then replace the typed ones.
  chooseCustom(texts("135.5", "150.5"));
  EXPECT_TRUE(band() == "1 13600000-14999500 131560" && ctx.bandChoice.strFreMin == QStringLiteral("135.5"));
}

// Selecting from the image leaves the data alone: a band already selected is not even
// rewritten, and a custom band already selected with still no preset in the image does not
// open the dialog again.
TEST_F(BandChoiceTest, WhatIsAlreadySelectedStaysWithoutARewriteOrADialog) {
  const auto noDialog = []() -> std::optional<BandLimits> {
    ADD_FAILURE() << "the dialog must not open";
    return std::nullopt;
  };
  const auto custom137 = [] { return customRangeFromTexts(QStringLiteral("137"), QStringLiteral("171")); };
  const std::tuple<const char*, CustomRangeAnswer, const char*> steps[] = {
      {"131764", noDialog, "0 13600000-17399500 131764"}, {"0d1764", noDialog, "0 13600000-17399500 0d1764"},
      {"131765", custom137, "11 13700000-17099500 131771"}, {"131765", noDialog, "11 13700000-17099500 131765"}};
  for (const auto& [bytes, dialog, expected] : steps) {
    setBandBytes(bytes);
    SelectBandFromImage(ctx, dialog);
    EXPECT_EQ(limits(), expected);
  }
  EXPECT_TRUE(!dataWasReset() && ctx.log.entriesLogged() == logged) << env.log();
}

}  // namespace
