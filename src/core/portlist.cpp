#include "core/portlist.h"

#include <QFileInfo>
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

QString SerialDeviceDetails::product() const {
  QStringList parts;
  const QString names = QStringList{manufacturer, description}.join(QLatin1Char(' ')).simplified();
  if (!names.isEmpty()) parts << names;
  if (vendorId >= 0 && productId >= 0)
    parts << QStringLiteral("USB %1:%2").arg(vendorId, 4, 16, QLatin1Char('0')).arg(productId, 4, 16, QLatin1Char('0'));
  return parts.join(QStringLiteral(", "));
}

std::vector<SerialDeviceDetails> listedSerialDeviceDetails() {
  std::vector<SerialDeviceDetails> listed;
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
    SerialDeviceDetails d{info.systemLocation(), info.manufacturer(), info.description(), info.serialNumber()};
    if (info.hasVendorIdentifier()) d.vendorId = info.vendorIdentifier();
    if (info.hasProductIdentifier()) d.productId = info.productIdentifier();
    listed.push_back(d);
  }
  std::sort(listed.begin(), listed.end(), [](const auto& a, const auto& b) { return deviceNameLess(a.device, b.device); });
  return listed;
}

SerialDeviceDetails detailsOf(const QString& device, const std::vector<SerialDeviceDetails>& listed) {
  const QString target = QFileInfo(device).canonicalFilePath();
  for (const SerialDeviceDetails& d : listed)
    if (d.device == device || (!target.isEmpty() && QFileInfo(d.device).canonicalFilePath() == target)) {
      SerialDeviceDetails found = d;
      found.device = device;
      return found;
    }
  SerialDeviceDetails unlisted;
  unlisted.device = device;
  return unlisted;
}

QStringList listedSerialDevices() {
  QStringList devices;
  for (const SerialDeviceDetails& d : listedSerialDeviceDetails()) devices << d.device;
  devices.erase(std::unique(devices.begin(), devices.end()), devices.end());
  return devices;
}

QString serialDeviceDescription(const QString& device) {
  for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
    if (info.systemLocation() == device || info.portName() == device) return info.description();
  return {};
}

}  // namespace k52
