#pragma once
// The channel grid's presentation: set-up from the column description, filling from the
// channel table, and the refresh after the image was replaced.

#include <QString>
#include <cstdint>

namespace k52 {

struct AppContext;

// The grid's background colour: RGB(247, 247, 247).
inline constexpr uint32_t kChGridBackColor = 0xF7F7F7;
// Row 200 is the radio's VFO, not a memory channel.
inline constexpr int kVfoRow = 200;

void ChInfoInitFace(AppContext& ctx);
// Rows, columns, headers, sizes and display formats from ctx.ch (ReadChInfo).
void SetChGrid(AppContext& ctx);
// Every row from ChInfo.
void ShowChTblGrid(AppContext& ctx);
// One row's cells: the options and name (columns 5 ... ColCount), RX, TX and the tones.
void ChParaShow(AppContext& ctx, int16_t n);
void RxFreShow(AppContext& ctx, int16_t n);
void TxFreShow(AppContext& ctx, int16_t n);
void CtdcsDecShow(AppContext& ctx, int16_t n);
void CtdcsEncShow(AppContext& ctx, int16_t n);
// The full refresh after the image was replaced: band, channels, grid, options, and the
// memory data window.
void SoftDisplay(AppContext& ctx);

// A frequency in 10 Hz units as the shortest exact decimal text in MHz
// (17399500 -> "173.995", 43600000 -> "436").
QString frequencyText(int32_t tenHz);

}  // namespace k52
