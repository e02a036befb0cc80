#include "core/addressmap.h"
#include "app/bandtable.h"
#include "core/byteview.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

using namespace k52;

namespace {

using Bytes = std::array<uint8_t, 3>;

// The band record bytes of the band list's presets, worked out by hand from the dealers' list
// (136-174, 136-150, 150-174, 200-260, 245-246, 400-470, 400-440, 440-480, 470-520, 400-520, 120-520 MHz).
const Bytes kPresetBytes[] = {{0x13, 0x17, 0x64}, {0x13, 0x15, 0x60}, {0x15, 0x17, 0x04}, {0x20, 0x26, 0x00},
                              {0x24, 0x24, 0x56}, {0x40, 0x47, 0x00}, {0x40, 0x44, 0x00}, {0x44, 0x48, 0x00},
                              {0x47, 0x52, 0x00}, {0x40, 0x52, 0x00}, {0x12, 0x52, 0x00}};

}  // namespace

TEST(BandTable, PresetsEncodeToTheirBytesAndTheBytesSelectThemBack) {
  ASSERT_EQ(std::size(kPresetBytes), kBandPresets.size());
  MemoryImage img;
  img.allocate(addr::kMemorySize - 1);
  for (const BandPreset& p : kBandPresets) {
    const Bytes bytes = kPresetBytes[p.index];
    EXPECT_EQ(encodeBandBytes(p.lower, p.upper), bytes) << p.text;
    for (int i = 0; i < 3; ++i) img.at(addr::kBand + i) = bytes[static_cast<size_t>(i)];
    EXPECT_EQ(decodeBandBytes(img), (BandLimits{p.lower, p.upper + 500})) << p.text;  // the true top edge
    EXPECT_EQ(bandIndexOfImage(img), p.index);
  }
}

TEST(BandTable, WholeMegahertzRoundHalfToEvenAndNibblesAreReadAsTheyStand) {
  EXPECT_EQ(encodeBandBytes(40000000, 51999500), (Bytes{0x40, 0x52, 0x00}));  // 519.995 -> 520
  EXPECT_EQ(encodeBandBytes(13550000, 15049500), (Bytes{0x13, 0x15, 0x60}));  // 135.5 -> 136, 150.495 -> 150
  EXPECT_EQ(encodeBandBytes(13450000, 15050000), (Bytes{0x13, 0x15, 0x40}));  // 134.5 -> 134, 150.5 -> 150
  EXPECT_EQ(encodeBandBytes(15000000, 14999500), (Bytes{0x15, 0x15, 0x00}));  // a custom 150 - 150
  // 136 - 175 MHz is no preset, and UpperLimit is not the edge.
  for (const int32_t upper : {17500000, 17399500}) EXPECT_EQ(presetIndexOf(13600000, upper), kCustomBandIndex) << upper;
  // Above 1599 MHz the record cannot hold the edge; negative limits neither.
  for (const int32_t lower : {160000000, -13600000}) EXPECT_THROW(encodeBandBytes(lower, 17399500), K52Error) << lower;

  MemoryImage img;
  img.allocate(addr::kMemorySize - 1);
  // 0x0D in the tens place is 13 tens: 0D 17 64 is read as 136 - 174 MHz. Erased memory is
  // 1665 - 1665 MHz, no preset.
  for (const auto& [bytes, index] : {std::pair{0x0D1764, 0}, {0xFFFFFF, int(kCustomBandIndex)}}) {
    for (int i = 0; i < 3; ++i) img.at(addr::kBand + i) = static_cast<uint8_t>(bytes >> (16 - 8 * i));
    EXPECT_EQ(bandIndexOfImage(img), index);
  }
  EXPECT_EQ(decodeBandBytes(img), (BandLimits{166500000, 166500000}));
  MemoryImage shortImg;
  shortImg.allocate(addr::kBand + 1);
  EXPECT_THROW(decodeBandBytes(shortImg), K52Error);
}

TEST(BandTable, CustomRangeTextsAsTheDialogTakesThem) {
  EXPECT_EQ(customRangeAcceptedUnchanged(), (BandLimits{12000000, 51999500}));
  const std::tuple<const char*, const char*, std::optional<BandLimits>> cases[] = {
      {"120", "520", BandLimits{12000000, 51999500}}, {" 135.5 ", "150.5", BandLimits{13550000, 15049500}},
      {"150", "150", BandLimits{15000000, 14999500}}, {"119.9", "300", std::nullopt}, {"200", "520.1", std::nullopt},
      {"300", "200", std::nullopt}, {"abc", "200", std::nullopt}, {"200", "", std::nullopt}, {"99999999999", "200", std::nullopt}};
  for (const auto& [min, max, limits] : cases)
    EXPECT_EQ(customRangeFromTexts(QLatin1String(min), QLatin1String(max)), limits) << min << " " << max;
}

// Selecting from the image leaves the data alone (band choice tests the questions and the
// dialog): a band already selected is not even rewritten, and a custom band already
// selected with still no preset in the image does not open the dialog again.
TEST(BandFromImage, WhatIsAlreadySelectedStaysWithoutARewriteOrADialog) {
  test::TestEnv env;
  AppContext& ctx = *env.ctx;
  ctx.IicDat.allocate(addr::kMemorySize - 1);
  ctx.IicDat.fill(0xA5);
  const auto set = [&](const char* hex) {
    const QByteArray b = QByteArray::fromHex(hex);
    for (int i = 0; i < 3; ++i) ctx.IicDat.at(addr::kBand + i) = static_cast<uint8_t>(b[i]);
  };
  const auto band = [&] {
    return QStringLiteral("%1 %2-%3 %4").arg(ctx.band.BandIndex).arg(ctx.band.LowerLimit).arg(ctx.band.UpperLimit)
        .arg(QString::fromLatin1(ctx.IicDat.toByteArray().mid(addr::kBand, 3).toHex())).toStdString();
  };
  const auto noDialog = []() -> std::optional<BandLimits> {
    ADD_FAILURE() << "the dialog must not open";
    return std::nullopt;
  };
  const auto custom137 = [] { return customRangeFromTexts(QStringLiteral("137"), QStringLiteral("171")); };
  const std::tuple<const char*, CustomRangeAnswer, const char*> steps[] = {
      {"131764", noDialog, "0 13600000-17399500 131764"}, {"0d1764", noDialog, "0 13600000-17399500 0d1764"},
      {"131765", custom137, "11 13700000-17099500 131771"}, {"131765", noDialog, "11 13700000-17099500 131765"}};
  for (const auto& [bytes, dialog, expected] : steps) {
    set(bytes);
    SelectBandFromImage(ctx, dialog);
    EXPECT_EQ(band(), expected);
  }
  QByteArray rest = ctx.IicDat.toByteArray();
  rest.remove(addr::kBand, 3);
  EXPECT_EQ(rest, QByteArray(rest.size(), '\xA5')) << "the data was not reset";
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
}

// The byte view's accessors on hand-written bytes, and its refusals: an address outside the
// image is the bounds error, a BCD digit A-F the type-mismatch error, a number too long for
// its bytes the overflow error.
TEST(ByteView, ReadsAndWritesFieldsAndRefusesWhatIsNotThere) {
  MemoryImage image;
  image.allocate(7);
  const uint8_t bytes[] = {0x00, 0x95, 0x39, 0x17, 0x3C, 0xA1, 0x42, 0x99};
  for (int i = 0; i < 8; ++i) image.at(i) = bytes[i];
  const ByteView view(image);
  EXPECT_EQ((std::vector<int>{view.byte(7), view.bits(4, 0x30), view.field(4, 0x30), view.field(4, 0xF0), view.field(4, 0x0F), view.le16(5)}),
            (std::vector<int>{0x99, 0x30, 3, 3, 0xC, 0x42A1}));
  EXPECT_EQ(view.bcdDigits(0, 4), QStringLiteral("17399500"));
  EXPECT_EQ((std::vector<int64_t>{view.bcd(0, 4), view.bcd(6, 2)}), (std::vector<int64_t>{17399500, 9942}));
  const std::pair<std::function<void()>, int> refusals[] = {
      {[&] { view.byte(-1); }, ErrBounds},       {[&] { view.byte(8); }, ErrBounds},    {[&] { view.le16(7); }, ErrBounds},
      {[&] { view.bcd(6, 3); }, ErrBounds},      {[&] { view.bcd(0, 0); }, ErrBounds},  {[&] { view.bcd(4, 2); }, ErrTypeMismatch},
      {[&] { ByteEditor(image).setBcd(0, 2, 10000); }, ErrOverflow}, {[&] { ByteEditor(image).setBcd(0, 2, -1); }, ErrOverflow},
      {[&] { ByteEditor(image).set(8, 0); }, ErrBounds}};
  for (size_t i = 0; i < std::size(refusals); ++i) {
    try {
      refusals[i].first();
      ADD_FAILURE() << "refusal " << i << ": no error";
    } catch (const K52Error& e) {
      EXPECT_EQ(e.number(), refusals[i].second) << "refusal " << i;
    }
  }
  EXPECT_EQ(image.toByteArray().toHex(), QByteArray("009539173ca14299")) << "a refused write writes nothing";
  ByteEditor(image).setBits(4, 0x06, 0xFF);
  EXPECT_EQ(image.at(4), 0x3E) << "only the bits of the mask";
}
