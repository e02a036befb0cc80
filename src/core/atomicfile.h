#pragma once
// Writing a file so that it is complete or not changed at all: the data files, the backups
// and the settings file are all saved this way.

#include <QByteArray>
#include <QString>

namespace k52 {

// Writes data to a temporary file beside path ("name.XXXXXX") and puts it in place only
// when all of it has reached the disk: a failure leaves any earlier file as it was. A file
// replaced keeps its owner (when the user may give it) and its mode. Raises K52Error (the
// path as its source, the reason in words as its detail) when it cannot.
void writeFileAtomically(const QString& path, const QByteArray& data);

}  // namespace k52
