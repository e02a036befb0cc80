#pragma once
// The serial ports the system knows, in the order the program numbers them.

#include <QString>
#include <QStringList>

namespace k52 {

// The serial devices the system lists, by system location in natural order
// ("/dev/ttyS2" before "/dev/ttyS10"), so the same hardware gets the same numbers.
QStringList listedSerialDevices();
// What the system says about a device ("USB-Serial Controller"), or nothing.
QString serialDeviceDescription(const QString& device);
// Natural order of device names: runs of digits compare as numbers.
bool deviceNameLess(const QString& a, const QString& b);

}  // namespace k52
