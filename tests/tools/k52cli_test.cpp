// k52cli as a user runs it, in a program folder of its own, reading and writing k52sim --fast:
// its output, exit status, the files it writes and the ones it leaves alone.

#include "support/testenv.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QRegularExpression>
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
  env.writeFile(QStringLiteral("bad.csv"), "Location,Frequency\n1,145.5\n9,145.5\n");
  env.writeFile(QStringLiteral("nolist.csv"), "a,b\n1,2\n");
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
      {"read --port @port one.dat/out.dat", "one.dat"}, {"decode --port @port one.dat", "usage"},
      {"export missing.dat out.csv", "missing.dat"}, {"export one.dat folder.dat", "folder.dat"},
      {"import bad.csv one.dat", "usage"}, {"decode --skip-bad one.dat", "usage"},
      {"import missing.csv one.dat out.dat", "missing.csv"}, {"import bad.csv one.dat no-folder/out.dat", "no-folder"},
      {"--lang 3 import nolist.csv one.dat out.dat", "no Frequency column"},
      {"--lang 3 import bad.csv one.dat out.dat", "Line 3, channel 9, not imported: channel number past the last channel"},
      {"batch-write one.dat", "--ports"}, {"batch-write --ports @port missing.dat", "missing.dat"},
      {"batch-write --ports @port,no-such-tty one.dat", "no-such-tty: no such device"},
      {"batch-write --ports @port,@port one.dat", "named twice"}, {"write --port @port --verify one.dat", "--verify"},
      {"batch-write --ports @port --log no-folder/units.csv one.dat", "no-folder"}};
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

// diff over pairs that differ in one kind of field each: what differs, named by its field,
// and nothing else; a difference the codecs do not decode by its bytes (an unused flag bit
// too); the programming date apart and no difference.
TEST_F(K52Cli, DiffNamesEveryKindOfDifferenceByItsField) {
  struct Case {
    int at;
    const char* bytes;
    QJsonArray expected;
  };
  auto d = [](const char* where, const char* field, const char* a, const char* b) {
    return QJsonObject{{"where", where}, {"field", field}, {"a", a}, {"b", b}};
  };
  const Case cases[] = {
      {0x0000, "00255514", {}},
      {0x0000, "00256514", {d("channel 1", "rx", "145.52500", "146.52500")}},
      {0x0004, "FFFFFFFF", {d("channel 1", "tx", "145.02500", "none")}},
      {0x0008, "FFFF", {d("channel 1", "decode tone", "67.0", "none")}},
      {0x000A, "FFFF", {d("channel 1", "encode tone", "D023N", "none")}},
      {0x000C, "0A", {d("channel 1", "bandwidth", "narrow", "wide")}},
      {0x000C, "22", {d("channel 1", "scan add", "on", "off")}},
      {0x000C, "2C", {d("channel 1", "power", "middle", "low")}},
      {0x000C, "2B", {d("bytes 000C", "bytes", "2A", "2B")}},
      {0x0C70, "2323", {d("channel 1", "name", "AB1Z_", "AB1ZZ")}},
      {0x0E13, "05", {d("option Sql", "value", "0", "5")}},
      {0x0E12, "FE", {d("option Beep", "value", "1", "0")}},
      {0x0E68, "00008508", {d("fm 3", "frequency", "empty", "88.5")}},
      {0x0FF0, "404700", {d("band", "lower", "136.00000", "400.00000"), d("band", "upper", "173.99500", "469.99500")}},
      {0x1000, "010203", {d("bytes 1000-1002", "bytes", "FF FF FF", "01 02 03")}},
      {0x0F92, "1A0C07", {}},
  };
  for (const Case& c : cases) {
    env.writeFile(QStringLiteral("b.dat"), oneChannelImage().replace(c.at, int(strlen(c.bytes) / 2), QByteArray::fromHex(c.bytes)));
    const CliResult r = run(QStringLiteral("diff --json one.dat b.dat"));
    EXPECT_EQ(r.exitCode, c.expected.isEmpty() ? 0 : 1) << c.bytes << r.err.constData();
    EXPECT_EQ(QJsonDocument::fromJson(r.out).array(), c.expected) << c.bytes << r.out.constData();
  }
  EXPECT_TRUE(run(QStringLiteral("diff one.dat b.dat")).err.contains("programming date (set by every write, not a difference): FF FF FF -> 2026-12-07"));
  env.writeFile(QStringLiteral("b.dat"), oneChannelImage().replace(0x0004, 4, QByteArray::fromHex("FFFFFFFF")));
  const CliResult words = run(QStringLiteral("diff one.dat b.dat"));
  EXPECT_TRUE(words.exitCode == 1 && words.out == "channel 1: tx: 145.02500 -> none\n") << words.out.constData();
  for (const char* line : {"diff one.dat missing.dat", "diff one.dat", "decode --json one.dat"})
    EXPECT_EQ(run(QLatin1String(line)).exitCode, 2) << line;
}

// verify: the radio just written equals the file; a byte changed in the radio's memory is
// reported by its field, a changed programming date is not.
TEST_F(K52Cli, VerifyComparesTheRadioWithTheFileAsWritten) {
  startSim();
  ASSERT_EQ(run(QStringLiteral("write --port @port one.dat")).exitCode, 0);
  const CliResult same = run(QStringLiteral("verify --port @port one.dat"));
  EXPECT_TRUE(same.exitCode == 0 && same.out.isEmpty()) << same.out.constData() << same.err.constData();
  const std::tuple<int, char, int, const char*> cases[] = {
      {0x0F92, char(0x01), 0, ""}, {0x0001, char(0x26), 1, "channel 1: rx: 145.52500 -> 145.52600\n"}};
  for (const auto& [at, value, status, said] : cases) {
    QByteArray radio = sim.dump();
    ASSERT_EQ(radio.size(), 0x2000);
    radio[at] = value;
    env.writeFile(QStringLiteral("changed.bin"), radio);
    ASSERT_TRUE(sim.command(("load " + path("changed.bin")).toUtf8().constData()).startsWith("loaded"));
    const CliResult r = run(QStringLiteral("verify --port @port one.dat"));
    EXPECT_TRUE(r.exitCode == status && r.out == said) << r.out.constData() << r.err.constData();
  }
  EXPECT_EQ(run(QStringLiteral("verify --port @port missing.dat")).exitCode, 2);
}

// batch-write programs four radios at once, each on its own: two take the image, one loses
// seven replies in a row to its first block, one has a byte that does not take (found by the
// read-back, named by its field). A line per unit, a log row per unit; the radios that passed
// hold what a plain write sends. Started again on the good radios, every unit passes.
TEST_F(K52Cli, BatchWriteProgramsFourRadiosAtOnceAndLogsEachUnit) {
  k52::test::Sim sims[4];
  const QString extra[4] = {{}, QStringLiteral("--ident 0102030405060708"),
                            QStringLiteral("--fault-at 4:lost,5:lost,6:lost,7:lost,8:lost,9:lost,10:lost"),
                            QStringLiteral("--stuck 0001:26")};
  QStringList ports;
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(sims[i].start(QStringList{QStringLiteral("--fast")} + extra[i].split(QLatin1Char(' '), Qt::SkipEmptyParts)));
    ports << sims[i].device;
  }
  const CliResult r = run(QStringLiteral("batch-write --ports %1 --verify --log units.csv one.dat").arg(ports.join(QLatin1Char(','))));
  EXPECT_EQ(r.exitCode, 1) << r.err.toStdString();
  const char* said[4] = {" passed ", " passed ", " failed ", " failed "};
  const char* reason[4] = {"", "", "script 2 failed seven times (address 0000)", "verify: channel 1 rx written 145.52500, read 145.52600"};
  const QList<QByteArray> lines = r.out.trimmed().split('\n');
  const QStringList rows = QString::fromUtf8(env.readFile(QStringLiteral("units.csv"))).split(QStringLiteral("\r\n"));
  ASSERT_EQ(lines.size(), 4) << r.out.toStdString();
  ASSERT_EQ(rows.size(), 6) << "the header, four rows, the last line end";
  EXPECT_EQ(rows[0], QStringLiteral("date_time,port,device_serial,model_firmware,image_sha256,result,duration_s,reason"));
  const QRegularExpression iso(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d([+-]\\d\\d:\\d\\d|Z)$"));
  const QByteArray written = sims[0].dump();
  const QString sha = QString::fromLatin1(QCryptographicHash::hash(written, QCryptographicHash::Sha256).toHex());
  for (int i = 0; i < 4; ++i) {
    const auto line = std::find_if(lines.begin(), lines.end(), [&](const QByteArray& l) { return l.startsWith(ports[i].toUtf8() + ' '); });
    ASSERT_NE(line, lines.end()) << ports[i].toStdString();
    EXPECT_TRUE(line->contains(said[i]) && line->endsWith(reason[i])) << line->constData();
    const auto row = std::find_if(rows.begin(), rows.end(), [&](const QString& l) { return l.contains(QLatin1Char(',') + ports[i] + QLatin1Char(',')); });
    ASSERT_NE(row, rows.end());
    const QStringList f = row->split(QLatin1Char(','));
    EXPECT_TRUE(iso.match(f[0]).hasMatch()) << f[0].toStdString();
    EXPECT_EQ(f[3], i == 1 ? QStringLiteral("0102030405060708") : QStringLiteral("4B353253494D0100")) << "model and firmware";
    EXPECT_EQ(f[4], sha);
    EXPECT_EQ(f[5], QString::fromLatin1(said[i]).trimmed());
    const QString because = QLatin1String(reason[i]);
    EXPECT_EQ(row->section(QLatin1Char(','), 7), because.contains(QLatin1Char(',')) ? QLatin1Char('"') + because + QLatin1Char('"') : because);
  }
  EXPECT_EQ(sims[1].dump(), written);
  EXPECT_EQ(written.left(16), oneChannelImage().left(16));
  sim.device = ports[0];
  EXPECT_EQ(run(QStringLiteral("verify --port @port one.dat")).exitCode, 0) << "the radio holds what a write sends";
  const CliResult again = run(QStringLiteral("batch-write --ports %1,%2 one.dat").arg(ports[0], ports[1]));
  EXPECT_TRUE(again.exitCode == 0 && again.out.count(" passed ") == 2) << again.out.constData() << again.err.constData();
}

// export writes the channels as the grid shows them (the power names of the settings file);
// import puts a CSV file's channels over a base file's and keeps the rest of it, names on
// standard error what it took changed, and with --skip-bad leaves out what it cannot take.
TEST_F(K52Cli, ExportAndImportCsvChannelLists) {
  const CliResult e = run(QStringLiteral("export one.dat out.csv"));
  ASSERT_EQ(e.exitCode, 0) << e.err.toStdString();
  EXPECT_EQ(env.readFile(QStringLiteral("out.csv")),
            "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,RxDtcsCode,CrossMode,"
            "Mode,TStep,Skip,Power,Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE\r\n"
            "1,AB1Z_,145.525000,-,0.500000,Cross,88.5,67.0,023,NN,023,DTCS->Tone,NFM,5.00,,Mid,,,,,\r\n");
  env.writeFile(QStringLiteral("plan.csv"), "Location,Frequency,Name,Power,Tone,rToneFreq\n2,146.0125,x?,low,Tone,88.5\n3,146.001,,,,\n");
  const CliResult skip = run(QStringLiteral("--lang 3 import --skip-bad plan.csv one.dat out.dat"));
  ASSERT_EQ(skip.exitCode, 0) << skip.err.toStdString();
  EXPECT_TRUE(skip.err.contains("Line 2, channel 2, imported changed: name characters the radio cannot show were left out: \"?\"") &&
              skip.err.contains("Line 3, channel 3, not imported: frequency off the 5 kHz and 12.5 kHz rasters: \"146.001000\""))
      << skip.err.toStdString();
  const QByteArray out = env.readFile(QStringLiteral("out.dat"));
  EXPECT_TRUE(out.mid(0x0FF0, 3) == oneChannelImage().mid(0x0FF0, 3) && out.right(16) == oneChannelImage().right(16))
      << "the rest is the base file's";
  const QJsonArray list = run(QStringLiteral("decode out.dat")).json()[QStringLiteral("channels")].toArray();
  EXPECT_EQ(list[0].toObject()[QStringLiteral("rx")], -1) << "a channel the file does not name is empty";
  EXPECT_EQ(list[1].toObject(), (QJsonObject{{"n", 2}, {"rx", 14601250}, {"tx", 14601250}, {"decode", 0}, {"encode", 9},
                                             {"options", QJsonArray{0, 1, 2}}, {"name", "X"}}));
  EXPECT_EQ(list[2].toObject()[QStringLiteral("rx")], -1);
}
