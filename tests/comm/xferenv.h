#pragma once
// A started program without windows for the transfer tests: the delivered files, English
// texts, port COM1 on a fake port (test clock) or a device, and what the windows would
// have been shown recorded.

#include "comm/transfer.h"
#include "fakeport.h"
#include "shell/appcontext.h"
#include "shell/startup.h"
#include "support/testenv.h"
#include "ui/inifile.h"

#include <QFile>
#include <vector>

namespace k52::test {

// What start-up and the transfers show in the main window and the settings window.
class RecordingViews final : public AppViews {
 public:
  void showToolCom() override { ++toolComShown; }
  void showSoftVersion(const QString& text) override { softVersion << text; }
  void showLastProgrammed(const QString& text) override { lastProgrammed << text; }
  int toolComShown = 0;
  QStringList softVersion, lastProgrammed;
};

// A transfer's view without a window: records the calls; stops when told to.
class RecordingView final : public TransferView {
 public:
  void ComDataShow(int16_t dir, const QByteArray& block) override { shown.push_back({dir, block}); }
  void addLine(const QString& text) override { lines << text; }
  void transferStarting(bool write) override { starts.push_back(write); }
  void transferStopped() override { ++stops; }
  void ShowComPercent(int16_t p) override { percents.push_back(p); }
  bool stopRequested() override { return stopAfterPercents >= 0 && static_cast<int>(percents.size()) >= stopAfterPercents; }
  void transferFinished() override { ++finishes; }

  std::vector<std::pair<int16_t, QByteArray>> shown;
  QStringList lines;
  std::vector<bool> starts;
  int stops = 0, finishes = 0;
  std::vector<int16_t> percents;
  int stopAfterPercents = -1;  // stop once this many scripts went through
};

// Writes the settings a started program needs into the program folder of env: the
// delivered files, not the first run, English, and COM1 on the given device.
inline void installProgram(const TestEnv& env, const QString& com1Device) {
  env.installDeliveredFiles();
  IniFile ini(env.path(QStringLiteral("minglyc.dll")));
  IniFile::Batch batch(ini);
  ini.write(QStringLiteral("Setting"), QStringLiteral("FirRun"), QStringLiteral("0"));
  ini.write(QStringLiteral("Setting"), QStringLiteral("Language"), QStringLiteral("3"));
  ini.write(QStringLiteral("Setting"), QStringLiteral("COM"), QStringLiteral("1"));
  ini.write(QStringLiteral("Ports"), QStringLiteral("COM1"), com1Device);
}

inline QByteArray deliveredImage() {
  QFile f(QDir(deliveredFolder()).filePath(QStringLiteral("dhcpqec.dll")));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A radio's memory that decodes into something of its own: the delivered image with
// channel 1 on 435.125 MHz, programmed on 5 January 2026, firmware V1.0 of 2011-12-21, and
// a pattern in the bytes no codec reads.
inline QByteArray radioMemory() {
  QByteArray m = deliveredImage();
  m.resize(8192, '\xFF');
  const char ch1[] = {0x00, 0x25, 0x51, 0x43, 0x00, 0x25, 0x51, 0x43};
  m.replace(0, 8, QByteArray(ch1, 8));
  m[0x0F92] = 26;
  m[0x0F93] = 1;
  m[0x0F94] = 5;
  m[0x0F98] = 0x10;
  m[0x0F99] = static_cast<char>(0xBC);
  m[0x0F9A] = 0x15;
  for (int a = 0x1800; a < 0x2000; ++a) m[a] = static_cast<char>((a * 7 + a / 256) & 0xFF);
  return m;
}

}  // namespace k52::test
