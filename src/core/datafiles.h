#pragma once
// Data files: a configuration on disk is a plain copy of the memory image (file byte k is
// image address k), kept in the data folder beside the program. The commands that open and
// save them are the session's (app/session.h).

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace k52 {

// The filter of the open and save dialogs.
inline constexpr const char* kDatFilter = "Data File(*.dat)|*.dat";

// The file primitives of the session and the backups. Each raises the
// file error that says why (K52Error: the path as its source, the reason in words as its
// detail).

// The first `size` bytes of the data file at `path`. Only a regular file is read: a device
// or a pipe is refused before it is opened (opening a pipe would wait for a writer).
QByteArray readImageFile(const QString& path, qint64 size);
// That a data file can be written at `path`, checked before anything is done: the name can
// be written in the file system's encoding, its folder exists and may be written, and what
// is there already, if anything, is a regular file.
void checkImageTarget(const QString& path);
// That check, then the image written atomically (core/atomicfile.h: "name.dat.XXXXXX"
// beside it, put in place only when complete).
void writeImageFile(const QString& path, const QByteArray& image);
// Removes what interrupted saves left in `folder`: temporary files of data files
// ("name.dat.XXXXXX") last changed before `staleBefore`. Returns how many went.
int removeStaleSaveFiles(const QString& folder, const QDateTime& staleBefore);

}  // namespace k52
