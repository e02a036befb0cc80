#include "app/comports.h"

#include "core/protocolengine.h"
#include "core/guarded.h"
#include "app/appcontext.h"
#include "core/clock.h"
#include "core/inifile.h"
#include "core/portlist.h"
#include "core/serialport.h"

#include <QFileInfo>

namespace k52 {

namespace {

// "Device unavailable": a port that names no device, or one another program holds.
constexpr int kErrDeviceUnavailable = 68;

const QString kPorts = QStringLiteral("Ports");

QString comName(int n) { return QStringLiteral("COM%1").arg(n); }

// Symbolic links (a simulator's link, /dev/serial/by-id/...) name the same device as
// their target.
QString sameDevice(const QString& path) {
  const QString canonical = QFileInfo(path).canonicalFilePath();
  return canonical.isEmpty() ? path : canonical;
}

void checkPortNo(int portNo) {
  if (portNo < 1 || portNo > kPortCount)
    raiseError(ErrInvalidProperty, QStringLiteral("port number %1 outside 1-%2").arg(portNo).arg(kPortCount));
}

// The probe of one port: open, close; ComFlag says how it went. Silent either way.
void verdict(AppContext& ctx, int n, const QString& device) {
  SerialPort& port = *ctx.port;
  ctx.com.ComFlag(n) = kPortOpened;
  if (port.isOpen()) port.close();
  if (port.open(device))
    port.close();
  else
    ctx.com.ComFlag(n) = kPortFailed;
}

// "COM3 (/dev/ttyUSB0)", or "COM3" where the number is the device's name or has none.
QString portLabel(int portNo, const QString& device) {
  return device.isEmpty() || device == comName(portNo) ? comName(portNo) : QStringLiteral("%1 (%2)").arg(comName(portNo), device);
}

// The log entry of a port that would not open: the error number of its kind, and as its
// source the port, the device and what the user can do about it.
[[noreturn]] void raisePortFault(const SerialPort& port, int portNo, const QString& device) {
  const QString where = portLabel(portNo, device);
  int number = ErrDeviceIo;
  QString source;
  switch (port.lastFault()) {
    case PortFault::PermissionDenied:
      number = ErrPermission;
      source = QStringLiteral("%1: permission denied - add the user to the \"dialout\" group "
                              "(sudo usermod -aG dialout $USER) and log in again")
                   .arg(where);
      break;
    case PortFault::NotFound:
      number = kErrDeviceUnavailable;
      source = QStringLiteral("%1: no such port - %2").arg(where, port.lastFaultText());
      break;
    case PortFault::InUse:
      number = kErrDeviceUnavailable;
      source = QStringLiteral("%1: in use by another program - %2").arg(where, port.lastFaultText());
      break;
    default:
      source = QStringLiteral("%1: %2").arg(where, port.lastFaultText());
      break;
  }
  throw K52Error(number, source, source);
}

}  // namespace

QStringList comDevices(const IniFile& ini, const QStringList& listed) {
  QStringList devices;
#ifdef Q_OS_WIN
  Q_UNUSED(ini);
  Q_UNUSED(listed);
  for (int n = 1; n <= kPortCount; ++n) devices << comName(n);
#else
  QStringList named;
  for (int n = 1; n <= kPortCount; ++n) {
    const QString device = ini.read(kPorts, comName(n), QString()).trimmed();
    devices << device;
    if (!device.isEmpty()) named << sameDevice(device);
  }
  qsizetype next = 0;
  for (QString& device : devices) {
    if (!device.isEmpty()) continue;
    while (next < listed.size() && named.contains(sameDevice(listed[next]))) ++next;
    if (next < listed.size()) device = listed[next++];
  }
#endif
  return devices;
}

std::vector<PresentPort> presentPorts(const IniFile& ini) {
  const std::vector<SerialDeviceDetails> listed = listedSerialDeviceDetails();
  QStringList locations;
  for (const SerialDeviceDetails& d : listed) locations << d.device;
  const QStringList devices = comDevices(ini, locations);
  std::vector<PresentPort> present;
  for (int n = 1; n <= kPortCount; ++n) {
    const QString& device = devices.at(n - 1);
    if (device.isEmpty()) continue;
#ifdef Q_OS_WIN
    if (!locations.contains(device, Qt::CaseInsensitive)) continue;
#else
    if (!locations.contains(device) && !QFileInfo::exists(device)) continue;
#endif
    present.push_back({n, detailsOf(device, listed)});
  }
  return present;
}

PortWatcher::PortWatcher(const IniFile& ini, QObject* parent) : QObject(parent), ini_(ini) {
  timer_.setInterval(1000);
  connect(&timer_, &QTimer::timeout, this, &PortWatcher::refresh);
}

void PortWatcher::start() {
  refresh();
  timer_.start();
}

void PortWatcher::refresh() {
  std::vector<PresentPort> now = presentPorts(ini_);
  if (now == ports_) return;
  ports_ = std::move(now);
  emit portsChanged();
}

QString comDevice(const AppContext& ctx, int portNo) {
  checkPortNo(portNo);
  return comDevices(ctx.ini, listedSerialDevices()).at(portNo - 1);
}

void OpenCom(AppContext& ctx) {
  const bool opened = guarded(ctx.log, "modCommun->OpenCom", [&] {
    SerialPort& port = *ctx.port;
    if (port.isOpen()) port.close();  // left open by a transfer that broke off
    const int16_t portNo = ctx.st.ComNo;
    const QString device = comDevice(ctx, portNo);
    if (!port.open(device)) raisePortFault(port, portNo, device);
    ctx.com.PortError = false;
  });
  if (!opened) {
    ctx.com.PortError = true;
    ctx.views->showToolCom();
  }
}

void CloseCom(AppContext& ctx) {
  guarded(ctx.log, "modCommun->CloseCom", [&] {
    SerialPort& port = *ctx.port;
    if (port.isOpen()) port.close();
  });
}

void DelayNms(AppContext& ctx, int16_t n, const std::function<bool()>& until) { waitCooperatively(ctx.clock, n, until); }

void VerdictCom(AppContext& ctx, int16_t intCom) {
  guarded(ctx.log, "mdifrmMain->VerdictCom", [&] {
    verdict(ctx, intCom, comDevice(ctx, intCom));
  });
}

void EnableCOM(AppContext& ctx) {
  guarded(ctx.log, "mdifrmMain->EnableCOM", [&] {
    const QStringList devices = comDevices(ctx.ini, listedSerialDevices());
    for (int n = 1; n <= kPortCount; ++n) verdict(ctx, n, devices.at(n - 1));
  });
}

void AutoSetPort(AppContext& ctx) {
  guarded(ctx.log, "mdifrmMain->AutoSetPort", [&] {
    EnableCOM(ctx);
    for (int n = 1; n <= kPortCount; ++n) {
      if (ctx.com.ComFlag(n) != kPortOpened) continue;
      ctx.st.ComNo = static_cast<int16_t>(n);
      writeSetting(ctx, "mdifrmMain->AutoSetPort", QStringLiteral("COM"), QString::number(n));
      return;
    }
  });
}

QString replaceFailingPort(AppContext& ctx) {
  QString notice;
  guarded(ctx.log, "mdifrmMain->AutoSetPort", [&] {
    const int16_t before = ctx.st.ComNo;
    const QString missing = portLabel(before, comDevice(ctx, before));
    AutoSetPort(ctx);
    if (ctx.st.ComNo == before) return;
    const QString chosen = portLabel(ctx.st.ComNo, comDevice(ctx, ctx.st.ComNo));
    const char* pattern = ctx.st.CurLang == kLangSimplifiedChinese    ? "%1 无法打开，已改用 %2"
                          : ctx.st.CurLang == kLangTraditionalChinese ? "%1 無法開啟，已改用 %2"
                                                                      : "%1 did not open; now using %2";
    notice = QString::fromUtf8(pattern).arg(missing, chosen);
    ctx.log.LogError(QStringLiteral("mdifrmMain->AutoSetPort"), kErrDeviceUnavailable,
                     QStringLiteral("%1 did not open - %2 chosen and stored").arg(missing, chosen));
  });
  return notice;
}

void ChoosePort(AppContext& ctx) {
  ctx.views->showToolCom();
  ctx.views->setStatusCom(comName(ctx.st.ComNo));
}

}  // namespace k52
