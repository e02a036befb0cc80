#include "app/diffrows.h"

#include "app/chcodec.h"
#include "app/appcontext.h"
#include "core/langtexts.h"

#include <QStringList>

namespace k52 {

namespace {

// The channel table's heading of a column, without its alignment marks.
QString heading(const AppContext& ctx, int column) {
  const QStringList parts = ctx.ch.GridFormat.split(QLatin1Char('|'));
  QString h = column < parts.size() ? parts[column] : QString();
  while (!h.isEmpty() && (h[0] == QLatin1Char('^') || h[0] == QLatin1Char('<') || h[0] == QLatin1Char('>'))) h.remove(0, 1);
  return h;
}

int columnOf(DiffField f) {
  switch (f) {
    case DiffField::Rx: return kFieldRx;
    case DiffField::Tx: return kFieldTx;
    case DiffField::DecodeTone: return kFieldDecode;
    case DiffField::EncodeTone: return kFieldEncode;
    case DiffField::Bandwidth: return kFieldOption5;
    case DiffField::ScanAdd: return kFieldOption6;
    case DiffField::Power: return kFieldOption7;
    default: return kFieldName;
  }
}

// A channel's value: a choice by the column's list, no frequency or tone as an empty cell.
QString channelValue(const AppContext& ctx, const Difference& d, int64_t v, const QString& words) {
  const int column = columnOf(d.field);
  if (column >= kFieldOption5 && column <= kFieldOption7) {
    const QString item = ctx.ch.ColItems(column, 3 + static_cast<int>(v));
    return item.isEmpty() ? words : item;
  }
  if (column <= kFieldTx && v < 0) return {};
  if ((column == kFieldDecode || column == kFieldEncode) && v <= 0) return {};
  return words;
}

}  // namespace

DiffRow diffRow(const AppContext& ctx, const Difference& d) {
  DiffRow r{{}, {}, d.textA, d.textB};
  switch (d.kind) {
    case DiffKind::Channel:
      r.where = ctx.text(kTextDiffChannel).arg(d.number);
      r.field = heading(ctx, columnOf(d.field));
      r.a = channelValue(ctx, d, d.a, d.textA);
      r.b = channelValue(ctx, d, d.b, d.textB);
      break;
    case DiffKind::Option: {
      const OptionField* f = optionField(d.number);
      r.where = f ? ctx.text(f->caption) : ctx.text(kTextPowerOnMessage);
      r.where.remove(QLatin1Char('&'));
      r.field = ctx.text(kTextDiffValue);
      break;
    }
    case DiffKind::Fm:
      r.where = ctx.text(kTextDiffFm).arg(d.number);
      if (d.a == 0) r.a.clear();
      if (d.b == 0) r.b.clear();
      break;
    case DiffKind::Band:
      r.where = ctx.text(kTextDiffBand);
      r.field = ctx.text(d.field == DiffField::Lower ? kTextDiffLower : kTextDiffUpper);
      break;
    case DiffKind::Bytes:
      r.where = ctx.text(kTextDiffBytes).arg(d.where.mid(6));  // "bytes 0F92-0F94"
      break;
    case DiffKind::Stamp:
      r.where = ctx.text(kTextDiffDate);
      break;
  }
  return r;
}

}  // namespace k52
