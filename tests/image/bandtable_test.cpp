#include "image/addressmap.h"
#include "image/bandtable.h"
#include "image/byteview.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

#include <functional>

using namespace k52;

namespace {

using Bytes = std::array<uint8_t, 3>;

struct BandCase {
  int16_t index;
  const char* text;
  int32_t lower, upper;
  Bytes bytes;
};

// The band list as the radio's dealers know it, with the band record bytes worked out by hand.
const BandCase kTable[] = {
    {0, "136 - 174 MHz", 13600000, 17399500, {0x13, 0x17, 0x64}},
    {1, "136 - 150 MHz", 13600000, 14999500, {0x13, 0x15, 0x60}},
    {2, "150 - 174 MHz", 15000000, 17399500, {0x15, 0x17, 0x04}},
    {3, "200 - 260 MHz", 20000000, 25999500, {0x20, 0x26, 0x00}},
    {4, "245 - 246 MHz", 24500000, 24599500, {0x24, 0x24, 0x56}},
    {5, "400 - 470 MHz", 40000000, 46999500, {0x40, 0x47, 0x00}},
    {6, "400 - 440 MHz", 40000000, 43999500, {0x40, 0x44, 0x00}},
    {7, "440 - 480 MHz", 44000000, 47999500, {0x44, 0x48, 0x00}},
    {8, "470 - 520 MHz", 47000000, 51999500, {0x47, 0x52, 0x00}},
    {9, "400 - 520 MHz", 40000000, 51999500, {0x40, 0x52, 0x00}},
    {10, "120 - 520 MHz", 12000000, 51999500, {0x12, 0x52, 0x00}},
};

}  // namespace

TEST(BandTable, PresetsEncodeToTheirBytesAndTheBytesSelectThemBack) {
  ASSERT_EQ(std::size(kTable), kBandPresets.size());
  MemoryImage img;
  img.allocate(addr::kMemorySize - 1);
  for (const BandCase& c : kTable) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(encodeBandBytes(c.lower, c.upper), c.bytes);
    for (int i = 0; i < 3; ++i) img.at(addr::kBand + i) = c.bytes[static_cast<size_t>(i)];
    const BandLimits edges = decodeBandBytes(img);
    EXPECT_EQ(edges.lower, c.lower);
    EXPECT_EQ(edges.upper, c.upper + 500);  // the true top edge
    EXPECT_EQ(bandIndexOfImage(img), c.index);
  }
}

TEST(BandTable, WholeMegahertzRoundHalfToEvenAndNibblesAreReadAsTheyStand) {
  EXPECT_EQ(encodeBandBytes(40000000, 51999500), (Bytes{0x40, 0x52, 0x00}));  // 519.995 -> 520
  EXPECT_EQ(encodeBandBytes(13550000, 15049500), (Bytes{0x13, 0x15, 0x60}));  // 135.5 -> 136, 150.495 -> 150
  EXPECT_EQ(encodeBandBytes(13450000, 15050000), (Bytes{0x13, 0x15, 0x40}));  // 134.5 -> 134, 150.5 -> 150
  EXPECT_EQ(encodeBandBytes(15000000, 14999500), (Bytes{0x15, 0x15, 0x00}));  // a custom 150 - 150
  EXPECT_EQ(presetIndexOf(13600000, 17500000), kCustomBandIndex);             // 136 - 175
  EXPECT_EQ(presetIndexOf(13600000, 17399500), kCustomBandIndex);             // UpperLimit is not the edge
  // Above 1599 MHz the record cannot hold the edge; negative limits neither.
  EXPECT_THROW(encodeBandBytes(160000000, 17399500), K52Error);
  EXPECT_THROW(encodeBandBytes(-13600000, 17399500), K52Error);

  MemoryImage img;
  img.allocate(addr::kMemorySize - 1);
  // 0x0D in the tens place is 13 tens: 0D 17 64 is read as 136 - 174 MHz.
  img.at(addr::kBand) = 0x0D;
  img.at(addr::kBand + 1) = 0x17;
  img.at(addr::kBand + 2) = 0x64;
  EXPECT_EQ(bandIndexOfImage(img), 0);
  // Erased memory: 1665 - 1665 MHz, no preset.
  img.fill(0xFF);
  EXPECT_EQ(decodeBandBytes(img), (BandLimits{166500000, 166500000}));
  EXPECT_EQ(bandIndexOfImage(img), kCustomBandIndex);
  MemoryImage shortImg;
  shortImg.allocate(addr::kBand + 1);
  EXPECT_THROW(decodeBandBytes(shortImg), K52Error);
}

TEST(BandTable, CustomRangeTextsAsTheDialogTakesThem) {
  EXPECT_EQ(customRangeFromTexts(QStringLiteral("120"), QStringLiteral("520")),
            (BandLimits{12000000, 51999500}));
  EXPECT_EQ(customRangeAcceptedUnchanged(), (BandLimits{12000000, 51999500}));
  EXPECT_EQ(customRangeFromTexts(QStringLiteral(" 135.5 "), QStringLiteral("150.5")),
            (BandLimits{13550000, 15049500}));
  EXPECT_EQ(customRangeFromTexts(QStringLiteral("150"), QStringLiteral("150")), (BandLimits{15000000, 14999500}));
  EXPECT_EQ(customRangeFromTexts(QStringLiteral("119.9"), QStringLiteral("300")), std::nullopt);
  EXPECT_EQ(customRangeFromTexts(QStringLiteral("200"), QStringLiteral("520.1")), std::nullopt);
  EXPECT_EQ(customRangeFromTexts(QStringLiteral("300"), QStringLiteral("200")), std::nullopt);
  EXPECT_EQ(customRangeFromTexts(QStringLiteral("abc"), QStringLiteral("200")), std::nullopt);
  EXPECT_EQ(customRangeFromTexts(QStringLiteral("200"), QString()), std::nullopt);
  EXPECT_EQ(customRangeFromTexts(QStringLiteral("99999999999"), QStringLiteral("200")), std::nullopt);
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
  set("131764");
  SelectBandFromImage(ctx, noDialog);
  EXPECT_EQ(band(), "0 13600000-17399500 131764");
  set("0d1764");
  SelectBandFromImage(ctx, noDialog);
  EXPECT_EQ(band(), "0 13600000-17399500 0d1764");
  set("131765");
  SelectBandFromImage(ctx, [] { return customRangeFromTexts(QStringLiteral("137"), QStringLiteral("171")); });
  EXPECT_EQ(band(), "11 13700000-17099500 131771");
  set("131765");
  SelectBandFromImage(ctx, noDialog);
  EXPECT_EQ(band(), "11 13700000-17099500 131765");
  QByteArray rest = ctx.IicDat.toByteArray();
  rest.remove(addr::kBand, 3);
  EXPECT_EQ(rest, QByteArray(rest.size(), '\xA5')) << "the data was not reset";
  EXPECT_EQ(ctx.log.entriesLogged(), 0);
}

// The byte view's accessors on hand-written bytes, and its refusals: an address outside the
// image is the bounds error, a BCD digit A-F the type-mismatch error.
TEST(ByteView, ReadsFieldsAndRefusesWhatIsNotThere) {
  MemoryImage image;
  image.allocate(7);
  const uint8_t bytes[] = {0x00, 0x95, 0x39, 0x17, 0x3C, 0xA1, 0x42, 0x99};
  for (int i = 0; i < 8; ++i) image.at(i) = bytes[i];
  const ByteView view(image);
  EXPECT_EQ(view.byte(7), 0x99);
  EXPECT_EQ(view.bits(4, 0x30), 0x30);
  EXPECT_EQ(view.field(4, 0x30), 3);
  EXPECT_EQ(view.field(4, 0xF0), 3);
  EXPECT_EQ(view.field(4, 0x0F), 0xC);
  EXPECT_EQ(view.le16(5), 0x42A1);
  EXPECT_EQ(view.bcdDigits(0, 4), QStringLiteral("17399500"));
  EXPECT_EQ(view.bcd(0, 4), 17399500);
  EXPECT_EQ(view.bcd(6, 2), 9942);

  struct Refusal {
    const char* what;
    std::function<void()> read;
    int error;
  };
  const Refusal refusals[] = {
      {"byte below 0", [&] { view.byte(-1); }, ErrBounds},
      {"byte past the end", [&] { view.byte(8); }, ErrBounds},
      {"bits past the end", [&] { view.bits(8, 0x01); }, ErrBounds},
      {"le16 across the end", [&] { view.le16(7); }, ErrBounds},
      {"bcd across the end", [&] { view.bcd(6, 3); }, ErrBounds},
      {"bcd of no bytes", [&] { view.bcd(0, 0); }, ErrBounds},
      {"bcd digit A-F", [&] { view.bcd(4, 2); }, ErrTypeMismatch},
  };
  for (const Refusal& r : refusals) {
    try {
      r.read();
      ADD_FAILURE() << r.what << ": no error";
    } catch (const K52Error& e) {
      EXPECT_EQ(e.number(), r.error) << r.what;
    }
  }
}
