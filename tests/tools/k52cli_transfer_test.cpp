// k52cli read and write against k52sim --fast, run as a user runs them: the built
// programs, a program folder of their own, exit codes and standard error.

#include "support/testenv.h"
#include "ui/inifile.h"

#include <gtest/gtest.h>

#include <QDate>

using k52::test::Sim;
using k52::test::TestEnv;

namespace {

class CliTransfer : public ::testing::Test {
 protected:
  void SetUp() override {
    env.installDeliveredFiles();
    for (int i = 0; i < memory.size(); ++i) memory[i] = static_cast<char>((i * 31 + i / 97) & 0xFF);
    env.writeFile(QStringLiteral("radio.bin"), memory);
  }
  void startSim(const QStringList& extra = {}) {
    ASSERT_TRUE(sim.start(QStringList{QStringLiteral("--fast"), QStringLiteral("--image"), path("radio.bin")} + extra));
  }
  QString path(const char* name) const { return env.path(QString::fromLatin1(name)); }
  QByteArray file(const char* name) const { return env.readFile(QString::fromLatin1(name)); }
  // Runs k52cli in English on the program folder; its exit code and standard error.
  std::pair<int, QByteArray> cli(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(K52_BIN_DIR "/k52cli"),
            QStringList{QStringLiteral("--lang"), QStringLiteral("3"), QStringLiteral("--program-folder"), env.folder.path()} + args);
    if (!p.waitForFinished(120000)) {
      p.kill();
      ADD_FAILURE() << "k52cli did not finish";
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardError()};
  }
  QStringList backups() const {
    return QDir(path("Backup")).entryList({QStringLiteral("*.dat")}, QDir::Files, QDir::Name);
  }

  TestEnv env;
  QByteArray memory = QByteArray(8192, '\0');
  Sim sim;
};

TEST_F(CliTransfer, ReadPutsTheRadioIntoTheFileAndTheBackupFolder) {
  startSim();
  const auto [code, err] = cli({QStringLiteral("read"), QStringLiteral("--port"), sim.device, path("out.dat")});
  ASSERT_EQ(code, 0) << err.toStdString();
  EXPECT_EQ(file("out.dat"), memory);
  EXPECT_TRUE(err.contains("read 3 %") && err.contains("read 100 %")) << err.toStdString();
  ASSERT_EQ(backups().size(), 1);
  EXPECT_EQ(env.readFile(QStringLiteral("Backup/") + backups()[0]), memory);

  // A part of the memory, through a port number the settings file maps: the rest of the
  // file is the default image, as in a freshly started program.
  k52::IniFile(path("minglyc.dll")).write(QStringLiteral("Ports"), QStringLiteral("COM3"), sim.device);
  const auto part = cli({QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("COM3"), QStringLiteral("--start"),
                         QStringLiteral("0100"), QStringLiteral("--end"), QStringLiteral("10f"), path("part.dat")});
  ASSERT_EQ(part.first, 0) << part.second.toStdString();
  EXPECT_EQ(file("part.dat"), file("dhcpqec.dll").replace(0x100, 16, memory.mid(0x100, 16)));
  EXPECT_EQ(backups().size(), 2);
}

TEST_F(CliTransfer, WriteSendsTheFileAsTheProgramWouldAndStampsTheDate) {
  startSim();
  QByteArray in = file("dhcpqec.dll");
  in[0x0E17] = 9;
  env.writeFile(QStringLiteral("in.dat"), in);
  // What opening and saving the file gives: the encoded configuration.
  ASSERT_EQ(cli({QStringLiteral("normalize"), path("in.dat"), path("norm.dat")}).first, 0);
  const QDate today = QDate::currentDate();
  const auto [code, err] = cli({QStringLiteral("write"), QStringLiteral("--port"), sim.device, path("in.dat")});
  ASSERT_EQ(code, 0) << err.toStdString();
  EXPECT_TRUE(err.contains("write 96 %")) << err.toStdString();
  QByteArray expected = file("norm.dat");
  expected[0x0E17] = 4;
  const char date[] = {char(today.year() % 100), char(today.month()), char(today.day())};
  expected.replace(0x0F92, 3, QByteArray(date, 3)).replace(0x0F80, 18, QByteArray(18, '\xFF'));
  EXPECT_EQ(sim.dump(), expected);
  EXPECT_EQ(file("in.dat"), in) << "the input file is only read";
  EXPECT_TRUE(backups().isEmpty()) << "only reads are kept";
}

TEST_F(CliTransfer, AFailedTransferExitsOneAndWritesNoFileBadInputExitsTwoBeforeAnythingIsSent) {
  startSim({QStringLiteral("--faults"), QStringLiteral("lost=1")});
  env.writeFile(QStringLiteral("in.dat"), file("dhcpqec.dll"));
  for (const char* command : {"read", "write"}) {
    const auto [code, err] = cli({QLatin1String(command), QStringLiteral("--port"), sim.device, path(*command == 'r' ? "out.dat" : "in.dat")});
    EXPECT_EQ(code, 1) << command;
    EXPECT_TRUE(err.contains("Communication failed,please check commuication port!")) << err.toStdString();
  }
  EXPECT_FALSE(QFile::exists(path("out.dat")));
  EXPECT_TRUE(backups().isEmpty());

  startSim();
  const QString port = sim.device;
  const QStringList bad[] = {
      {QStringLiteral("read"), path("out.dat")},  // no --port
      {QStringLiteral("read"), QStringLiteral("--port"), port},
      {QStringLiteral("read"), QStringLiteral("--port"), port, QStringLiteral("--start"), QStringLiteral("XYZ"), path("out.dat")},
      {QStringLiteral("read"), QStringLiteral("--port"), port, QStringLiteral("--start"), QStringLiteral("0200"),
       QStringLiteral("--end"), QStringLiteral("0100"), path("out.dat")},
      {QStringLiteral("read"), QStringLiteral("--port"), port, QStringLiteral("--end"), QStringLiteral("2FFF"), path("out.dat")},
      {QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("COM17"), path("out.dat")},
      {QStringLiteral("read"), QStringLiteral("--port"), path("no-such-tty"), path("out.dat")},
      {QStringLiteral("write"), QStringLiteral("--port"), port, path("missing.dat")},
      {QStringLiteral("decode"), QStringLiteral("--port"), port, path("in.dat")},
  };
  for (const QStringList& args : bad) {
    const auto [code, err] = cli(args);
    EXPECT_EQ(code, 2) << args.join(QLatin1Char(' ')).toStdString() << "\n" << err.toStdString();
    EXPECT_FALSE(err.isEmpty());
  }
  EXPECT_FALSE(QFile::exists(path("out.dat")));
  EXPECT_TRUE(sim.command("status").contains("frames=0")) << "nothing reached the radio";
}

}  // namespace
