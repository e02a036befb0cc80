#include "core/unitlog.h"

#include "core/channelcsv.h"
#include "core/k52error.h"

#include <QFile>
#include <QStringList>

namespace k52 {

namespace {

// Date and time in ISO 8601 with the local offset ("2026-12-07T09:15:02+08:00").
QString isoWithOffset(const QDateTime& at) {
  const QDateTime local = at.toLocalTime();
  return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
}

constexpr const char* kLineEnd = "\r\n";

}  // namespace

QString unitLogHeader() {
  return QStringLiteral("date_time,port,device_serial,model_firmware,image_sha256,result,duration_s,reason");
}

QString unitLogRow(const UnitResult& r, const QString& deviceSerial) {
  const QStringList fields = {
      isoWithOffset(r.startedAt),
      r.port,
      deviceSerial,
      QString::fromLatin1(r.ident.toHex()).toUpper(),
      QString::fromLatin1(r.imageSha256.toHex()),
      r.passed() ? QStringLiteral("passed") : QStringLiteral("failed"),
      QString::number(static_cast<double>(r.durationMs) / 1000.0, 'f', 1),
      unitFailureWords(r),
  };
  QStringList out;
  for (const QString& f : fields) out << csvField(f);
  return out.join(QLatin1Char(','));
}

void appendUnitLog(const QString& path, const UnitResult& result, const QString& deviceSerial) {
  // The log only grows: a row is appended whole and flushed, and nothing already written is
  // touched again, so a crash or a full disk can at worst cut the row being written. The
  // data files are replaced atomically instead because a save rewrites them entirely;
  // rewriting a log of many thousand rows for each unit would put all of them at stake.
  QFile file(path);
  if (!file.open(QIODevice::ReadWrite | QIODevice::Append)) throw K52Error(ErrPathFileAccess, path);
  QByteArray text;
  if (file.size() == 0) {
    text = unitLogHeader().toUtf8() + kLineEnd;
  } else {
    // A row cut by an earlier crash is ended first, so this one starts a line of its own.
    char last = 0;
    if (file.seek(file.size() - 1) && file.getChar(&last) && last != '\n') text = kLineEnd;
  }
  text += unitLogRow(result, deviceSerial).toUtf8() + kLineEnd;
  if (file.write(text) != text.size() || !file.flush()) throw K52Error(ErrDeviceIo, path);
}

}  // namespace k52
