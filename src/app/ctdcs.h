#pragma once
// The CTCSS/DCS list: 261 entries (none, 50 tones, 105 DCS codes normal and inverted).

#include "core/tonecodes.h"

#include <QString>

namespace k52 {

struct AppContext;

void GenCtdcsList(AppContext& ctx);
// The display texts of the three source lists ("67.0", "D023N", "D023I").
void GetCtdcsArray(AppContext& ctx, CtdcsSourceLists& texts);
// The image codes of the three source lists ("0670", "8023", "C023"), and IicCode from them.
void GetCtdcsIIcDat(AppContext& ctx, CtdcsSourceLists& codes);
// Sets ctx.tones.CtdcsIndex to the list index of the code high+low (texts of two digits).
void QtDqtIndex(AppContext& ctx, const QString& lowText, const QString& highText);

}  // namespace k52
