#pragma once
// The programming cable on Qt's QSerialPort: 9600 baud, 8 data bits, no parity, one stop
// bit, no flow control, raw bytes. Kept in the core (not a qt* file) so that the
// command-line companion talks to the radio through the same code as the program.

#include "core/serialport.h"

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

}  // namespace k52
