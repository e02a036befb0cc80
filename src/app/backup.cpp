#include "app/backup.h"

#include "core/datafiles.h"
#include "core/guarded.h"
#include "app/appcontext.h"
#include "core/clock.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QFileInfo>

#include <algorithm>

namespace k52 {

namespace {

// "20260102-030405-006.dat", or with "_001" ... before ".dat" when that name was taken.
// '_' sorts after '.', so names sort by the time they were written.
const QRegularExpression& backupName() {
  static const QRegularExpression re(QStringLiteral("^\\d{8}-\\d{6}-\\d{3}(_\\d{3})?\\.dat$"));
  return re;
}

}  // namespace

QString backupFolder(const AppContext& ctx) { return ctx.dataPath(QStringLiteral("Backup")); }

QStringList backupFiles(const QString& folder) {
  QStringList names;
  for (const QString& name : QDir(folder).entryList({QStringLiteral("*.dat")}, QDir::Files, QDir::Name))
    if (backupName().match(name).hasMatch()) names << name;
  return names;
}

QString SaveReadBackup(AppContext& ctx) {
  QString written;
  guarded(ctx.log, "modCommun->SaveReadBackup", [&] {
    requireWholeMemory(ctx.IicDat, backupFolder(ctx));
    const QString folder = backupFolder(ctx);
    if (!QDir(folder).exists() && !QDir().mkpath(folder)) raiseError(ErrPathFileAccess, folder);
    const QDir dir(folder);
    const QString stem = ctx.clock.now().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    QString path = dir.filePath(stem + QStringLiteral(".dat"));
    for (int n = 1; QFile::exists(path); ++n) {
      if (n > 999) raiseError(ErrPathFileAccess, path);
      path = dir.filePath(QStringLiteral("%1_%2.dat").arg(stem).arg(n, 3, 10, QLatin1Char('0')));
    }
    writeImageFile(path, ctx.IicDat.toByteArray());
    written = path;

    // The oldest go, by the time each file was last written, not by its name: a clock that
    // was once ahead, or the hour that repeats when summer time ends, names a backup later
    // than the one written now. The backup just written always stays.
    QFileInfoList others;
    for (const QString& name : backupFiles(folder))
      if (dir.filePath(name) != path) others << QFileInfo(dir.filePath(name));
    std::stable_sort(others.begin(), others.end(), [](const QFileInfo& a, const QFileInfo& b) {
      return a.lastModified() < b.lastModified();
    });
    for (qsizetype i = 0; i + kBackupKeep <= others.size(); ++i)
      if (!QFile::remove(others[i].filePath())) raiseError(ErrPermission, others[i].filePath());
  });
  return written;
}

}  // namespace k52
