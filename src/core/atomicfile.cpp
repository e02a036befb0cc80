#include "core/atomicfile.h"

#include "core/k52error.h"

#include <QFile>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace k52 {

namespace {

// The replacement gets the owner and mode of the file it replaces: root saving a user's
// file must not leave it root's.
void keepOwnerAndMode(QSaveFile& f, const QString& path) {
#ifdef Q_OS_UNIX
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0) return;  // a new file
  const int fd = f.handle();
  if ((st.st_uid != ::geteuid() || st.st_gid != ::getegid()) && ::fchown(fd, st.st_uid, st.st_gid) != 0 && ::geteuid() == 0)
    raiseFileError(ErrPermission, path, QStringLiteral("the owner of the file could not be kept"));
  if (::fchmod(fd, st.st_mode & 07777) != 0) raiseFileError(ErrPermission, path, QStringLiteral("the mode of the file could not be kept"));
#else
  Q_UNUSED(f);
  Q_UNUSED(path);
#endif
}

}  // namespace

void writeFileAtomically(const QString& path, const QByteArray& data) {
  QSaveFile f(path);
  if (!f.open(QIODevice::WriteOnly)) raiseFileError(ErrPathFileAccess, path, QStringLiteral("cannot be written (%1)").arg(f.errorString()));
  // Everything must have reached the disk before the file is put in place: a short write
  // (full disk, file size limit) only shows up at the flush or the sync, and QSaveFile
  // would otherwise still put the truncated file in place.
  bool written = f.write(data) == data.size() && f.flush();
#ifdef Q_OS_UNIX
  written = written && ::fsync(f.handle()) == 0;
#endif
  if (!written) {
    const QString why = f.errorString();
    f.cancelWriting();
    raiseFileError(ErrDiskFull, path, QStringLiteral("could not be written completely (%1); the file is as it was").arg(why));
  }
  keepOwnerAndMode(f, path);
  if (!f.commit()) raiseFileError(ErrDeviceIo, path, QStringLiteral("cannot be written (%1); the file is as it was").arg(f.errorString()));
}

}  // namespace k52
