#pragma once
// k52sim as a child process: its first line names its terminal; commands go to its
// standard input. Ended with "quit" when the object goes.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace k52::test {

struct Sim {
  ~Sim() { stop(); }
  // Starts the simulator with the arguments; false when it named no terminal.
  bool start(const QStringList& args) {
    stop();
    p.start(program, args);
    if (!p.waitForStarted(5000)) return false;
    while (!p.canReadLine())
      if (!p.waitForReadyRead(5000)) return false;
    device = QString::fromLocal8Bit(p.readLine()).trimmed();
    return !device.isEmpty();
  }
  // Its one line of answer.
  QByteArray command(const char* line) {
    if (p.state() != QProcess::Running) return {};
    p.write(line);
    p.write("\n");
    while (!p.canReadLine())
      if (!p.waitForReadyRead(5000)) return {};
    return p.readLine().trimmed();
  }
  // The radio's memory.
  QByteArray dump() {
    const QByteArray line = command("dump");
    return line.startsWith("dump ") ? QByteArray::fromHex(line.mid(5)) : QByteArray();
  }
  void stop() {
    if (p.state() == QProcess::NotRunning) return;
    p.write("quit\n");
    if (!p.waitForFinished(5000)) {
      p.kill();
      p.waitForFinished(5000);
    }
  }
  QString program = QStringLiteral(K52_BIN_DIR "/k52sim");
  QProcess p;
  QString device;
};

}  // namespace k52::test
