// The band list and the custom range dialog on a started program without windows: the
// list is the logic's own, the questions and the dialog are scripted.

#include "editor/bandchoice.h"
#include "image/addressmap.h"
#include "image/chgrid.h"
#include "shell/startup.h"
#include "support/testenv.h"
#include "ui/inifile.h"

#include <gtest/gtest.h>

#include <array>

using namespace k52;
using k52::test::TestEnv;

namespace {

// What loading the settings window does at start-up: it fills the band list.
class BandViews final : public AppViews {
 public:
  explicit BandViews(AppContext& ctx) : ctx_(ctx) {}
  void loadSettingsWindow() override { ChInfoModel(ctx_); }
  void setStatusFile(const QString& text) override { statusFile = text; }
  QString statusFile;

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

constexpr int kMarker = addr::kChannelRecord;  // first byte of channel 1

class BandChoiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env.installDeliveredFiles();
    IniFile(env.path(QStringLiteral("minglyc.dll"))).write(QStringLiteral("Setting"), QStringLiteral("FirRun"), QStringLiteral("0"));
    ctx.views = &views;
    InitMultiFrm(ctx);
    ASSERT_EQ(ctx.IicDat.size(), 8192);
    template_ = ctx.IicDat.toByteArray();
    env.dialogs.asked.clear();
    logged_ = ctx.log.entriesLogged();
    // Something of the user's own in the working data, and a file name of theirs.
    ctx.IicDat.at(kMarker) = 0x42;
    ctx.st.CurDataFile = env.path(QStringLiteral("mine.dat"));
  }

  std::array<uint8_t, 3> bandBytes() const {
    return {ctx.IicDat.at(addr::kBand), ctx.IicDat.at(addr::kBand + 1), ctx.IicDat.at(addr::kBand + 2)};
  }
  void setBandBytes(uint8_t a, uint8_t b, uint8_t c) {
    ctx.IicDat.at(addr::kBand) = a;
    ctx.IicDat.at(addr::kBand + 1) = b;
    ctx.IicDat.at(addr::kBand + 2) = c;
  }
  bool dataWasReset() const { return ctx.IicDat.at(kMarker) == static_cast<uint8_t>(template_.at(kMarker)); }
  void expectBand(int index, int32_t lower, int32_t upper) const {
    EXPECT_EQ(ctx.bandChoice.cboFrequencyIndex, index);
    EXPECT_EQ(ctx.band.BandIndex, index);
    EXPECT_EQ(ctx.band.LowerLimit, lower);
    EXPECT_EQ(ctx.band.UpperLimit, upper);
    EXPECT_FALSE(ctx.bandChoice.BandAutoSel);
    EXPECT_FALSE(ctx.bandChoice.BandUndo);
  }
  size_t questions() const { return env.dialogs.asked.size(); }
  // The user picks "Custom" and the first question is answered Yes.
  void chooseCustom(std::optional<CustomRangeTexts> answer, MsgAnswer okQuestion = MsgAnswer::No) {
    env.dialogs.answers = {MsgAnswer::Yes, okQuestion};
    env.dialogs.customRanges = {std::move(answer)};
    cboFrequencySelect(ctx, 11);
  }

  TestEnv env;
  AppContext& ctx = *env.ctx;
  BandViews views{ctx};
  QByteArray template_;
  int logged_ = 0;
};

TEST_F(BandChoiceTest, LoadingTheWindowListsTwelveBandsAndSettlesOn400To470WithoutAQuestion) {
  const QStringList& list = ctx.bandChoice.cboFrequencyList;
  ASSERT_EQ(list.size(), 12);
  EXPECT_EQ(list[0], QStringLiteral("136 - 174 MHz"));
  EXPECT_EQ(list[5], QStringLiteral("400 - 470 MHz"));
  EXPECT_EQ(list[10], QStringLiteral("120 - 520 MHz"));
  EXPECT_EQ(list[11], ctx.text(373));
  expectBand(5, 40000000, 46999500);

  // Filling it again (as loading does) raises only the program's own selection.
  RecordingList shown;
  ctx.bandChoice.view = &shown;
  ChInfoModel(ctx);
  EXPECT_EQ(questions(), 0u);
  EXPECT_FALSE(dataWasReset());
  EXPECT_EQ(shown.shownItems, list);
  EXPECT_EQ(shown.indexes.back(), 5);
  EXPECT_TRUE(env.dialogs.customForms.empty());
  EXPECT_EQ(ctx.log.entriesLogged(), logged_) << ctx.log.lines().join(QLatin1Char('\n')).toStdString();
}

TEST_F(BandChoiceTest, ChoosingABandAnsweredYesResetsTheDataAndRecordsTheBand) {
  cboFrequencySelect(ctx, 8);  // "470 - 520 MHz"
  ASSERT_EQ(questions(), 1u);
  const auto& q = env.dialogs.asked[0];
  EXPECT_EQ(q.prompt, ctx.text(74));
  EXPECT_EQ(q.title, ctx.text(70));
  EXPECT_EQ(q.buttons, MsgButtons::YesNo);
  EXPECT_EQ(q.icon, MsgIcon::Question);

  EXPECT_TRUE(dataWasReset());
  EXPECT_EQ(ctx.st.CurDataFile, ctx.st.DefDataFile);
  EXPECT_EQ(views.statusFile, ctx.text(85) + ctx.st.DefDataFile);
  expectBand(8, 47000000, 51999500);
  EXPECT_EQ(bandBytes(), (std::array<uint8_t, 3>{0x47, 0x52, 0x00}));
}

TEST_F(BandChoiceTest, ChoosingABandAnsweredNoPutsTheListBackWithoutASecondQuestion) {
  RecordingList shown;
  ctx.bandChoice.view = &shown;
  const QByteArray before = ctx.IicDat.toByteArray();
  env.dialogs.answers = {MsgAnswer::No};
  cboFrequencySelect(ctx, 8);
  EXPECT_EQ(questions(), 1u);
  expectBand(5, 40000000, 46999500);
  EXPECT_EQ(ctx.IicDat.toByteArray(), before) << "declining leaves the image alone";
  EXPECT_EQ(ctx.st.CurDataFile, env.path(QStringLiteral("mine.dat")));
  EXPECT_EQ(shown.indexes, (std::vector<int>{8, 5})) << "the combo box followed the list there and back";

  // The put-back was swallowed by its own event; the next choice asks again.
  env.dialogs.answers = {MsgAnswer::No};
  cboFrequencySelect(ctx, 0);
  EXPECT_EQ(questions(), 2u);
  expectBand(5, 40000000, 46999500);
}

TEST_F(BandChoiceTest, ADeclinedChoiceThatLeavesNothingToPutBackDoesNotSwallowTheNextOne) {
  ctx.band.BandIndex = 8;  // out of step with the list, which stands on 5
  env.dialogs.answers = {MsgAnswer::No};
  cboFrequencySelect(ctx, 8);
  EXPECT_EQ(ctx.bandChoice.cboFrequencyIndex, 8);
  EXPECT_FALSE(ctx.bandChoice.BandUndo);
  env.dialogs.answers = {MsgAnswer::No};
  cboFrequencySelect(ctx, 2);
  EXPECT_EQ(questions(), 2u) << "the next choice is asked about again";
  EXPECT_EQ(ctx.bandChoice.cboFrequencyIndex, 8);
}

TEST_F(BandChoiceTest, SelectingTheSelectedEntryRaisesNothingAndAnUnknownEntryIsRefused) {
  cboFrequencySelect(ctx, 5);
  EXPECT_EQ(questions(), 0u);
  EXPECT_FALSE(dataWasReset());
  EXPECT_THROW(cboFrequencySelect(ctx, 12), K52Error);
  EXPECT_EQ(ctx.bandChoice.cboFrequencyIndex, 5);
}

TEST_F(BandChoiceTest, ImageOnAPresetBandSelectsItWithoutQuestionOrReset) {
  setBandBytes(0x13, 0x17, 0x64);
  SoftDisplay(ctx);
  EXPECT_EQ(questions(), 0u);
  EXPECT_TRUE(env.dialogs.customForms.empty());
  EXPECT_FALSE(dataWasReset());
  EXPECT_EQ(ctx.st.CurDataFile, env.path(QStringLiteral("mine.dat")));
  expectBand(0, 13600000, 17399500);
  EXPECT_EQ(bandBytes(), (std::array<uint8_t, 3>{0x13, 0x17, 0x64}));
}

TEST_F(BandChoiceTest, ImageWithUnknownBandBytesOpensTheCustomDialog) {
  setBandBytes(0x13, 0x17, 0x65);  // 136-175 MHz is no preset
  env.dialogs.customRanges = {CustomRangeTexts{QStringLiteral("136"), QStringLiteral("175")}};
  env.dialogs.answers = {MsgAnswer::No};  // the OK button's question: keep the data
  SoftDisplay(ctx);

  ASSERT_EQ(env.dialogs.customForms.size(), 1u);
  const CustomRangeForm& form = env.dialogs.customForms[0];
  EXPECT_EQ(form.caption, ctx.text(374));
  EXPECT_EQ(form.lblFreMin, ctx.text(375));
  EXPECT_EQ(form.lblFreMax, ctx.text(376));
  EXPECT_EQ(form.cmdOk, ctx.text(377));
  EXPECT_EQ(form.cmdCancel, ctx.text(378));
  EXPECT_EQ(form.font, ctx.st.CurFont);
  EXPECT_EQ(form.texts, (CustomRangeTexts{QStringLiteral("120"), QStringLiteral("520")}))
      << "the dialog shows the last accepted range, not the image's";

  EXPECT_EQ(questions(), 1u) << "only the OK button asks";
  EXPECT_FALSE(dataWasReset());
  expectBand(11, 13600000, 17499500);
  EXPECT_EQ(bandBytes(), (std::array<uint8_t, 3>{0x13, 0x17, 0x65}));
}

TEST_F(BandChoiceTest, ErasedBandRecordWithTheDialogCancelledFallsBackToTheBandBefore) {
  setBandBytes(0xFF, 0xFF, 0xFF);
  env.dialogs.customRanges = {std::nullopt};
  SoftDisplay(ctx);
  EXPECT_EQ(env.dialogs.customForms.size(), 1u);
  EXPECT_EQ(questions(), 0u);
  EXPECT_FALSE(dataWasReset());
  expectBand(5, 40000000, 46999500);
  EXPECT_EQ(bandBytes(), (std::array<uint8_t, 3>{0x40, 0x47, 0x00}));
}

TEST_F(BandChoiceTest, UnreadableBandRecordGivesTheWidestCustomBand) {
  ctx.IicDat.allocate(0x0FF1);  // ends inside the band record
  env.dialogs.customRanges = {std::nullopt};
  ModelRangeSol(ctx);
  EXPECT_EQ(ctx.bandChoice.cboFrequencyIndex, 11);
  EXPECT_EQ(ctx.band.LowerLimit, 12000000);
  EXPECT_EQ(ctx.band.UpperLimit, 51999500);
  EXPECT_FALSE(ctx.bandChoice.BandAutoSel);
  EXPECT_EQ(questions(), 0u);
  // Writing the band back into the short image fails inside the selection event.
  EXPECT_EQ(ctx.log.entriesLogged(), logged_ + 1);
  EXPECT_EQ(ctx.log.lastProcName(), QStringLiteral("frmChMem->cboFrequency_Click"));
  EXPECT_EQ(ctx.log.lastNumber(), ErrBounds);
}

TEST_F(BandChoiceTest, InvalidCustomRangeBecomes120To520AndEndsOnThatPreset) {
  chooseCustom(CustomRangeTexts{QStringLiteral("119.9"), QStringLiteral("300")});
  EXPECT_EQ(questions(), 2u);
  EXPECT_TRUE(dataWasReset()) << "the first question was answered Yes";
  expectBand(10, 12000000, 51999500);
  EXPECT_EQ(ctx.bandChoice.frmCustomFre.texts, (CustomRangeTexts{QStringLiteral("120"), QStringLiteral("520")}));
  EXPECT_EQ(ctx.bandChoice.strFreMin, QStringLiteral("120"));
  EXPECT_EQ(ctx.bandChoice.strFreMax, QStringLiteral("520"));

  // Other texts that are no range at all.
  for (const auto& [min, max] : {std::pair{"abc", "300"}, {"200", ""}, {"300", "200"}, {"150", "520.01"}, {"1e3", "200"}}) {
    env.dialogs.answers = {MsgAnswer::Yes, MsgAnswer::No};
    env.dialogs.customRanges = {CustomRangeTexts{QString::fromLatin1(min), QString::fromLatin1(max)}};
    cboFrequencySelect(ctx, 11);
    SCOPED_TRACE(min);
    expectBand(10, 12000000, 51999500);
  }
}

TEST_F(BandChoiceTest, CustomRangeOfOneFrequencyIsAcceptedWithNothingInside) {
  chooseCustom(CustomRangeTexts{QStringLiteral("150"), QStringLiteral("150")});
  expectBand(11, 15000000, 14999500);
  EXPECT_EQ(bandBytes(), (std::array<uint8_t, 3>{0x15, 0x15, 0x00}));

  // The accepted texts are what the dialog shows when it opens again.
  env.dialogs.answers = {MsgAnswer::Yes};
  cboFrequencySelect(ctx, 5);
  chooseCustom(std::nullopt);
  ASSERT_EQ(env.dialogs.customForms.size(), 2u);
  EXPECT_EQ(env.dialogs.customForms[1].texts, (CustomRangeTexts{QStringLiteral("150"), QStringLiteral("150")}));
  expectBand(5, 40000000, 46999500);
}

TEST_F(BandChoiceTest, AnsweringNoInTheCustomDialogKeepsTheDataButAppliesTheRange) {
  setBandBytes(0x13, 0x17, 0x65);
  env.dialogs.customRanges = {CustomRangeTexts{QStringLiteral("137"), QStringLiteral("171")}};
  env.dialogs.answers = {MsgAnswer::No};
  SoftDisplay(ctx);
  EXPECT_FALSE(dataWasReset());
  EXPECT_EQ(ctx.st.CurDataFile, env.path(QStringLiteral("mine.dat")));
  expectBand(11, 13700000, 17099500);
  EXPECT_EQ(ctx.bandChoice.strFreMin, QStringLiteral("137"));
  EXPECT_EQ(ctx.bandChoice.strFreMax, QStringLiteral("171"));
}

TEST_F(BandChoiceTest, AnsweringYesInTheCustomDialogStartsFromTheTemplateWithTheTypedRange) {
  setBandBytes(0x13, 0x17, 0x65);
  env.dialogs.customRanges = {CustomRangeTexts{QStringLiteral("138"), QStringLiteral("172")}};
  env.dialogs.answers = {MsgAnswer::Yes};
  SoftDisplay(ctx);
  EXPECT_EQ(questions(), 1u);
  EXPECT_TRUE(dataWasReset());
  EXPECT_EQ(ctx.st.CurDataFile, ctx.st.DefDataFile);
  EXPECT_EQ(views.statusFile, ctx.text(85) + ctx.st.DefDataFile);
  expectBand(11, 13800000, 17199500);
  EXPECT_EQ(bandBytes(), (std::array<uint8_t, 3>{0x13, 0x17, 0x82}));
}

TEST_F(BandChoiceTest, CancellingTheCustomDialogKeepsTheBandBefore) {
  chooseCustom(std::nullopt);
  EXPECT_EQ(questions(), 1u) << "Cancel asks nothing";
  EXPECT_TRUE(dataWasReset()) << "the reset came with the first question";
  expectBand(5, 40000000, 46999500);
  EXPECT_EQ(bandBytes(), (std::array<uint8_t, 3>{0x40, 0x47, 0x00}));
}

TEST_F(BandChoiceTest, CustomRangesOnWholePresetEdgesLandOnThePreset) {
  chooseCustom(CustomRangeTexts{QStringLiteral("136"), QStringLiteral("174")});
  expectBand(0, 13600000, 17399500);

  // 135.5 goes to 136 (even), 150.495 to 150: recorded as the 136-150 preset, whose own
  // limits then replace the typed ones.
  chooseCustom(CustomRangeTexts{QStringLiteral("135.5"), QStringLiteral("150.5")});
  expectBand(1, 13600000, 14999500);
  EXPECT_EQ(bandBytes(), (std::array<uint8_t, 3>{0x13, 0x15, 0x60}));
  EXPECT_EQ(ctx.bandChoice.strFreMin, QStringLiteral("135.5"));
}

}  // namespace
