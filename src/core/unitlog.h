#pragma once
// The unit log: a CSV file with a row per programmed radio (date and time, port, the
// cable's serial number, the radio's model and firmware bytes, the SHA-256 of the image
// written, the result, the duration, the reason of a failure). The rows are a record read
// across sessions and languages, so the words in it are fixed English.

#include "core/unitrun.h"

#include <QString>

namespace k52 {

// The log's file name in the data folder.
inline constexpr const char* kUnitLogFile = "units.csv";

// The first line of a new log.
QString unitLogHeader();
// The unit's row (no line end): fields quoted where they need it.
QString unitLogRow(const UnitResult& result, const QString& deviceSerial);

// Appends the unit's row to the log at path (a new log gets the header line first).
// Raises K52Error (a file error naming the path) when the file cannot be written; the
// rows already in it stay as they were.
void appendUnitLog(const QString& path, const UnitResult& result, const QString& deviceSerial);

}  // namespace k52
