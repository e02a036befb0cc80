#include "app/manyradios.h"

#include "app/appcontext.h"
#include "app/diffrows.h"
#include "app/session.h"
#include "core/datafiles.h"
#include "core/guarded.h"
#include "core/langtexts.h"
#include "core/numbers.h"
#include "core/unitlog.h"

#include <QDir>
#include <QFileInfo>

namespace k52 {

MemoryImage manyRadiosImage(Session& session, const QString& path) {
  if (path.isEmpty()) return session.imageForWrite();
  AppContext& ctx = session.context();
  if (QFileInfo(path).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0) {
    const CsvImport import = session.readCsv(path);
    if (!import.readable) raiseFileError(ErrTypeMismatch, path, QStringLiteral("no CSV channel list (no Frequency column)"));
    const std::vector<Channel> kept = session.channels();
    session.replaceChannels(import.channels);
    MemoryImage image = session.imageForWrite();
    session.replaceChannels(kept);
    return image;
  }
  MemoryImage image = ctx.IicDat;
  image.assignFrom(readImageFile(path, image.size()));
  stampForWrite(image, ctx.clock.now().date());
  return image;
}

UnitJob manyRadiosJob(Session& session, const MemoryImage& image, const QString& device, bool verify) {
  const AppContext& ctx = session.context();
  UnitJob job{device, image, {ctx.st.WriteStartAddr, ctx.st.WriteEndAddr}, verify, session.firstDifference()};
  return job;
}

QString unitStateText(const AppContext& ctx, UnitState state) {
  return ctx.text(kTextUnitWaiting + static_cast<int>(state));
}

QString unitResultText(const AppContext& ctx, const UnitResult& r) {
  switch (r.failure) {
    case UnitFailure::None:
      return r.state == UnitState::Idle ? QString() : unitStateText(ctx, r.state);
    case UnitFailure::NoAnswer:
      return ctx.text(kTextUnitNoAnswer);
    case UnitFailure::ScriptFailed:
      return ctx.text(kTextUnitScriptFailed)
          .arg(r.failedScript)
          .arg(r.failedAddress < 0 ? QStringLiteral("-") : hex4(r.failedAddress));
    case UnitFailure::PortNotOpened:
      return ctx.text(kTextUnitPortFault).arg(r.portFault);
    case UnitFailure::Stopped:
      return ctx.text(kTextUnitStopped);
    case UnitFailure::VerifyDifferent: {
      QString what;
      if (r.difference) {
        const DiffRow row = diffRow(ctx, *r.difference);
        // Written, then read back; an option's one value needs no field name.
        const QString field = row.field == ctx.text(kTextDiffValue) ? QString() : row.field;
        what = QStringLiteral("%1 %2: %3 \u2192 %4").arg(row.where, field, row.a, row.b).simplified().replace(QStringLiteral(" :"), QStringLiteral(":"));
      } else if (r.differingBytes.start <= r.differingBytes.end) {
        what = ctx.text(kTextDiffBytes).arg(hex4(r.differingBytes.start) + QLatin1Char('-') + hex4(r.differingBytes.end));
      }
      return ctx.text(kTextUnitDiffers).arg(what);
    }
    case UnitFailure::Broken:
      break;
  }
  return ctx.text(kTextUnitBroken);
}

QString identText(const QByteArray& ident) {
  qsizetype printable = 0;
  while (printable < ident.size() && ident[printable] > ' ' && ident[printable] < 0x7F) ++printable;
  QStringList parts;
  if (printable > 0) parts << QString::fromLatin1(ident.left(printable));
  for (qsizetype i = printable; i < ident.size(); ++i)
    parts << QStringLiteral("%1").arg(static_cast<uint8_t>(ident[i]), 2, 16, QLatin1Char('0')).toUpper();
  return parts.join(QLatin1Char(' '));
}

QString unitLogPath(const AppContext& ctx) {
  return QDir(ctx.dataPath(QStringLiteral("Data"))).filePath(QString::fromLatin1(kUnitLogFile));
}

bool recordUnit(AppContext& ctx, const UnitResult& result, const QString& deviceSerial) {
  for (const UnitFault& f : result.faults) ctx.log.LogError(f.procName, f.number, f.source);
  return guarded(ctx.log, "frmManyRadios->AppendUnitLog", [&] {
    const QString path = unitLogPath(ctx);
    QDir().mkpath(QFileInfo(path).path());
    appendUnitLog(path, result, deviceSerial);
  });
}

}  // namespace k52
