#include "core/portlist.h"

#include <QSerialPortInfo>
#include <algorithm>

namespace k52 {

bool deviceNameLess(const QString& a, const QString& b) {
  qsizetype i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (a[i].isDigit() && b[j].isDigit()) {
      qsizetype ei = i, ej = j;
      while (ei < a.size() && a[ei].isDigit()) ++ei;
      while (ej < b.size() && b[ej].isDigit()) ++ej;
      // Compare the numbers without converting: strip leading zeros, then by length.
      qsizetype si = i, sj = j;
      while (si + 1 < ei && a[si] == QLatin1Char('0')) ++si;
      while (sj + 1 < ej && b[sj] == QLatin1Char('0')) ++sj;
      if (ei - si != ej - sj) return ei - si < ej - sj;
      const int c = QStringView(a).mid(si, ei - si).compare(QStringView(b).mid(sj, ej - sj));
      if (c != 0) return c < 0;
      i = ei;
      j = ej;
      continue;
    }
    if (a[i] != b[j]) return a[i] < b[j];
    ++i;
    ++j;
  }
  if (a.size() - i != b.size() - j) return a.size() - i < b.size() - j;
  return a < b;  // equal under the natural order ("ttyS01" and "ttyS1"): plain order decides
}

QStringList listedSerialDevices() {
  QStringList devices;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) devices << info.systemLocation();
  std::sort(devices.begin(), devices.end(), deviceNameLess);
  devices.erase(std::unique(devices.begin(), devices.end()), devices.end());
  return devices;
}

QString serialDeviceDescription(const QString& device) {
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
    if (info.systemLocation() == device || info.portName() == device) return info.description();
  return {};
}

}  // namespace k52
