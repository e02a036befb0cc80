#include "app/charcodec.h"

#include "core/guarded.h"
#include "app/chcodec.h"
#include "app/optcodec.h"
#include "app/appcontext.h"

namespace k52 {

namespace {

// The characters of the radio's display, in code order: digits 0-9, letters 10-35, then
// space + = % / [ ] - _ as 36-44.
constexpr char kDisplayChars[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ +=%/[]-_";
static_assert(sizeof(kDisplayChars) - 1 == 45);

constexpr int kFirstNonChar = 45;     // a code of 45 or more ends a shown text
constexpr uint8_t kNoChar = 0xFF;     // the erased state: no character
constexpr int kTextPadding = 13;      // spaces appended before the text is cut into codes

// The shown text of up to five codes: the first code that is not a character ends it.
template <class CodeAt>
QString codesToText(const AppContext& ctx, CodeAt codeAt) {
  QString text;
  for (int i = 0; i < kNameLength; ++i) {
    const int code = codeAt(i);
    if (code >= kFirstNonChar) break;
    text += ctx.chars.CharTbl(code);
  }
  return text;
}

}  // namespace

void GetValidCharTbl(AppContext& ctx) {
  guarded(ctx.log, "modChMem->GetValidCharTbl", [&] {
    for (int code = 0; code < kFirstNonChar; ++code)
      ctx.chars.CharTbl(code) = QString(QLatin1Char(kDisplayChars[code]));
  });
}

void ChNameCharSol(AppContext& ctx, const QString& text, int16_t count) {
  guarded(ctx.log, "modChMem->ChNameCharSol", [&] {
    CharTable& t = ctx.chars;
    // Upper case character by character, so every position keeps its place.
    QString upper = text;
    for (QChar& c : upper) c = c.toUpper();
    if (upper.isEmpty()) {
      for (int i = 0; i < count; ++i) t.NameCode(i) = kNoChar;
      return;
    }
    upper += QString(kTextPadding, QLatin1Char(' '));
    for (int i = 0; i < count; ++i) {
      t.NameCode(i) = kNoChar;
      if (i >= upper.size()) continue;
      const QString c(upper.at(i));
      for (int code = 0; code < kFirstNonChar; ++code) {
        if (t.CharTbl(code) == c) {
          t.NameCode(i) = static_cast<uint8_t>(code);
          break;
        }
      }
    }
  });
}

QString keepDisplayChars(const AppContext& ctx, const QString& text, QString& dropped) {
  QString kept;
  dropped.clear();
  // Code point by code point, so that a character outside the basic plane is dropped whole.
  for (const char32_t cp : text.toUcs4()) {
    const QString ch = QString::fromUcs4(&cp, 1);
    bool shown = false;
    if (ch.size() == 1) {
      const QString upper(ch.at(0).toUpper());
      for (int code = 0; code < kFirstNonChar && !shown; ++code) shown = ctx.chars.CharTbl(code) == upper;
    }
    (shown ? kept : dropped) += ch;
  }
  return kept;
}

void noticeDroppedChars(AppContext& ctx, const QString& dropped) {
  if (!dropped.isEmpty()) ctx.views->setStatusNotice(ctx.text(kDroppedCharsText) + dropped);
}

void ChNameCharShow(AppContext& ctx, int16_t n) {
  guarded(ctx.log, "modChMem->ChNameCharShow", [&] {
    ctx.gridCh().setText(n, kFieldName, channelNameText(ctx, n));
  });
}

QString channelNameText(const AppContext& ctx, int16_t n) {
  return codesToText(ctx, [&](int i) { return int(ctx.ch.ChNameCode(n, i)); });
}

void ShowPowerOnMsg(AppContext& ctx) {
  guarded(ctx.log, "modChMem->ShowPowerOnMsg", [&] {
    const QString text = codesToText(ctx, [&](int i) { return int(ctx.opt.OptSel(kOptPowerOnMsg + i)); });
    ctx.views->showPowerOnMessage(text);
  });
}

}  // namespace k52
