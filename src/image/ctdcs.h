#pragma once
// The CTCSS/DCS list: 261 entries (none, 50 tones, 105 DCS codes normal and inverted).

#include <QString>

namespace k52 {

struct AppContext;

void GenCtdcsList(AppContext& ctx);
// Sets ctx.tones.CtdcsIndex to the list index of the code high+low (texts of two digits).
void QtDqtIndex(AppContext& ctx, const QString& lowText, const QString& highText);

}  // namespace k52
