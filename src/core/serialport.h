#pragma once
// The serial port seam: the one programming cable the program talks through. Production
// wires a QSerialPort (ui/serialdevice); tests wire a port of their own; a context that
// is given none has NoSerialPort, which behaves like a computer without a cable.

#include <QByteArray>
#include <QString>

namespace k52 {

// Why the last operation failed.
enum class PortFault {
  None,
  NotFound,          // no such device (or the port number names none)
  PermissionDenied,  // the device exists but this user may not open it
  InUse,             // another program holds the device
  Io,                // the line went away or a read or write failed
  Other,
};

class SerialPort {
 public:
  virtual ~SerialPort() = default;
  // Opens the device with the radio's line settings; false on failure (see lastFault).
  virtual bool open(const QString& device) = 0;
  virtual void close() = 0;
  virtual bool isOpen() const = 0;
  // Throw away what is queued for sending / what was received and not yet read.
  virtual void discardTransmit() = 0;
  virtual void discardReceive() = 0;
  // Received bytes waiting to be read.
  virtual qint64 bytesWaiting() = 0;
  // Every waiting byte, as one block.
  virtual QByteArray readAll() = 0;
  // Queues the whole block for sending and returns at once; false when the port refused it.
  virtual bool write(const QByteArray& block) = 0;
  virtual PortFault lastFault() const = 0;
  // What the system said about the last failure, for the error log.
  virtual QString lastFaultText() const = 0;
};

// A computer without a cable: nothing opens.
class NoSerialPort final : public SerialPort {
 public:
  bool open(const QString&) override { return false; }
  void close() override {}
  bool isOpen() const override { return false; }
  void discardTransmit() override {}
  void discardReceive() override {}
  qint64 bytesWaiting() override { return 0; }
  QByteArray readAll() override { return {}; }
  bool write(const QByteArray&) override { return false; }
  PortFault lastFault() const override { return PortFault::NotFound; }
  QString lastFaultText() const override { return QStringLiteral("no serial port"); }
};

}  // namespace k52
