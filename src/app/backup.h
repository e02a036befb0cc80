#pragma once
// Backups of what the radio held: after every successful read the image is also kept as a
// timestamped data file in the folder "Backup" beside the data folder, so a radio's
// original contents can be restored even after they were edited and written over.

#include <QString>
#include <QStringList>

namespace k52 {

struct AppContext;

// The newest backups kept; older ones are removed.
inline constexpr int kBackupKeep = 200;

// The backup folder: "Backup" beside the data folder "Data".
QString backupFolder(const AppContext& ctx);
// The backup files in the folder in name order (only files named as backups are counted).
QStringList backupFiles(const QString& folder);
// Writes the image as "yyyyMMdd-HHmmss-zzz.dat" (clock time; "_001" ... on a clash) and
// removes the oldest beyond kBackupKeep, oldest by the time they were written; never the
// one just written. The file appears complete or not at all. Returns its path; empty when
// it could not be written (the log says why).
QString SaveReadBackup(AppContext& ctx);

}  // namespace k52
