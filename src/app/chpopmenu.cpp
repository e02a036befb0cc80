#include "app/chpopmenu.h"

#include "app/chgridedit.h"
#include "core/guarded.h"
#include "app/chcodec.h"
#include "app/chgrid.h"
#include "app/chmem.h"
#include "core/numbers.h"
#include "app/appcontext.h"
#include "core/langtexts.h"
#include "core/dialogs.h"

namespace k52 {

namespace {

constexpr int kDefaultItem = 2;  // ColItems(c, 2) is the column's default value
// Settings keys of the defaults: B + 202 + 50 x (c - 1), B = 1000 x language.
constexpr int kDefaultKeyBase = 202;
constexpr int kKeysPerColumn = 50;

int16_t channelOf(int32_t r) { return toInt16(int64_t{r}); }

// Selects (r, c) and shows text there in the given text colour.
void showCell(AppContext& ctx, int16_t r, int c, const QString& text, const QString& color) {
  Grid& g = ctx.gridCh();
  g.select(r, c);
  g.setText(r, c, text);
  g.setCellForeColor(colorValue(color));
}

// A frequency field: the value in MHz, in the warning colour when it lies outside the band.
void showFrequency(AppContext& ctx, int16_t r, int c, int32_t v) {
  const bool outside = v < ctx.band.LowerLimit || v > ctx.band.UpperLimit;
  showCell(ctx, r, c, frequencyText(v), outside ? ctx.st.OverColor : ctx.st.DefColor);
  ctx.ch.ChInfo(r, c) = v;
}

}  // namespace

void fillChannelFromDefaults(AppContext& ctx, int32_t r) {
  ChannelTable& t = ctx.ch;
  Grid& g = ctx.gridCh();
  const int16_t n = channelOf(r);
  auto defaultOf = [&](int c) { return textToInt32(t.ColItems(c, kDefaultItem)); };

  showFrequency(ctx, n, kFieldRx, defaultOf(kFieldRx));
  const int32_t tx = defaultOf(kFieldTx);
  if (tx > 0) {
    showFrequency(ctx, n, kFieldTx, tx);
  } else {
    // No TX default: a receive-only channel.
    showCell(ctx, n, kFieldTx, QString(), ctx.st.DefColor);
    t.ChInfo(n, kFieldTx) = -1;
  }
  for (int c = kFieldDecode; c <= t.ColCount; ++c) {
    if (c == kFieldName) {
      // A name from the row number (" CH-05"), kept as far as the radio can show it.
      g.setText(n, c, QStringLiteral(" CH-%1").arg(n, 2, 10, QLatin1Char('0')));
      ChNameEdit(ctx, n);
      continue;
    }
    const int32_t d = defaultOf(c);
    if (c == kFieldEncode && d == -1) {
      g.setText(n, c, QString());
      t.ChInfo(n, c) = -1;
    } else if (c == kFieldDecode || c == kFieldEncode) {
      g.setText(n, c, ctx.tones.CtdcsList(d));
      t.ChInfo(n, c) = d;
    } else {
      g.setText(n, c, choiceText(ctx, c, d));
      t.ChInfo(n, c) = d;
    }
  }
  g.select(n, kFieldRx);
  t.ChInfo(n, kFieldEdited) = 1;
}

void mnuOpenCh_Click(AppContext& ctx, int32_t r) {
  guarded(ctx.log, "mdifrmMain->mnuOpenCh_Click", [&] { fillChannelFromDefaults(ctx, r); });
}

void storeChannelAsDefaults(AppContext& ctx, int32_t r) {
  ctx.st.CurLang = validLang(ctx.st.CurLang);
  const int b = 1000 * ctx.st.CurLang;
  ChannelTable& t = ctx.ch;
  const int16_t n = channelOf(r);
  bool stored = true;
  {
    IniFile::Batch batch(ctx.ini);
    for (int c = 1; c <= t.ColCount; ++c) {
      const QString v = QString::number(t.ChInfo(n, c));
      t.ColItems(c, kDefaultItem) = v;
      ctx.ini.write(QStringLiteral("ChInfo"), QString::number(b + kDefaultKeyBase + kKeysPerColumn * (c - 1)), v);
    }
    stored = batch.commit();
  }
  ctx.gridCh().select(n, kFieldRx);
  // The new defaults hold for this run either way; a settings file that could not take
  // them is reported.
  if (!stored) ctx.ini.raiseWriteFailure();
}

void mnuSaveDef_Click(AppContext& ctx, int32_t r) {
  guarded(ctx.log, "mdifrmMain->mnuSaveDef_Click", [&] { storeChannelAsDefaults(ctx, r); });
}

void deleteChannel(AppContext& ctx, int32_t r) {
  if (r == kVfoRow) return;  // the VFO is not a memory channel
  const int16_t n = channelOf(r);
  DelOneChannel(ctx, n);
  ctx.ch.ChInfo(n, kFieldEdited) = 1;
}

void mnuDelOne_Click(AppContext& ctx, int32_t r) {
  guarded(ctx.log, "mdifrmMain->mnuDelOne_Click", [&] { deleteChannel(ctx, r); });
}

void deleteAllChannels(AppContext& ctx) {
  for (int n = 1; n <= ctx.ch.ChCount; ++n) {
    DelOneChannel(ctx, static_cast<int16_t>(n));
    ctx.ch.ChInfo(n, kFieldEdited) = 1;
  }
}

void mnuDelAll_Click(AppContext& ctx) {
  guarded(ctx.log, "mdifrmMain->mnuDelAll_Click", [&] {
    // "Are you sure delete all channels data?"
    if (ctx.dialogs.messageBox(ctx.text(kTextAskDeleteAll), MsgButtons::YesNo, MsgIcon::Question, ctx.text(kTextNotice)) ==
        MsgAnswer::Yes)
      deleteAllChannels(ctx);
  });
}

void mnuPopChLock_Click(AppContext& ctx, ChGridMenus& menus) {
  guarded(ctx.log, "mdifrmMain->mnuPopChLock_Click", [&] { menus.runChLock(); });
}

}  // namespace k52
