#pragma once
// What the many-radios window drives: the image every radio gets (the window's
// configuration, a data file, or the window's configuration with a CSV file's channels),
// the job of one port, a unit's stage and result in the interface language, and the unit
// log in the data folder.

#include "core/unitrun.h"

#include <QByteArray>
#include <QString>

namespace k52 {

struct AppContext;
class Session;

// The image a write sends (limited byte and today's date set) of the window's
// configuration (path empty), of a data file, or of the window's configuration with the
// channels of a CSV channel list (".csv"; rows it cannot take stay empty). Raises
// K52Error when the file cannot be used. The window's configuration stays as it was.
MemoryImage manyRadiosImage(Session& session, const QString& path);

// The job of the port on device: the image, the write range of the settings, the
// read-back when verify is set, and the first differing field in the program's words.
UnitJob manyRadiosJob(Session& session, const MemoryImage& image, const QString& device, bool verify);

// A unit's stage, and how it ended ("Passed", or why it failed), in the interface language.
QString unitStateText(const AppContext& ctx, UnitState state);
QString unitResultText(const AppContext& ctx, const UnitResult& result);
// The handshake's eight bytes: the printable characters they start with as text, the
// rest in hexadecimal ("K52SIM 01 00").
QString identText(const QByteArray& ident);

// The unit log in the data folder.
QString unitLogPath(const AppContext& ctx);
// Appends the unit's row to the unit log and the unit's engine faults to the error log.
// False (logged under "frmManyRadios->AppendUnitLog") when the row could not be written.
bool recordUnit(AppContext& ctx, const UnitResult& result, const QString& deviceSerial);

}  // namespace k52
