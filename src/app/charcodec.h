#pragma once
// The character codec: the radio's 45 display characters <-> codes 0-44.

#include "core/configuration.h"

#include <QString>
#include <cstdint>

namespace k52 {

struct AppContext;

void GetValidCharTbl(AppContext& ctx);
// Text to codes: NameCode(0 ... count-1).
void ChNameCharSol(AppContext& ctx, const QString& text, int16_t count);
// The characters of a typed text that the radio can show (lower-case letters count as
// their capitals), in order; the others, in order, go to dropped.
QString keepDisplayChars(const AppContext& ctx, const QString& text, QString& dropped);
// The status bar's notice names the characters left out of a name or the power-on message
// (language text 438, then the characters); nothing when none were.
inline constexpr int kDroppedCharsText = 438;
void noticeDroppedChars(AppContext& ctx, const QString& dropped);
// Codes to text, for channel n into grid cell (n, 8).
void ChNameCharShow(AppContext& ctx, int16_t n);
// Channel n's name codes as text: the first code that is no character ends it.
QString channelNameText(const AppContext& ctx, int16_t n);
// The power-on message OptSel(50...54) into the message box.
void ShowPowerOnMsg(AppContext& ctx);

}  // namespace k52
