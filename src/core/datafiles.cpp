#include "core/datafiles.h"

#include "core/atomicfile.h"
#include "core/k52error.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace k52 {

namespace {

// A name that does not survive the trip into the file system's encoding and back would
// open, or be written as, another file.
void checkName(const QString& path) {
  if (path.isEmpty() || QFile::decodeName(QFile::encodeName(path)) != path)
    raiseFileError(ErrBadFileName, path, QStringLiteral("the name cannot be written in the file system's encoding"));
}

}  // namespace

QByteArray readImageFile(const QString& path, qint64 size) {
  checkName(path);
  const QFileInfo info(path);
  if (!info.exists()) raiseFileError(ErrFileNotFound, path, QStringLiteral("no such file"));
  if (info.isDir()) raiseFileError(ErrPathFileAccess, path, QStringLiteral("is a folder, not a data file"));
  if (!info.isFile()) raiseFileError(ErrPathFileAccess, path, QStringLiteral("is not a regular file (a device or a pipe)"));
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) raiseFileError(ErrPermission, path, QStringLiteral("cannot be read (%1)").arg(f.errorString()));
  QByteArray data = f.read(size);
  if (f.error() != QFileDevice::NoError) raiseFileError(ErrDeviceIo, path, QStringLiteral("cannot be read (%1)").arg(f.errorString()));
  if (data.size() < size)
    raiseFileError(ErrPastEndOfFile, path, QStringLiteral("too short for a memory image (%1 of %2 bytes)").arg(data.size()).arg(size));
  return data;
}

void checkImageTarget(const QString& path) {
  checkName(path);
  const QFileInfo info(path);
  if (info.exists() && !info.isFile())
    raiseFileError(ErrPathFileAccess, path,
                   info.isDir() ? QStringLiteral("is a folder, not a data file")
                                : QStringLiteral("is not a regular file (a device or a pipe); it is not written over"));
  // A link is written through to its target, in the target's folder.
  const QFileInfo target(info.exists() ? info.canonicalFilePath() : info.absoluteFilePath());
  const QFileInfo folder(target.absolutePath());
  if (!folder.isDir()) raiseFileError(ErrPathNotFound, path, QStringLiteral("the folder %1 does not exist").arg(folder.filePath()));
  if (!folder.isWritable()) raiseFileError(ErrPermission, path, QStringLiteral("the folder %1 may not be written").arg(folder.filePath()));
}

void writeImageFile(const QString& path, const QByteArray& image) {
  checkImageTarget(path);
  writeFileAtomically(path, image);
}

int removeStaleSaveFiles(const QString& folder, const QDateTime& staleBefore) {
  // QSaveFile's temporary name is the file's own name, a dot and six random letters of
  // both cases; it holds at most one image (32 KB for the largest address range). A name
  // the user gave ("radio.dat.backup") is left alone: it is not of mixed case.
  static const QRegularExpression saveTemp(QStringLiteral("\\.dat\\.(?=[A-Za-z]*[a-z])(?=[A-Za-z]*[A-Z])[A-Za-z]{6}$"));
  constexpr qint64 kLargestImage = 0x8000;
  int removed = 0;
  const QDir dir(folder);
  for (const QFileInfo& info : dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks)) {
    if (!saveTemp.match(info.fileName()).hasMatch() || info.size() > kLargestImage || info.lastModified() >= staleBefore) continue;
    if (!QFile::remove(info.filePath())) raiseFileError(ErrPermission, info.filePath(), QStringLiteral("cannot be removed"));
    ++removed;
  }
  return removed;
}

}  // namespace k52
