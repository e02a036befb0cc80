#pragma once
// The serial ports the system knows, in the order the program numbers them.

#include <QString>
#include <QStringList>
#include <vector>

namespace k52 {

// The serial devices the system lists, by system location in natural order
// ("/dev/ttyS2" before "/dev/ttyS10"), so the same hardware gets the same numbers.
QStringList listedSerialDevices();
// What the system says about a device ("USB-Serial Controller"), or nothing.
QString serialDeviceDescription(const QString& device);
// What the system knows of a serial device: for a USB adapter its vendor and product
// numbers, the maker's and the product's names and its serial number. A built-in port or a
// pseudo-terminal has little or none of it.
struct SerialDeviceDetails {
  QString device;        // system location ("/dev/ttyUSB0", "COM3")
  QString manufacturer;  // "FTDI"
  QString description;   // "FT232R USB UART"
  QString serialNumber;  // "A10K3ZQ1"
  int vendorId = -1;     // USB identifiers; -1 where the system gives none
  int productId = -1;
  bool operator==(const SerialDeviceDetails&) const = default;
  // "FTDI FT232R USB UART, USB 0403:6001" with what is known; empty when nothing is.
  QString product() const;
};
// Every device the system lists, with its details, in natural order of system location.
std::vector<SerialDeviceDetails> listedSerialDeviceDetails();
// The details of device among those listed (a symbolic link finds its target's); a device
// the system does not list has its path alone.
SerialDeviceDetails detailsOf(const QString& device, const std::vector<SerialDeviceDetails>& listed);

// Natural order of device names: runs of digits compare as numbers.
bool deviceNameLess(const QString& a, const QString& b);

}  // namespace k52
