// k52cli read and write against k52sim --fast, run as a user runs them: the built
// programs, a program folder of their own, exit codes and standard error.

#include "support/testenv.h"
#include "ui/inifile.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct CliRun {
  int exitCode = -1;
  QByteArray err;
};

QByteArray readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& data) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(data);
}

class CliTransfer : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"minglyc.dll", "dhcpqec.dll"})
      ASSERT_TRUE(QFile::copy(QDir(k52::test::deliveredFolder()).filePath(QString::fromLatin1(name)), path(name)));
    for (int i = 0; i < memory.size(); ++i) memory[i] = static_cast<char>((i * 31 + i / 97) & 0xFF);
    writeFile(path("radio.bin"), memory);
  }
  void TearDown() override {
    if (sim.state() != QProcess::NotRunning) {
      sim.write("quit\n");
      if (!sim.waitForFinished(3000)) sim.kill();
    }
  }
  QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
  void startSim(const QStringList& extra = {}) {
    sim.start(QStringLiteral(K52_BIN_DIR "/k52sim"), QStringList{QStringLiteral("--fast"), QStringLiteral("--image"), path("radio.bin")} + extra);
    ASSERT_TRUE(sim.waitForStarted(3000));
    while (!sim.canReadLine()) ASSERT_TRUE(sim.waitForReadyRead(3000));
    device = QString::fromLocal8Bit(sim.readLine()).trimmed();
  }
  QByteArray simLine(const char* command) {
    sim.write(command);
    sim.write("\n");
    while (!sim.canReadLine())
      if (!sim.waitForReadyRead(3000)) return {};
    return sim.readLine().trimmed();
  }
  QByteArray dump() { return QByteArray::fromHex(simLine("dump").mid(5)); }
  CliRun cli(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(K52_BIN_DIR "/k52cli"),
            QStringList{QStringLiteral("--lang"), QStringLiteral("3"), QStringLiteral("--program-folder"), dir.path()} + args);
    CliRun r;
    if (!p.waitForFinished(120000)) {
      p.kill();
      ADD_FAILURE() << "k52cli did not finish";
      return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.err = p.readAllStandardError();
    return r;
  }
  QStringList backups() const {
    return QDir(dir.filePath(QStringLiteral("Backup"))).entryList({QStringLiteral("*.dat")}, QDir::Files, QDir::Name);
  }

  QTemporaryDir dir;
  QByteArray memory = QByteArray(8192, '\0');
  QProcess sim;
  QString device;
};

TEST_F(CliTransfer, ReadPutsTheRadioIntoTheFileAndTheBackupFolder) {
  startSim();
  const CliRun r = cli({QStringLiteral("read"), QStringLiteral("--port"), device, path("out.dat")});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_EQ(readFile(path("out.dat")), memory);
  EXPECT_TRUE(r.err.contains("read 3 %")) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("read 100 %"));
  ASSERT_EQ(backups().size(), 1);
  EXPECT_EQ(readFile(dir.filePath(QStringLiteral("Backup/")) + backups()[0]), memory);

  // A part of the memory, through a port number the settings file maps: the rest of the
  // file is the default image, as in a freshly started program.
  k52::IniFile(path("minglyc.dll")).write(QStringLiteral("Ports"), QStringLiteral("COM3"), device);
  const CliRun part = cli({QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("COM3"), QStringLiteral("--start"),
                        QStringLiteral("0100"), QStringLiteral("--end"), QStringLiteral("10f"), path("part.dat")});
  ASSERT_EQ(part.exitCode, 0) << part.err.toStdString();
  QByteArray expected = readFile(path("dhcpqec.dll"));
  expected.replace(0x100, 16, memory.mid(0x100, 16));
  EXPECT_EQ(readFile(path("part.dat")), expected);
  EXPECT_EQ(backups().size(), 2);
}

TEST_F(CliTransfer, WriteSendsTheFileAsTheProgramWouldAndStampsTheDate) {
  startSim();
  QByteArray in = readFile(path("dhcpqec.dll"));
  in[0x0E17] = 9;
  writeFile(path("in.dat"), in);
  // What opening and saving the file gives: the encoded configuration.
  ASSERT_EQ(cli({QStringLiteral("normalize"), path("in.dat"), path("norm.dat")}).exitCode, 0);
  const QDate today = QDate::currentDate();
  const CliRun r = cli({QStringLiteral("write"), QStringLiteral("--port"), device, path("in.dat")});
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_TRUE(r.err.contains("write 96 %")) << r.err.toStdString();
  QByteArray expected = readFile(path("norm.dat"));
  expected[0x0E17] = 4;
  expected[0x0F92] = static_cast<char>(today.year() % 100);
  expected[0x0F93] = static_cast<char>(today.month());
  expected[0x0F94] = static_cast<char>(today.day());
  expected.replace(0x0F80, 18, QByteArray(18, '\xFF'));
  EXPECT_EQ(dump(), expected);
  EXPECT_EQ(readFile(path("in.dat")), in) << "the input file is only read";
  EXPECT_TRUE(backups().isEmpty()) << "only reads are kept";
}

TEST_F(CliTransfer, AFailedTransferExitsOneAndWritesNoFile) {
  startSim({QStringLiteral("--faults"), QStringLiteral("lost=1")});
  const CliRun r = cli({QStringLiteral("read"), QStringLiteral("--port"), device, path("out.dat")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.err.contains("Communication failed,please check commuication port!")) << r.err.toStdString();
  EXPECT_FALSE(QFile::exists(path("out.dat")));
  EXPECT_TRUE(backups().isEmpty());

  writeFile(path("in.dat"), readFile(path("dhcpqec.dll")));
  const CliRun w = cli({QStringLiteral("write"), QStringLiteral("--port"), device, path("in.dat")});
  EXPECT_EQ(w.exitCode, 1);
  EXPECT_TRUE(w.err.contains("Communication failed,please check commuication port!"));
}

TEST_F(CliTransfer, BadInputExitsTwoBeforeAnythingIsSent) {
  startSim();
  writeFile(path("in.dat"), readFile(path("dhcpqec.dll")));
  const QStringList bad[] = {
      {QStringLiteral("read"), path("out.dat")},  // no --port
      {QStringLiteral("read"), QStringLiteral("--port"), device},
      {QStringLiteral("read"), QStringLiteral("--port"), device, QStringLiteral("--start"), QStringLiteral("XYZ"), path("out.dat")},
      {QStringLiteral("read"), QStringLiteral("--port"), device, QStringLiteral("--start"), QStringLiteral("0200"),
       QStringLiteral("--end"), QStringLiteral("0100"), path("out.dat")},
      {QStringLiteral("read"), QStringLiteral("--port"), device, QStringLiteral("--end"), QStringLiteral("2FFF"), path("out.dat")},
      {QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("COM17"), path("out.dat")},
      {QStringLiteral("read"), QStringLiteral("--port"), dir.filePath(QStringLiteral("no-such-tty")), path("out.dat")},
      {QStringLiteral("write"), QStringLiteral("--port"), device, path("missing.dat")},
      {QStringLiteral("decode"), QStringLiteral("--port"), device, path("in.dat")},
  };
  for (const QStringList& args : bad) {
    const CliRun r = cli(args);
    EXPECT_EQ(r.exitCode, 2) << args.join(QLatin1Char(' ')).toStdString() << "\n" << r.err.toStdString();
    EXPECT_FALSE(r.err.isEmpty());
  }
  EXPECT_FALSE(QFile::exists(path("out.dat")));
  EXPECT_TRUE(simLine("status").contains("frames=0")) << "nothing reached the radio";
}

}  // namespace
