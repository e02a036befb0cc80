#include "platform/serialdevice.h"

#include <QFileInfo>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <unistd.h>
#endif

namespace k52 {

namespace {

// The radio's line: fixed, nothing in the program changes it.
constexpr qint32 kBaud = 9600;
constexpr qint64 kReceiveBuffer = 1024;

#ifdef Q_OS_UNIX
// Qt reports a device that another program holds and one this user may not open alike;
// the file's own access rights tell them apart.
bool accessDenied(const QString& device) {
  const QByteArray path = QFile::encodeName(device);
  return ::access(path.constData(), R_OK | W_OK) != 0 && errno == EACCES;
}
#endif

// The device to open. Qt takes a name without a leading "/" to be one in /dev; a path
// with a slash in it, or a name that exists where the program runs (a link "radio" to a
// simulator's terminal), is meant as given.
QString systemPath(const QString& device) {
#ifdef Q_OS_UNIX
  if (!device.startsWith(QLatin1Char('/')) && (device.contains(QLatin1Char('/')) || QFileInfo::exists(device)))
    return QFileInfo(device).absoluteFilePath();
#endif
  return device;
}

}  // namespace

SerialDevice::SerialDevice() = default;
SerialDevice::~SerialDevice() { close(); }

void SerialDevice::fail(PortFault fault, const QString& text) {
  fault_ = fault;
  faultText_ = text;
}

void SerialDevice::failFromPort(const QString& device) {
  const QString said = port_.errorString();
  switch (port_.error()) {
    case QSerialPort::DeviceNotFoundError:
      fail(PortFault::NotFound, QStringLiteral("%1: no such device (%2)").arg(device, said));
      return;
    case QSerialPort::PermissionError:
#ifdef Q_OS_UNIX
      if (!accessDenied(device)) {
        fail(PortFault::InUse, QStringLiteral("%1: in use by another program (%2)").arg(device, said));
        return;
      }
#endif
      fail(PortFault::PermissionDenied, QStringLiteral("%1: permission denied (%2)").arg(device, said));
      return;
    case QSerialPort::OpenError:
      fail(PortFault::InUse, QStringLiteral("%1: already open (%2)").arg(device, said));
      return;
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
      fail(PortFault::Io, QStringLiteral("%1: %2").arg(device, said));
      return;
    default:
      fail(PortFault::Other, QStringLiteral("%1: %2").arg(device, said));
      return;
  }
}

bool SerialDevice::open(const QString& device) {
  close();
  fault_ = PortFault::None;
  faultText_.clear();
  if (device.isEmpty()) {
    fail(PortFault::NotFound, QStringLiteral("no device for this port number"));
    return false;
  }
  port_.setPortName(systemPath(device));
  port_.setReadBufferSize(kReceiveBuffer);
  if (!port_.open(QIODevice::ReadWrite)) {
    failFromPort(device);
    return false;
  }
  const bool set = port_.setBaudRate(kBaud) && port_.setDataBits(QSerialPort::Data8) &&
                   port_.setParity(QSerialPort::NoParity) && port_.setStopBits(QSerialPort::OneStop) &&
                   port_.setFlowControl(QSerialPort::NoFlowControl);
  if (!set) {
    fail(PortFault::Other, QStringLiteral("%1: line settings refused (%2)").arg(device, port_.errorString()));
    port_.close();
    return false;
  }
  return true;
}

void SerialDevice::close() {
  if (port_.isOpen()) port_.close();
  port_.clearError();
}

bool SerialDevice::isOpen() const { return port_.isOpen(); }

void SerialDevice::discardTransmit() {
  if (port_.isOpen()) port_.clear(QSerialPort::Output);
}

void SerialDevice::discardReceive() {
  if (port_.isOpen()) port_.clear(QSerialPort::Input);
}

qint64 SerialDevice::bytesWaiting() { return port_.isOpen() ? port_.bytesAvailable() : 0; }

QByteArray SerialDevice::readAll() { return port_.isOpen() ? port_.readAll() : QByteArray(); }

bool SerialDevice::write(const QByteArray& block) {
  if (!port_.isOpen()) {
    fail(PortFault::Io, QStringLiteral("port not open"));
    return false;
  }
  if (port_.error() == QSerialPort::ResourceError) {  // the cable went away
    failFromPort(port_.portName());
    return false;
  }
  if (port_.write(block) != block.size()) {
    failFromPort(port_.portName());
    return false;
  }
  // Hand the bytes to the driver now rather than at the next pass of the event loop;
  // this does not wait for them to leave.
  port_.flush();
  return true;
}

}  // namespace k52
