#pragma once
// The programming cable on Qt's QSerialPort: 9600 baud, 8 data bits, no parity, one stop
// bit, no flow control, raw bytes. Kept in the core (not a qt* file) so that the
// command-line companion talks to the radio through the same code as the program.

#include "ui/serialport.h"

#include <QSerialPort>
#include <QStringList>

namespace k52 {

class SerialDevice final : public SerialPort {
 public:
  SerialDevice();
  ~SerialDevice() override;
  bool open(const QString& device) override;
  void close() override;
  bool isOpen() const override;
  void discardTransmit() override;
  void discardReceive() override;
  qint64 bytesWaiting() override;
  QByteArray readAll() override;
  bool write(const QByteArray& block) override;
  PortFault lastFault() const override { return fault_; }
  QString lastFaultText() const override { return faultText_; }

 private:
  void fail(PortFault fault, const QString& text);
  void failFromPort(const QString& device);

  QSerialPort port_;
  PortFault fault_ = PortFault::None;
  QString faultText_;
};

// The serial devices the system lists, by system location in natural order
// ("/dev/ttyS2" before "/dev/ttyS10"), so the same hardware gets the same numbers.
QStringList listedSerialDevices();
// What the system says about a device ("USB-Serial Controller"), or nothing.
QString serialDeviceDescription(const QString& device);
// Natural order of device names: runs of digits compare as numbers.
bool deviceNameLess(const QString& a, const QString& b);

}  // namespace k52
