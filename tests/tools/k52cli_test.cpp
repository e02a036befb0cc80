// k52cli run as a user runs it: the built program, a program folder of its own, data files
// written byte by byte from the memory layout, and read and write against k52sim --fast.

#include "support/testenv.h"
#include "ui/inifile.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>
#include <iostream>
#include <cstring>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

struct CliResult {
  int exitCode = -1;
  QByteArray out, err;
  QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
};

// k52cli with the arguments, in the given working folder; or, with `shell` set, the bash
// command line `shell` with $K52CLI the program (arguments no QString can carry).
CliResult k52cli(const QStringList& args, const QString& cwd = {}, const QString& shell = {}, const QString& locale = {}) {
  QProcess p;
  if (!cwd.isEmpty()) p.setWorkingDirectory(cwd);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("K52CLI"), QStringLiteral(K52_BIN_DIR "/k52cli"));
  if (!locale.isEmpty()) env.insert(QStringLiteral("LC_ALL"), locale);
  p.setProcessEnvironment(env);
  if (shell.isEmpty())
    p.start(QStringLiteral(K52_BIN_DIR "/k52cli"), args);
  else
    p.start(QStringLiteral("bash"), {QStringLiteral("-c"), shell});
  if (!p.waitForFinished(120000)) {
    p.kill();
    ADD_FAILURE() << "k52cli did not finish";
    return {};
  }
  return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(), p.readAllStandardError()};
}

int rec(int n) { return 16 * (n - 1); }
int ext(int n) { return 0x0C70 + 2 * (n - 1); }

// An erased 8 KB image with bytes set at the given addresses.
struct Image {
  QByteArray bytes = QByteArray(0x2000, char(0xFF));
  Image& set(int address, std::initializer_list<int> values) {
    for (int v : values) bytes[address++] = char(v);
    return *this;
  }
};

// The "ChInfo" keys of one language: channel count, eight columns (RX, TX, two tones,
// three choice columns, name) with the given default of column 6.
QString chInfoKeys(int base, int channels, int col6Default) {
  const QList<QStringList> items{{"RxFre", "0", "43000000"}, {"TxFre", "0", "43000000"}, {"CtcssDcsDec", "0", "0"},
                                 {"CtcssDcsEnc", "0", "0"},  {"W|N", "2", "0", "W", "N"},
                                 {"No|Yes", "2", QString::number(col6Default), "No", "Yes"},
                                 {"H|M|L", "3", "0", "H", "M", "L"}, {"CHNAME", "0", "0"}};
  QString s = QStringLiteral("%1=%2\n%3=300\n%4=8\n%5=^No.|^RX|^TX|^Dec|^Enc|^W/N|^Scan|^Power|^Name\n")
                  .arg(base).arg(channels).arg(base + 1).arg(base + 2).arg(base + 3);
  for (int c = 1; c <= 8; ++c) {
    const QStringList it = items[c - 1] + QStringList{QStringLiteral("*EndOfThisItem*")};
    for (int j = 0; j < it.size(); ++j) s += QStringLiteral("%1=%2\n").arg(base + 150 + 50 * c + j).arg(it[j]);
  }
  return s;
}

// A small settings file: language 2 by default, and per language base its own channel
// count, column-6 default and option defaults, so the base in use shows in the output.
// Entry 17 has no place in the image: it shows the default of the language. The stored
// selections (9) are what the last reset wrote; opening a file starts from the defaults.
QString settingsFile() {
  QString s = QStringLiteral("[Setting]\nLanguage=2\nDatNum=8191\nCtcDcsMax=260\n\n[ChInfo]\n");
  s += chInfoKeys(1000, 3, 1) + chInfoKeys(2000, 4, 1) + chInfoKeys(3000, 5, 0) + QStringLiteral("\n[Option]\n0=20\n");
  for (int lang = 1; lang <= 3; ++lang)
    for (int i = 1; i <= 20; ++i)
      s += QStringLiteral("%1=%2\n%3=9\n").arg(1000 * lang + i).arg(i == 17 ? lang : i == 2 ? 4 : 0).arg(1000 * lang + 500 + i);
  return s;
}

// Five channels and some options, written out from the memory layout. Band 136 - 174 MHz.
QByteArray handWrittenImage() {
  Image img;
  img.set(0x0FF0, {0x13, 0x17, 0x64});
  // 1: RX 145.525, TX 145.025, decode 67.0 Hz, encode D023N, flags 0x2A, name "AB1Z_".
  img.set(rec(1), {0x00, 0x25, 0x55, 0x14, 0x00, 0x25, 0x50, 0x14, 0x70, 0x06, 0x23, 0x80, 0x2A, 10, 11, 1}).set(ext(1), {35, 44});
  // 2: RX 173.995 (the band's last frequency), no TX, no tones, flags 0x04, erased name.
  img.set(rec(2), {0x00, 0x95, 0x39, 0x17}).set(rec(2) + 12, {0x04});
  // 3: RX 400 MHz, outside the band: kept as it is (the user decides what becomes of it).
  img.set(rec(3), {0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x40, 0x70, 0x06, 0x70, 0x06, 0xFA, 12, 13, 14});
  // 4: RX 1A..: passes the range test but is no decimal number: an empty channel.
  img.set(rec(4), {0x00, 0x00, 0x50, 0x1A});
  // 5: RX 136.000 (the band's first), TX zero (none), decode 69.0 Hz (not in the list),
  //    encode D754I, both bits of the three-state option, name "A.B  " shown as "A".
  img.set(rec(5), {0x00, 0x00, 0x60, 0x13, 0x00, 0x00, 0x00, 0x00, 0x90, 0x06, 0x54, 0xC7, 0x06, 10, 0xFF, 11}).set(ext(5), {36, 36});
  // Options: work mode 3 (-> 1), voice 0x12 (-> 2), squelch 0x0A (above 9 -> default),
  // time-out 3, VOX level 0x0C (-> 8), power-on message "K52  ", FM station 1 87.5 MHz.
  img.set(0x0E10, {0x03, 0x00, 0x12, 0x0A, 0x03, 0x0C, 0x02}).set(0x0E1B, {20, 5, 2, 36, 36});
  img.set(0x0E60, {0x00, 0x00, 0x75, 0x08}).set(0x0EC4, {0x00, 0x00, 0x00, 0x00});
  // Firmware version and date, and something at the top: carried through untouched.
  img.set(0x0F98, {0x10, 0xF6, 0x15}).set(0x1FF0, {0x12, 0x34});
  return img.bytes;
}

// Channel n of a decode as "rx tx decode encode [options] name".
QString channel(const QJsonObject& doc, int n) {
  const QJsonObject c = doc[QStringLiteral("channels")].toArray()[n - 1].toObject();
  QStringList options;
  for (const QJsonValue& o : c[QStringLiteral("options")].toArray()) options << QString::number(o.toInt());
  return QStringLiteral("%1 %2 %3 %4 [%5] %6")
      .arg(c[QStringLiteral("rx")].toInt()).arg(c[QStringLiteral("tx")].toInt()).arg(c[QStringLiteral("decode")].toInt())
      .arg(c[QStringLiteral("encode")].toInt()).arg(options.join(QLatin1Char(','))).arg(c[QStringLiteral("name")].toString());
}
QString band(const QJsonObject& doc) {
  const QJsonObject b = doc[QStringLiteral("band")].toObject();
  return QStringLiteral("%1 %2-%3").arg(b[QStringLiteral("index")].toInt()).arg(b[QStringLiteral("lower")].toInt()).arg(b[QStringLiteral("upper")].toInt());
}

class K52Cli : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QFile::exists(QStringLiteral(K52_BIN_DIR "/k52cli")));
    env.writeSettings(settingsFile());
    env.writeFile(QStringLiteral("dhcpqec.dll"), Image().bytes);
    env.writeFile(QStringLiteral("five.dat"), handWrittenImage());
  }
  QString path(const char* name) const { return env.path(QString::fromLatin1(name)); }
  // The words of a command line, "@name" a file in the program folder, "@port" the simulator.
  QStringList words(const QString& line) const {
    QStringList args;
    for (const QString& w : line.split(QLatin1Char(' '), Qt::SkipEmptyParts))
      args << (w == QLatin1String("@port") ? sim.device : w.startsWith(QLatin1Char('@')) ? env.path(w.mid(1)) : w);
    return args;
  }
  CliResult run(const QString& line) const { return k52cli(words(line) << QStringLiteral("--program-folder") << env.folder.path()); }
  // k52sim --fast on a radio holding a pattern, for read and write.
  void startSim(const QString& extra = {}) {
    for (int i = 0; i < memory.size(); ++i) memory[i] = static_cast<char>((i * 31 + i / 97) & 0xFF);
    env.writeFile(QStringLiteral("radio.bin"), memory);
    ASSERT_TRUE(sim.start(words(QStringLiteral("--fast --image @radio.bin ") + extra)));
  }
  QStringList backups() const { return QDir(path("Backup")).entryList({QStringLiteral("*.dat")}, QDir::Files, QDir::Name); }

  k52::test::TestEnv env;
  QByteArray memory = QByteArray(8192, '\0');
  k52::test::Sim sim;
};

}  // namespace

TEST_F(K52Cli, DecodeOfHandWrittenChannelsAndOptions) {
  const CliResult r = run(QStringLiteral("--lang 3 decode @five.dat"));
  ASSERT_EQ(r.exitCode, 0) << r.err.constData();
  const QJsonObject doc = r.json();
  EXPECT_EQ(band(doc), QStringLiteral("0 13600000-17399500"));
  ASSERT_EQ(doc[QStringLiteral("channels")].toArray().size(), 5);
  const char* channels[] = {"14552500 14502500 1 51 [1,1,1] AB1Z_", "17399500 -1 0 0 [0,0,2] ", "40000000 40000000 1 1 [1,1,1] CDE",
                            "-1 -1 0 0 [0,0,0] ", "13600000 -1 0 260 [0,0,0] A"};
  for (int n = 1; n <= 5; ++n) EXPECT_EQ(channel(doc, n), QLatin1String(channels[n - 1])) << n;
  const QJsonArray o = doc[QStringLiteral("options")].toArray();
  ASSERT_EQ(o.size(), 100);
  // Squelch 0x0A gives the default, work mode bits 11 give 1, entry 17 (not in the image)
  // the English default, FM station 1, the power-on message "K52  ".
  const std::pair<int, int> expected[] = {{1, 4}, {5, 1}, {16, 3}, {23, 875}, {49, 20}, {50, 5}, {51, 2}, {52, 36}};
  for (const auto& [i, v] : expected) EXPECT_EQ(o[i].toInt(), v) << "option " << i + 1;
}

TEST_F(K52Cli, NormalizeSavesWhatTheEncoderMakesOfTheFileAndNothingElse) {
  const QByteArray in = handWrittenImage();
  env.writeFile(QStringLiteral("in.dat"), in + QByteArray(100, 'x'));  // a longer file: its first 8 KB
  const CliResult r = run(QStringLiteral("--lang 3 normalize @in.dat @once.dat"));
  ASSERT_EQ(r.exitCode, 0) << r.err.constData();
  EXPECT_TRUE(r.out.isEmpty());
  const QByteArray out = env.readFile(QStringLiteral("once.dat"));
  ASSERT_EQ(out.size(), 0x2000);
  EXPECT_EQ(out.mid(0x0EC4, 4), QByteArray(4, char(0xFF)));
  // A valid channel comes back byte for byte, its name extension too, also outside the band;
  // an empty channel is erased with its options at the column defaults (0xFF keeps bits 0,
  // 4, 6, 7); zero TX and an unknown tone are written back as none. The rest of the memory
  // is carried through.
  for (int n : {1, 3}) EXPECT_EQ(out.mid(rec(n), 16) + out.mid(ext(n), 2), in.mid(rec(n), 16) + in.mid(ext(n), 2)) << n;
  EXPECT_EQ(out.mid(rec(4), 16), QByteArray(12, char(0xFF)) + "\xD1\xFF\xFF\xFF");
  EXPECT_EQ(out.mid(rec(5) + 4, 6), QByteArray(6, char(0xFF)));
  EXPECT_EQ(out.mid(0x0E13, 3), QByteArray("\x04\x03\x08", 3)) << "the squelch saved as its default";
  EXPECT_EQ(out.mid(0x0F92), in.mid(0x0F92));
  EXPECT_EQ(out.mid(rec(6), 0x0C70 - rec(6)), in.mid(rec(6), 0x0C70 - rec(6))) << "channels beyond the table are not touched";
  // What normalize wrote is normal: a second pass reproduces it byte for byte.
  ASSERT_EQ(run(QStringLiteral("--lang 3 normalize @once.dat @twice.dat")).exitCode, 0);
  EXPECT_EQ(env.readFile(QStringLiteral("twice.dat")), out);
}

TEST_F(K52Cli, BadInputIsNamedOnOneLineWithStatusTwoAndNothingWritten) {
  env.writeFile(QStringLiteral("short.dat"), QByteArray(0x1FFF, char(0xFF)));
  QDir(env.folder.path()).mkdir(QStringLiteral("folder.dat"));
  for (const char* in : {"missing.dat", "short.dat", "folder.dat"}) {
    for (const char* command : {"decode @%1", "normalize @%1 @out.dat"}) {
      const CliResult r = run(QString::fromLatin1(command).arg(QLatin1String(in)));
      EXPECT_TRUE(r.exitCode == 2 && r.out.isEmpty() && r.err.count('\n') == 1 && r.err.contains(path(in).toUtf8())) << command << " " << in << ": " << r.err.constData();
      EXPECT_FALSE(QFile::exists(path("out.dat")));
    }
  }
  // Wrong usage: the usage text, status 2.
  for (const char* line : {"", "print @five.dat", "--lang 4 decode @five.dat", "normalize @five.dat"}) {
    const CliResult r = run(QLatin1String(line));
    EXPECT_TRUE(r.exitCode == 2 && r.err.contains("usage: k52cli") && r.out.isEmpty()) << line;
  }
  // A program folder without a settings file is bad input too.
  const CliResult r = k52cli(words(QStringLiteral("decode @five.dat --program-folder @folder.dat")));
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(r.err.contains("minglyc.dll")) << r.err.constData();
}

// A pipe or a device is neither read (a pipe would wait for a writer for ever) nor
// replaced by the output. Made in the test's own folder, never the system's.
TEST_F(K52Cli, PipesAndDevicesAreNeitherReadNorReplaced) {
  ASSERT_EQ(mkfifo(QFile::encodeName(path("pipe.dat")).constData(), 0644), 0);
  QStringList lines{"decode @pipe.dat", "normalize @pipe.dat @out.dat", "normalize @five.dat @pipe.dat"};
  if (mknod(QFile::encodeName(path("null.dat")).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0)
    lines << "normalize @five.dat @null.dat" << "decode @null.dat";
  else
    std::cout << "[ SKIPPED  ] the device node cases: mknod was refused here\n";
  for (const QString& line : lines) {
    const CliResult r = run(line);
    EXPECT_TRUE(r.exitCode == 2 && r.err.contains("not a regular file")) << line.toStdString() << ": " << r.err.constData();
  }
  struct stat st {};
  EXPECT_TRUE(::stat(QFile::encodeName(path("pipe.dat")).constData(), &st) == 0 && S_ISFIFO(st.st_mode));
  EXPECT_TRUE(lines.size() == 3 || (::stat(QFile::encodeName(path("null.dat")).constData(), &st) == 0 && S_ISCHR(st.st_mode)));
  EXPECT_FALSE(QFile::exists(path("out.dat")));
}

// Names as bytes that are not UTF-8 (a file named in Latin-1): under a C and a UTF-8
// locale the file is neither taken for a missing one nor written under another name.
TEST_F(K52Cli, NamesTheFileSystemEncodingCannotCarryAreRefused) {
  const QByteArray latin1 = QFile::encodeName(env.folder.path()) + "/caf\xE9.dat";
  QFile::copy(path("five.dat"), path("tmp"));
  ASSERT_EQ(::rename(QFile::encodeName(path("tmp")).constData(), latin1.constData()), 0);
  const QStringList before = QDir(env.folder.path()).entryList(QDir::Files);
  for (const char* locale : {"C", "C.UTF-8"}) {
    for (const char* line : {"decode $'caf\\xe9.dat'", "normalize five.dat $'out\\xe9.dat'"}) {
      const CliResult r = k52cli({}, env.folder.path(), QStringLiteral("exec \"$K52CLI\" --program-folder . ") + QLatin1String(line),
                                 QLatin1String(locale));
      EXPECT_TRUE(r.exitCode == 2 && r.err.contains("encoding")) << locale << " " << line << ": " << r.err.constData();
    }
  }
  EXPECT_EQ(QDir(env.folder.path()).entryList(QDir::Files), before) << "nothing written under any name";
  // Qt cannot name these to clear the folder away.
  ::unlink(latin1.constData());
  ::unlink((QFile::encodeName(env.folder.path()) + "/out\xE9.dat").constData());
}

// A small file system filled up: the output is written in full or not at all, and the exit
// says which.
TEST_F(K52Cli, OnAFullDiskTheOldFileStaysAndTheExitIsOne) {
  const QString disk = path("disk");
  QDir().mkpath(disk);
  if (::mount("tmpfs", QFile::encodeName(disk).constData(), "tmpfs", 0, "size=64k") != 0)
    GTEST_SKIP() << "no small file system to fill: mounting a 64 KB tmpfs was refused here (" << std::strerror(errno) << ")";
  struct Unmount {
    QByteArray at;
    ~Unmount() { ::umount2(at.constData(), MNT_DETACH); }
  } unmount{QFile::encodeName(disk)};
  const QByteArray old(0x2000, 'A');
  env.writeFile(QStringLiteral("disk/out.dat"), old);
  QFile filler(disk + QStringLiteral("/filler"));
  ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
  while (filler.write(QByteArray(4096, 'f')) == 4096) {
  }
  filler.close();
  env.installDeliveredFiles();
  startSim();
  for (const char* line : {"normalize @five.dat @disk/out.dat", "read --port @port @disk/out.dat"}) {
    const CliResult r = run(QLatin1String(line));
    EXPECT_TRUE(r.exitCode == 1 && r.err.contains(path("disk/out.dat").toUtf8())) << line << ": " << r.err.constData();
    EXPECT_EQ(env.readFile(QStringLiteral("disk/out.dat")), old) << line;
    EXPECT_EQ(QDir(disk).entryList(QDir::Files), (QStringList{"filler", "out.dat"})) << "no temporary file left";
  }
}

TEST_F(K52Cli, LangPicksTheSettingsLanguageBaseAndRunsLeaveTheProgramFolderAlone) {
  // Channel 3 erased: an empty channel shows the language's option defaults.
  QByteArray five = handWrittenImage();
  five.replace(rec(3), 4, QByteArray(4, char(0xFF)));
  env.writeFile(QStringLiteral("five.dat"), five);
  const std::tuple<const char*, int, const char*, int> cases[] = {
      {"--lang 1", 3, "[0,1,0]", 1}, {"", 4, "[0,1,0]", 2},  // the settings file's "Language" = 2
      {"--lang=3", 5, "[0,0,0]", 3}};
  for (const auto& [lang, channels, emptyOptions, entry17] : cases) {
    const CliResult r = run(QLatin1String(lang) + QStringLiteral(" decode @five.dat"));
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QJsonObject doc = r.json();
    EXPECT_EQ(doc[QStringLiteral("channels")].toArray().size(), channels);
    EXPECT_EQ(channel(doc, 1), QStringLiteral("14552500 14502500 1 51 [1,1,1] AB1Z_")) << "tone indexes stay the same";
    EXPECT_EQ(channel(doc, 3), QStringLiteral("-1 -1 0 0 %1 ").arg(QLatin1String(emptyOptions)));
    EXPECT_EQ(doc[QStringLiteral("options")].toArray()[16].toInt(), entry17);
  }

  // Delivered files without "FirRun": the program's next start would be its installation
  // pass, so the companion must not write the settings file.
  env.installDeliveredFiles();
  const QByteArray settings = env.readFile(QStringLiteral("minglyc.dll"));
  EXPECT_EQ(run(QStringLiteral("decode @five.dat")).exitCode, 0);
  EXPECT_EQ(run(QStringLiteral("--lang 1 normalize @five.dat @o.dat")).exitCode, 0);
  EXPECT_EQ(run(QStringLiteral("decode @missing.dat")).exitCode, 2);
  EXPECT_EQ(env.readFile(QStringLiteral("minglyc.dll")), settings);
  EXPECT_EQ(QDir(env.folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name),
            (QStringList{QStringLiteral("dhcpqec.dll"), QStringLiteral("five.dat"), QStringLiteral("minglyc.dll"), QStringLiteral("o.dat")}));
}

TEST_F(K52Cli, ReadPutsTheRadioIntoTheFileAndTheBackupFolder) {
  env.installDeliveredFiles();
  startSim();
  const CliResult r = run(QStringLiteral("read --port @port @out.dat"));
  ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
  EXPECT_EQ(env.readFile(QStringLiteral("out.dat")), memory);
  EXPECT_TRUE(r.err.contains("read 3 %") && r.err.contains("read 100 %")) << r.err.toStdString();
  ASSERT_EQ(backups().size(), 1);
  EXPECT_EQ(env.readFile(QStringLiteral("Backup/") + backups()[0]), memory);

  // A part of the memory, through a port number the settings file maps: the rest of the
  // file is the default image, as in a freshly started program.
  k52::IniFile(path("minglyc.dll")).write(QStringLiteral("Ports"), QStringLiteral("COM3"), sim.device);
  const CliResult part = run(QStringLiteral("read --port COM3 --start 0100 --end 10f @part.dat"));
  ASSERT_EQ(part.exitCode, 0) << part.err.toStdString();
  EXPECT_EQ(env.readFile(QStringLiteral("part.dat")), env.readFile(QStringLiteral("dhcpqec.dll")).replace(0x100, 16, memory.mid(0x100, 16)));
  EXPECT_EQ(backups().size(), 2);

  // A port named by a link in the working folder is that link, not /dev/radio.
  ASSERT_TRUE(QFile::link(sim.device, path("radio")));
  const CliResult linked = k52cli({"--program-folder", env.folder.path(), "read", "--port", "radio", "linked.dat"}, env.folder.path());
  ASSERT_EQ(linked.exitCode, 0) << linked.err.toStdString();
  EXPECT_EQ(env.readFile(QStringLiteral("linked.dat")), memory);

  // A read whose backup cannot be kept still gives the file, but says so and exits 1.
  QDir(path("Backup")).removeRecursively();
  env.writeFile(QStringLiteral("Backup"), "a file where the folder belongs");
  const CliResult unkept = run(QStringLiteral("read --port @port @unkept.dat"));
  EXPECT_EQ(unkept.exitCode, 1);
  EXPECT_EQ(env.readFile(QStringLiteral("unkept.dat")), memory);
  EXPECT_TRUE(unkept.err.contains(("出错点:  " + path("Backup")).toUtf8()) && unkept.err.contains("not kept in the backup folder"))
      << unkept.err.toStdString();
}

TEST_F(K52Cli, AFailedTransferExitsOneAndWritesNoFileBadInputExitsTwoBeforeAnythingIsSent) {
  startSim(QStringLiteral("--faults lost=1"));
  for (const char* line : {"--lang 3 read --port @port @out.dat", "--lang 3 write --port @port @five.dat"}) {
    const CliResult r = run(QLatin1String(line));
    EXPECT_EQ(r.exitCode, 1) << line;
    EXPECT_TRUE(r.err.contains("Communication failed,please check commuication port!")) << r.err.toStdString();
  }
  EXPECT_FALSE(QFile::exists(path("out.dat")));
  EXPECT_TRUE(backups().isEmpty());

  startSim();
  for (const char* line : {"read @out.dat",  // no --port
                           "read --port @port", "read --port @port --start XYZ @out.dat",
                           "read --port @port --start 0200 --end 0100 @out.dat", "read --port @port --end 2FFF @out.dat",
                           "read --port COM17 @out.dat", "read --port @no-such-tty @out.dat", "write --port @port @missing.dat",
                           "read --port @port @no-folder/out.dat", "read --port @port @five.dat/out.dat",
                           "decode --port @port @five.dat"}) {
    const CliResult r = run(QLatin1String(line));
    EXPECT_TRUE(r.exitCode == 2 && !r.err.isEmpty()) << line << "\n" << r.err.toStdString();
  }
  EXPECT_FALSE(QFile::exists(path("out.dat")));
  EXPECT_TRUE(sim.command("status").contains("frames=0")) << "nothing reached the radio";
}

TEST_F(K52Cli, ADatNumThatIsNoImageSizeDecodesTheWholeMemoryASmallOneIsRefused) {
  const CliResult reference = run(QStringLiteral("decode @five.dat"));
  ASSERT_EQ(reference.exitCode, 0);
  for (const char* datNum : {"lots", "-1", "99999"}) {
    env.writeSettings(settingsFile().replace(QStringLiteral("DatNum=8191"), QStringLiteral("DatNum=") + QLatin1String(datNum)));
    const CliResult r = run(QStringLiteral("decode @five.dat"));
    EXPECT_EQ(r.exitCode, 0) << datNum;
    EXPECT_EQ(r.json(), reference.json()) << datNum;
    EXPECT_EQ(r.err.count("[Setting] DatNum"), 1) << datNum << r.err.constData();
    ASSERT_EQ(run(QStringLiteral("normalize @five.dat @out.dat")).exitCode, 0);
    EXPECT_EQ(env.readFile(QStringLiteral("out.dat")).size(), 0x2000) << datNum;
  }
  // A number, but short of the memory: nothing is decoded or written.
  for (const char* line : {"DatNum=100", ""}) {
    env.writeSettings(settingsFile().replace(QStringLiteral("DatNum=8191"), QLatin1String(line)));
    env.writeFile(QStringLiteral("out.dat"), "mine");
    for (const char* command : {"decode @five.dat", "normalize @five.dat @out.dat"}) {
      const CliResult r = run(QLatin1String(command));
      EXPECT_TRUE(r.exitCode == 2 && r.out.isEmpty() && r.err.contains("DatNum")) << line << command << r.err.constData();
    }
    EXPECT_EQ(env.readFile(QStringLiteral("out.dat")), QByteArray("mine"));
  }
}
