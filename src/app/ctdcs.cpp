#include "app/ctdcs.h"

#include "core/guarded.h"
#include "core/tables.h"
#include "app/appcontext.h"

namespace k52 {

namespace {

QString noneText(int16_t lang) {
  switch (lang) {
    case 1:
      return QStringLiteral("无");
    case 2:
      return QStringLiteral("無");
    default:
      return QStringLiteral("None");
  }
}

}  // namespace

void GetCtdcsArray(AppContext& ctx, CtdcsSourceLists& texts) {
  guarded(ctx.log, "modCtdcs->GetCtdcsArray", [&] {
    texts = {};
    texts = toneSourceTexts();
  });
}

void GetCtdcsIIcDat(AppContext& ctx, CtdcsSourceLists& codes) {
  guarded(ctx.log, "modCtdcs->GetCtdcsIIcDat", [&] {
    codes = {};
    codes = toneSourceCodes();
    fillToneCodes(ctx.tones, codes);
  });
}

void GenCtdcsList(AppContext& ctx) {
  guarded(ctx.log, "modCtdcs->GenCtdcsList", [&] {
    ctx.st.CurLang = validLang(ctx.st.CurLang);
    ToneList& t = ctx.tones;
    const QString none = noneText(ctx.st.CurLang);
    t.CtdcsComboList = none;
    t.CtdcsList(0) = none;

    CtdcsSourceLists texts;
    GetCtdcsArray(ctx, texts);
    auto append = [&](int index, const QString& text) {
      t.CtdcsComboList += QLatin1Char('|') + text;
      t.CtdcsList(index) = text;
    };
    for (int i = 1; i <= kCtcssCount; ++i) append(i, texts.ctcss.at(i - 1));
    for (int i = 1; i <= kDcsCount; ++i) append(i + kCtcssCount, texts.dcsNormal.at(i - 1));
    for (int i = 1; i <= kDcsCount; ++i) append(i + kCtcssCount + kDcsCount, texts.dcsInverted.at(i - 1));

    CtdcsSourceLists codes;
    GetCtdcsIIcDat(ctx, codes);
  });
}

void QtDqtIndex(AppContext& ctx, const QString& lowText, const QString& highText) {
  guarded(ctx.log, "modChMem->QtDqtIndex", [&] {
    auto two = [](const QString& s) { return s.size() == 1 ? QLatin1Char('0') + s : s; };
    ctx.tones.CtdcsIndex = 0;
    ctx.tones.CtdcsIndex = static_cast<int16_t>(toneIndexOfCode(ctx.tones, ctx.st.CtcDcsMax, two(highText) + two(lowText)));
  });
}

}  // namespace k52
