#pragma once
// The serial port layer: the port numbers 1-16 and the devices behind them, opening and
// closing the cable for a transfer, the cooperative millisecond wait, the probe of the
// ports and the automatic choice of one.

#include "core/portlist.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <vector>

namespace k52 {

struct AppContext;
class IniFile;

inline constexpr int kPortCount = 16;

// The device of each port number, COM1 first. On Windows port n is "COMn". Elsewhere the
// settings section "Ports" may name a device path under "COM1" ... "COM16"; the numbers
// it leaves free take the listed devices it does not name, in the order given (sorted by
// system location); a number left over has no device ("").
QStringList comDevices(const IniFile& ini, const QStringList& listed);
// The device of port number portNo with the devices this system lists; a number outside
// 1-16 raises the invalid-property error (380).
QString comDevice(const AppContext& ctx, int portNo);

// A port whose device is there now: its number and what the system knows of the device.
struct PresentPort {
  int portNo = 0;
  SerialDeviceDetails details;
  bool operator==(const PresentPort&) const = default;
};
// The ports 1-16 whose device is there now: listed by the system, or a path the settings
// file names that exists (a simulator's terminal, a link under /dev/serial/by-id).
std::vector<PresentPort> presentPorts(const IniFile& ini);

// Keeps presentPorts current while started: looks once a second and says when a cable was
// plugged in or pulled out. Stopped, it does nothing.
class PortWatcher : public QObject {
  Q_OBJECT
 public:
  explicit PortWatcher(const IniFile& ini, QObject* parent = nullptr);
  const std::vector<PresentPort>& ports() const { return ports_; }
  // Looks now, then every second until stop().
  void start();
  void stop() { timer_.stop(); }
  // Looks now; portsChanged() when the list differs from the last look.
  void refresh();

 signals:
  void portsChanged();

 private:
  const IniFile& ini_;
  QTimer timer_;
  std::vector<PresentPort> ports_;
};

// Opens the port ComNo for a transfer. PortError tells the caller whether it failed; on
// failure the port dialog has been shown and the log says why.
void OpenCom(AppContext& ctx);
void CloseCom(AppContext& ctx);
// Waits n ms while the interface keeps handling its events (paints, timer ticks); ends
// early once until() holds.
void DelayNms(AppContext& ctx, int16_t n, const std::function<bool()>& until = {});

// The main window's probe of port intCom: ComFlag(intCom) = kPortOpened when it opened and
// closed, kPortFailed when it did not.
void VerdictCom(AppContext& ctx, int16_t intCom);
// Probes ports 1 to 16.
void EnableCOM(AppContext& ctx);
// Takes the first port that passes the probe as ComNo and stores it; with none, nothing
// changes.
void AutoSetPort(AppContext& ctx);
// Start-up with the stored port failing its probe: AutoSetPort, and when it took another
// port, an entry in the error log naming the port that did not open and the one chosen.
// Returns the status bar's notice of the change in the interface language; empty when
// the port stayed.
QString replaceFailingPort(AppContext& ctx);
// The Port command: the port dialog, then the status bar shows the port chosen.
void ChoosePort(AppContext& ctx);

}  // namespace k52
