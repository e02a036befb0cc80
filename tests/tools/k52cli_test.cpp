// k52cli as a user runs it, in a program folder of its own, reading and writing k52sim --fast:
// its output, exit status, the files it writes and the ones it leaves alone.

#include "support/testenv.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct CliResult {
  int exitCode = -1;
  QByteArray out, err;
  QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
};

// A settings file whose language bases differ in their channel count (3, 4, 5) and in
// option 17's default (the language's number), so the base in use shows in the output.
QString settingsFile() {
  QString s = QStringLiteral("[Setting]\nLanguage=2\nDatNum=8191\n") + k52::test::chInfoSection(3, true) + QStringLiteral("[Option]\n0=20\n");
  for (int lang = 1; lang <= 3; ++lang)
    for (int i = 1; i <= 20; ++i) s += QStringLiteral("%1=%2\n%3=9\n").arg(1000 * lang + i).arg(i == 17 ? lang : 0).arg(1000 * lang + 500 + i);
  return s;
}

// An erased image (band 136 - 174 MHz) with channel 1 at RX 145.525, TX 145.025, decode
// 67.0 Hz, encode D023N, flags 0x2A, name "AB1Z_", and something at the top of the memory.
QByteArray oneChannelImage() {
  QByteArray img(0x2000, char(0xFF));
  img.replace(0x0FF0, 3, QByteArray::fromHex("131764"));
  img.replace(0, 16, QByteArray::fromHex("0025551400255014700623802A0A0B01"));
  img.replace(0x0C70, 2, QByteArray::fromHex("232C"));
  img.replace(0x1FF0, 2, QByteArray::fromHex("1234"));
  return img;
}

class K52Cli : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QFile::exists(QStringLiteral(K52_BIN_DIR "/k52cli")));
    env.writeSettings(settingsFile());
    env.writeFile(QStringLiteral("dhcpqec.dll"), QByteArray(0x2000, char(0xFF)));
    env.writeFile(QStringLiteral("one.dat"), oneChannelImage());
  }
  QString path(const char* name) const { return env.path(QString::fromLatin1(name)); }
  // k52cli in the program folder: `line` is a bash command line after the program and its
  // --program-folder (so that it can carry names no QString can), "@port" the simulator.
  CliResult run(const QString& line, const char* locale = nullptr) const {
    QProcess p;
    p.setWorkingDirectory(env.folder.path());
    QProcessEnvironment vars = QProcessEnvironment::systemEnvironment();
    vars.insert(QStringLiteral("K52CLI"), QStringLiteral(K52_BIN_DIR "/k52cli"));
    vars.insert(QStringLiteral("K52DIR"), env.folder.path());
    if (locale) vars.insert(QStringLiteral("LC_ALL"), QLatin1String(locale));
    p.setProcessEnvironment(vars);
    p.start(QStringLiteral("bash"), {QStringLiteral("-c"), QStringLiteral("exec \"$K52CLI\" --program-folder \"$K52DIR\" ") + QString(line).replace(QStringLiteral("@port"), sim.device)});
    const bool finished = p.waitForFinished(120000);  // else killed as p goes
    EXPECT_TRUE(finished) << "k52cli did not finish: " << line.toStdString();
    return {finished && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(), p.readAllStandardError()};
  }
  // k52sim --fast on a radio holding a pattern.
  void startSim(const QString& extra = {}) {
    for (int i = 0; i < memory.size(); ++i) memory[i] = static_cast<char>((i * 31 + i / 97) & 0xFF);
    env.writeFile(QStringLiteral("radio.bin"), memory);
    ASSERT_TRUE(sim.start(QStringList{QStringLiteral("--fast"), QStringLiteral("--image"), path("radio.bin")} + extra.split(QLatin1Char(' '), Qt::SkipEmptyParts)));
  }
  QStringList backups() const { return QDir(path("Backup")).entryList({QStringLiteral("*.dat")}, QDir::Files, QDir::Name); }

  k52::test::TestEnv env;
  QByteArray memory = QByteArray(8192, '\0');
  k52::test::Sim sim;
};

}  // namespace

// decode prints the band, every channel of the language base (an erased one with the column
// defaults) and the options; normalize saves what the encoder makes of the file, and what it
// wrote is normal. The settings file is never written.
TEST_F(K52Cli, DecodeAndNormalizeFollowTheLanguageBaseAndLeaveTheSettingsAlone) {
  const std::tuple<const char*, int, int> cases[] = {{"--lang 1", 3, 1}, {"", 4, 2}, {"--lang=3", 5, 3}};  // "Language" = 2
  for (const auto& [lang, channels, entry17] : cases) {
    const CliResult r = run(QLatin1String(lang) + QStringLiteral(" decode one.dat"));
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QJsonObject doc = r.json();
    EXPECT_EQ(doc[QStringLiteral("band")].toObject(), (QJsonObject{{"index", 0}, {"lower", 13600000}, {"upper", 17399500}}));
    const QJsonArray list = doc[QStringLiteral("channels")].toArray();
    ASSERT_EQ(list.size(), channels) << lang;
    EXPECT_EQ(list[0].toObject(), (QJsonObject{{"n", 1}, {"rx", 14552500}, {"tx", 14502500}, {"decode", 1}, {"encode", 51},
                                               {"options", QJsonArray{1, 1, 1}}, {"name", "AB1Z_"}}));
    EXPECT_EQ(doc[QStringLiteral("options")].toArray()[16].toInt(), entry17) << lang;
  }
  const QByteArray settings = env.readFile(QStringLiteral("minglyc.dll"));
  ASSERT_EQ(run(QStringLiteral("normalize one.dat once.dat")).exitCode, 0);
  const QByteArray once = env.readFile(QStringLiteral("once.dat"));
  EXPECT_TRUE(once.size() == 0x2000 && once.left(16) == oneChannelImage().left(16) && once.right(16) == oneChannelImage().right(16));
  ASSERT_EQ(run(QStringLiteral("normalize once.dat twice.dat")).exitCode, 0);
  EXPECT_EQ(env.readFile(QStringLiteral("twice.dat")), once);
  EXPECT_EQ(env.readFile(QStringLiteral("minglyc.dll")), settings);
}

// Bad input is named, exits 2, and nothing is written or sent: no data file (a pipe would
// wait for ever), an output that cannot be one, a name the file system's encoding cannot
// carry, an image "DatNum" leaves short, a port or a range that cannot be, wrong usage.
TEST_F(K52Cli, BadInputExitsTwoAndNothingIsWrittenOrSent) {
  startSim();
  env.writeFile(QStringLiteral("short.dat"), QByteArray(0x1FFF, char(0xFF)));
  QDir(env.folder.path()).mkdir(QStringLiteral("folder.dat"));
  ASSERT_EQ(mkfifo(QFile::encodeName(path("pipe.dat")).constData(), 0644), 0);
  const QByteArray latin1 = QFile::encodeName(env.folder.path()) + "/caf\xE9.dat";
  ASSERT_TRUE(QFile::copy(path("one.dat"), path("tmp")) && ::rename(QFile::encodeName(path("tmp")).constData(), latin1.constData()) == 0);
  const QStringList before = QDir(env.folder.path()).entryList(QDir::AllEntries | QDir::System);
  const std::pair<const char*, const char*> cases[] = {
      {"decode missing.dat", "missing.dat"}, {"normalize short.dat out.dat", "short.dat"}, {"decode folder.dat", "folder.dat"},
      {"normalize pipe.dat out.dat", "not a regular file"}, {"normalize one.dat pipe.dat", "not a regular file"},
      {"normalize one.dat folder.dat", "folder.dat"}, {"normalize one.dat no-folder/out.dat", "no-folder"},
      {"decode $'caf\\xe9.dat'", "encoding"}, {"normalize one.dat $'out\\xe9.dat'", "encoding"},
      {"decode one.dat --program-folder folder.dat", "minglyc.dll"}, {"", "usage: k52cli"}, {"print one.dat", "usage: k52cli"},
      {"--lang 4 decode one.dat", "usage: k52cli"}, {"normalize one.dat", "usage: k52cli"}, {"read out.dat", "--port"},
      {"read --port @port", "usage"}, {"read --port @port --start XYZ out.dat", "XYZ"}, {"read --port @port --start 0200 --end 0100 out.dat", "0200"},
      {"read --port @port --end 2FFF out.dat", ""}, {"read --port COM17 out.dat", "COM1"}, {"read --port no-such-tty out.dat", ""},
      {"write --port @port missing.dat", "missing.dat"}, {"read --port @port no-folder/out.dat", "no-folder"},
      {"read --port @port one.dat/out.dat", "one.dat"}, {"decode --port @port one.dat", "usage"}};
  for (const auto& [line, said] : cases)
    for (const char* locale : {"C", "C.UTF-8"}) {
      const CliResult r = run(QLatin1String(line), locale);
      EXPECT_TRUE(r.exitCode == 2 && r.out.isEmpty() && r.err.contains(said)) << line << " " << locale << ": " << r.err.constData();
    }
  for (const char* datNum : {"DatNum=100", ""}) {
    env.writeSettings(settingsFile().replace(QStringLiteral("DatNum=8191"), QLatin1String(datNum)));
    const CliResult r = run(QStringLiteral("normalize one.dat out.dat"));
    EXPECT_TRUE(r.exitCode == 2 && r.err.contains("DatNum")) << datNum << r.err.constData();
  }
  EXPECT_EQ(QDir(env.folder.path()).entryList(QDir::AllEntries | QDir::System), before);
  EXPECT_TRUE(sim.command("status").contains("frames=0")) << "nothing reached the radio";
  ::unlink(latin1.constData());  // Qt cannot name it to clear the folder away
}

// The radio into the file and the backup folder, a file into the radio; a backup that cannot
// be kept and a failed transfer exit 1.
TEST_F(K52Cli, ReadAndWriteThroughTheSimulatorABackupNotKeptOrAFailedTransferExitsOne) {
  env.installDeliveredFiles();
  startSim();
  const CliResult r = run(QStringLiteral("read --port @port out.dat"));
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_TRUE(env.readFile(QStringLiteral("out.dat")) == memory && r.err.contains("read 3 %") && r.err.contains("read 100 %")) << r.err.toStdString();
  ASSERT_EQ(backups().size(), 1);
  EXPECT_EQ(env.readFile(QStringLiteral("Backup/") + backups()[0]), memory);
  const CliResult w = run(QStringLiteral("write --port @port one.dat"));
  ASSERT_EQ(w.exitCode, 0) << w.err.toStdString();
  EXPECT_EQ(sim.dump().left(16), oneChannelImage().left(16)) << "the channel landed in the radio";
  QDir(path("Backup")).removeRecursively();
  env.writeFile(QStringLiteral("Backup"), "a file where the folder belongs");
  const CliResult unkept = run(QStringLiteral("read --port @port unkept.dat"));
  EXPECT_TRUE(unkept.exitCode == 1 && env.readFile(QStringLiteral("unkept.dat")) == sim.dump());
  EXPECT_TRUE(unkept.err.contains(("出错点:  " + path("Backup")).toUtf8()) && unkept.err.contains("not kept in the backup folder"))
      << unkept.err.toStdString();
  // A failed transfer exits 1 and writes no file, no backup either.
  ASSERT_TRUE(QFile::remove(path("Backup")));
  startSim(QStringLiteral("--faults lost=1"));
  for (const char* line : {"--lang 3 read --port @port failed.dat", "--lang 3 write --port @port one.dat"}) {
    const CliResult r = run(QLatin1String(line));
    EXPECT_TRUE(r.exitCode == 1 && r.err.contains("Communication failed,please check commuication port!")) << line << r.err.toStdString();
  }
  EXPECT_TRUE(!QFile::exists(path("failed.dat")) && !QFile::exists(path("Backup")));
}
