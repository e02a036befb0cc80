// k52cli run as a user runs it: the built program, a program folder of its own, data files
// written byte by byte from the memory layout.

#include "support/testenv.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <initializer_list>

namespace {

struct CliResult {
  int exitCode = -1;
  QByteArray out, err;
  QJsonObject json() const { return QJsonDocument::fromJson(out).object(); }
};

CliResult k52cli(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral(K52_BIN_DIR "/k52cli"), args);
  CliResult r;
  if (!p.waitForFinished(60000)) {
    p.kill();
    ADD_FAILURE() << "k52cli did not finish";
    return r;
  }
  r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.out = p.readAllStandardOutput();
  r.err = p.readAllStandardError();
  return r;
}

// An erased 8 KB image with bytes set at the given addresses.
class Image {
 public:
  Image() : bytes_(0x2000, char(0xFF)) {}
  Image& set(int address, std::initializer_list<int> values) {
    for (int v : values) bytes_[address++] = char(v);
    return *this;
  }
  Image& band(int b0, int b1, int b2) { return set(0x0FF0, {b0, b1, b2}); }
  const QByteArray& bytes() const { return bytes_; }
  uint8_t at(int address) const { return uint8_t(bytes_[address]); }

 private:
  QByteArray bytes_;
};

int rec(int n) { return 16 * (n - 1); }
int ext(int n) { return 0x0C70 + 2 * (n - 1); }

// The "ChInfo" keys of one language: channel count, eight columns (RX, TX, two tones,
// three choice columns, name) with the given default of column 6.
QString chInfoKeys(int base, int channels, int col6Default) {
  const QStringList format{QStringLiteral("^No."), QStringLiteral("^RX"), QStringLiteral("^TX"),
                           QStringLiteral("^Dec"), QStringLiteral("^Enc"), QStringLiteral("^W/N"),
                           QStringLiteral("^Scan"), QStringLiteral("^Power"), QStringLiteral("^Name")};
  const QList<QStringList> items{
      {"RxFre", "0", "43000000"},  {"TxFre", "0", "43000000"}, {"CtcssDcsDec", "0", "0"},
      {"CtcssDcsEnc", "0", "0"},   {"W|N", "2", "0", "W", "N"},
      {"No|Yes", "2", QString::number(col6Default), "No", "Yes"},
      {"H|M|L", "3", "0", "H", "M", "L"}, {"CHNAME", "0", "0"}};
  QString s;
  s += QStringLiteral("%1=%2\n%3=300\n%4=8\n%5=%6\n").arg(base).arg(channels).arg(base + 1).arg(base + 2).arg(base + 3).arg(format.join(QLatin1Char('|')));
  for (int c = 1; c <= 8; ++c) {
    QStringList it = items[c - 1];
    it << QStringLiteral("*EndOfThisItem*");
    for (int j = 0; j < it.size(); ++j) s += QStringLiteral("%1=%2\n").arg(base + 200 + 50 * (c - 1) + j).arg(it[j]);
  }
  return s;
}

// A small settings file: language 2 by default, and per language base its own channel
// count, column-6 default and option defaults, so the base in use shows in the output.
QString settingsFile() {
  QString s = QStringLiteral("[Setting]\nLanguage=2\nDatNum=8191\nCtcDcsMax=260\n\n[ChInfo]\n");
  s += chInfoKeys(1000, 3, 1) + chInfoKeys(2000, 4, 1) + chInfoKeys(3000, 5, 0);
  s += QStringLiteral("\n[Option]\n0=20\n");
  for (int lang = 1; lang <= 3; ++lang) {
    const int b = 1000 * lang;
    for (int i = 1; i <= 20; ++i) {
      // Entry 17 has no place in the image: it shows the default of the language. The
      // stored selections (9) are what the last reset wrote; opening a file starts from
      // the defaults instead.
      const int def = i == 17 ? lang : i == 2 ? 4 : 0;
      s += QStringLiteral("%1=%2\n%3=9\n").arg(b + i).arg(def).arg(b + 500 + i);
    }
  }
  return s;
}

// Five channels and some options, written out from the memory layout. Band 136 - 174 MHz.
Image handWrittenImage() {
  Image img;
  img.band(0x13, 0x17, 0x64);
  // 1: RX 145.525, TX 145.025, decode 67.0 Hz, encode D023N, flags 0x2A, name "AB1Z_".
  img.set(rec(1), {0x00, 0x25, 0x55, 0x14, 0x00, 0x25, 0x50, 0x14, 0x70, 0x06, 0x23, 0x80, 0x2A, 10, 11, 1});
  img.set(ext(1), {35, 44});
  // 2: RX 173.995 (the band's last frequency), no TX, no tones, flags 0x04, erased name.
  img.set(rec(2), {0x00, 0x95, 0x39, 0x17}).set(rec(2) + 12, {0x04});
  // 3: RX 400 MHz, outside the band: an empty channel whatever its name bytes hold.
  img.set(rec(3), {0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x40, 0x70, 0x06, 0x70, 0x06, 0xFA, 12, 13, 14});
  // 4: RX 1A..: passes the range test but is no decimal number: an empty channel.
  img.set(rec(4), {0x00, 0x00, 0x50, 0x1A});
  // 5: RX 136.000 (the band's first), TX zero (none), decode 69.0 Hz (not in the list),
  //    encode D754I, both bits of the three-state option, name "A.B  " shown as "A".
  img.set(rec(5), {0x00, 0x00, 0x60, 0x13, 0x00, 0x00, 0x00, 0x00, 0x90, 0x06, 0x54, 0xC7, 0x06, 10, 0xFF, 11});
  img.set(ext(5), {36, 36});
  // Options: work mode 3 (-> 1), voice 0x12 (-> 2), squelch 0x0A (above 9 -> default),
  // time-out 3, VOX level 0x0C (-> 8), power-on message "K52  ", FM station 1 87.5 MHz.
  img.set(0x0E10, {0x03, 0x00, 0x12, 0x0A, 0x03, 0x0C, 0x02});
  img.set(0x0E1B, {20, 5, 2, 36, 36});
  img.set(0x0E60, {0x00, 0x00, 0x75, 0x08});
  img.set(0x0EC4, {0x00, 0x00, 0x00, 0x00});
  // Firmware version and date, and something at the top: carried through untouched.
  img.set(0x0F98, {0x10, 0xF6, 0x15});
  img.set(0x1FF0, {0x12, 0x34});
  return img;
}

class K52Cli : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QFile::exists(QStringLiteral(K52_BIN_DIR "/k52cli")));
    env.writeSettings(settingsFile());
    env.writeFile(QStringLiteral("dhcpqec.dll"), Image().bytes());
  }
  QString path(const QString& name) const { return env.path(name); }
  QString write(const QString& name, const QByteArray& data) const {
    env.writeFile(name, data);
    return path(name);
  }
  CliResult run(QStringList args) const {
    args << QStringLiteral("--program-folder") << env.folder.path();
    return k52cli(args);
  }
  k52::test::TestEnv env;
};

QJsonObject channel(const QJsonObject& doc, int n) { return doc[QStringLiteral("channels")].toArray()[n - 1].toObject(); }

void expectChannel(const QJsonObject& doc, int n, int rx, int tx, int dec, int enc, std::initializer_list<int> opts,
                   const char* name) {
  SCOPED_TRACE(n);
  const QJsonObject c = channel(doc, n);
  EXPECT_EQ(c[QStringLiteral("n")].toInt(), n);
  EXPECT_EQ(c[QStringLiteral("rx")].toInt(), rx);
  EXPECT_EQ(c[QStringLiteral("tx")].toInt(), tx);
  EXPECT_EQ(c[QStringLiteral("decode")].toInt(), dec);
  EXPECT_EQ(c[QStringLiteral("encode")].toInt(), enc);
  QJsonArray expected;
  for (int o : opts) expected.append(o);
  EXPECT_EQ(c[QStringLiteral("options")].toArray(), expected);
  EXPECT_EQ(c[QStringLiteral("name")].toString(), QString::fromLatin1(name));
}

void expectBand(const QJsonObject& doc, int index, int lower, int upper) {
  const QJsonObject b = doc[QStringLiteral("band")].toObject();
  EXPECT_EQ(b[QStringLiteral("index")].toInt(), index);
  EXPECT_EQ(b[QStringLiteral("lower")].toInt(), lower);
  EXPECT_EQ(b[QStringLiteral("upper")].toInt(), upper);
}

}  // namespace

TEST_F(K52Cli, DecodeOfTheDefaultImageShowsEveryChannelEmptyOnTheDefaultBand) {
  env.installDeliveredFiles();
  const QString file = write(QStringLiteral("default.dat"), env.readFile(QStringLiteral("dhcpqec.dll")));
  const CliResult r = run({QStringLiteral("decode"), file});
  ASSERT_EQ(r.exitCode, 0) << r.err.constData();
  EXPECT_TRUE(r.err.isEmpty()) << r.err.constData();
  const QJsonObject doc = r.json();
  expectBand(doc, 5, 40000000, 46999500);
  const QJsonArray channels = doc[QStringLiteral("channels")].toArray();
  ASSERT_EQ(channels.size(), 199);
  for (int n = 1; n <= 199; ++n) {
    const QJsonObject c = channels[n - 1].toObject();
    ASSERT_EQ(c[QStringLiteral("n")].toInt(), n);
    ASSERT_EQ(c[QStringLiteral("rx")].toInt(), -1) << n;
    ASSERT_EQ(c[QStringLiteral("name")].toString(), QString()) << n;
  }
  const QJsonArray options = doc[QStringLiteral("options")].toArray();
  ASSERT_EQ(options.size(), 100);
  // The power-on message of an unprogrammed radio reads back as its codes.
  const QByteArray img = env.readFile(QStringLiteral("dhcpqec.dll"));
  for (int i = 0; i < 5; ++i) EXPECT_EQ(options[49 + i].toInt(), uint8_t(img[0x0E1B + i]));
}

TEST_F(K52Cli, DecodeOfHandWrittenChannelsAndOptions) {
  const CliResult r = run({QStringLiteral("--lang"), QStringLiteral("3"), QStringLiteral("decode"),
                     write(QStringLiteral("five.dat"), handWrittenImage().bytes())});
  ASSERT_EQ(r.exitCode, 0) << r.err.constData();
  const QJsonObject doc = r.json();
  expectBand(doc, 0, 13600000, 17399500);
  ASSERT_EQ(doc[QStringLiteral("channels")].toArray().size(), 5);
  expectChannel(doc, 1, 14552500, 14502500, 1, 51, {1, 1, 1}, "AB1Z_");
  expectChannel(doc, 2, 17399500, -1, 0, 0, {0, 0, 2}, "");
  expectChannel(doc, 3, -1, -1, 0, 0, {0, 0, 0}, "");
  expectChannel(doc, 4, -1, -1, 0, 0, {0, 0, 0}, "");
  expectChannel(doc, 5, 13600000, -1, 0, 260, {0, 0, 0}, "A");

  const QJsonArray o = doc[QStringLiteral("options")].toArray();
  ASSERT_EQ(o.size(), 100);
  EXPECT_EQ(o[0].toInt(), 3);    // time-out timer
  EXPECT_EQ(o[1].toInt(), 4);    // squelch 0x0A: the default instead
  EXPECT_EQ(o[2].toInt(), 0);    // beep bit clear
  EXPECT_EQ(o[5].toInt(), 1);    // work mode bits 11
  EXPECT_EQ(o[8].toInt(), 2);    // voice 0x12
  EXPECT_EQ(o[13].toInt(), 8);   // VOX level 0x0C
  EXPECT_EQ(o[14].toInt(), 2);   // VOX delay
  EXPECT_EQ(o[16].toInt(), 3);   // not in the image: the English default
  EXPECT_EQ(o[23].toInt(), 875); // FM station 1
  EXPECT_EQ(o[24].toInt(), 0);   // FM station 2 erased
  const int message[] = {20, 5, 2, 36, 36};  // "K52  "
  for (int i = 0; i < 5; ++i) EXPECT_EQ(o[49 + i].toInt(), message[i]);
}

TEST_F(K52Cli, UnknownBandBytesAreTakenAsTheWideBandBeforeTheChannelsAreDecoded) {
  Image img;
  img.band(0x13, 0x17, 0x65);  // 136 - 175 MHz: no such band
  img.set(rec(1), {0x00, 0x50, 0x12, 0x12});  // 121.25 MHz: only inside 120 - 520
  const CliResult r = run({QStringLiteral("decode"), write(QStringLiteral("odd.dat"), img.bytes())});
  ASSERT_EQ(r.exitCode, 0) << r.err.constData();
  expectBand(r.json(), 10, 12000000, 51999500);
  EXPECT_EQ(channel(r.json(), 1)[QStringLiteral("rx")].toInt(), 12125000);

  // Saved again, the band record says 120 - 520 MHz.
  const QString out = path(QStringLiteral("odd-out.dat"));
  ASSERT_EQ(run({QStringLiteral("normalize"), path(QStringLiteral("odd.dat")), out}).exitCode, 0);
  QFile f(out);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll().mid(0x0FF0, 3), QByteArray("\x12\x52\x00", 3));
}

TEST_F(K52Cli, NormalizeSavesWhatTheEncoderMakesOfTheFileAndNothingElse) {
  const Image in = handWrittenImage();
  QByteArray longer = in.bytes() + QByteArray(100, 'x');  // a longer file: its first 8 KB
  const QString inPath = write(QStringLiteral("in.dat"), longer);
  const QString once = path(QStringLiteral("once.dat"));
  const CliResult r = run({QStringLiteral("--lang"), QStringLiteral("3"), QStringLiteral("normalize"), inPath, once});
  ASSERT_EQ(r.exitCode, 0) << r.err.constData();
  EXPECT_TRUE(r.out.isEmpty());
  QFile f(once);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray out = f.readAll();
  ASSERT_EQ(out.size(), 0x2000);
  auto at = [&](int a) { return uint8_t(out[a]); };

  EXPECT_EQ(out.mid(0x0EC4, 4), QByteArray(4, char(0xFF)));
  // A valid channel comes back byte for byte, its name extension too.
  EXPECT_EQ(out.mid(rec(1), 16), in.bytes().mid(rec(1), 16));
  EXPECT_EQ(out.mid(ext(1), 2), in.bytes().mid(ext(1), 2));
  // The empty channels: frequencies, tones and names erased, options at the column defaults.
  for (int n : {3, 4}) {
    SCOPED_TRACE(n);
    EXPECT_EQ(out.mid(rec(n), 12), QByteArray(12, char(0xFF)));
    EXPECT_EQ(out.mid(rec(n) + 13, 3), QByteArray(3, char(0xFF)));
  }
  EXPECT_EQ(at(rec(3) + 12), 0xD0);  // 0xFA: bits 0, 4, 6, 7 kept; options 0, 0, 0
  EXPECT_EQ(at(rec(4) + 12), 0xD1);  // 0xFF likewise
  // Channel 5: zero TX and an unknown tone are written back as none; the stored name codes stay.
  EXPECT_EQ(out.mid(rec(5) + 4, 6), QByteArray(6, char(0xFF)));
  EXPECT_EQ(out.mid(rec(5) + 10, 6), in.bytes().mid(rec(5) + 10, 2) + QByteArray("\x00\x0A\xFF\x0B", 4));
  // Options: work mode 3 is saved as 1, the squelch as its default.
  EXPECT_EQ(at(0x0E10) & 0x03, 0x01);
  EXPECT_EQ(at(0x0E13), 4);
  EXPECT_EQ(at(0x0E15), 8);
  // Band, firmware and the rest of the memory are carried through.
  EXPECT_EQ(out.mid(0x0FF0, 3), QByteArray("\x13\x17\x64", 3));
  EXPECT_EQ(out.mid(0x0F92, 0x2000 - 0x0F92), in.bytes().mid(0x0F92, 0x2000 - 0x0F92));
  // Channels beyond the table (5 here) are not touched.
  EXPECT_EQ(out.mid(rec(6), 0x0C70 - rec(6)), in.bytes().mid(rec(6), 0x0C70 - rec(6)));

  // What normalize wrote is normal: a second pass reproduces it byte for byte.
  const QString twice = path(QStringLiteral("twice.dat"));
  ASSERT_EQ(run({QStringLiteral("--lang"), QStringLiteral("3"), QStringLiteral("normalize"), once, twice}).exitCode, 0);
  QFile g(twice);
  ASSERT_TRUE(g.open(QIODevice::ReadOnly));
  EXPECT_EQ(g.readAll(), out);
}

TEST_F(K52Cli, BadInputIsNamedOnOneLineWithStatusTwoAndNothingWritten) {
  const QString shortFile = write(QStringLiteral("short.dat"), QByteArray(0x1FFF, char(0xFF)));
  QDir(env.folder.path()).mkdir(QStringLiteral("folder.dat"));
  const QString out = path(QStringLiteral("out.dat"));
  for (const QString& in : {path(QStringLiteral("missing.dat")), shortFile, path(QStringLiteral("folder.dat"))}) {
    for (const QString& command : {QStringLiteral("decode"), QStringLiteral("normalize")}) {
      SCOPED_TRACE(qPrintable(command + QLatin1Char(' ') + in));
      QStringList args{command, in};
      if (command == QLatin1String("normalize")) args << out;
      const CliResult r = run(args);
      EXPECT_EQ(r.exitCode, 2);
      EXPECT_TRUE(r.out.isEmpty());
      EXPECT_EQ(r.err.count('\n'), 1) << r.err.constData();
      EXPECT_TRUE(r.err.contains(in.toUtf8())) << r.err.constData();
      EXPECT_FALSE(QFile::exists(out));
    }
  }
  // Wrong usage: the usage text, status 2.
  for (const QStringList& args : {QStringList{}, QStringList{QStringLiteral("decode")},
                                  QStringList{QStringLiteral("print"), shortFile},
                                  QStringList{QStringLiteral("--lang"), QStringLiteral("4"), QStringLiteral("decode"), shortFile},
                                  QStringList{QStringLiteral("normalize"), shortFile}}) {
    SCOPED_TRACE(qPrintable(args.join(QLatin1Char(' '))));
    const CliResult r = run(args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.contains("usage: k52cli")) << r.err.constData();
    EXPECT_TRUE(r.out.isEmpty());
  }
  // A program folder without a settings file is bad input too.
  const CliResult r = k52cli({QStringLiteral("decode"), shortFile, QStringLiteral("--program-folder"), path(QStringLiteral("folder.dat"))});
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(r.err.contains("minglyc.dll")) << r.err.constData();
}

TEST_F(K52Cli, LangPicksTheSettingsLanguageBaseAndToneIndexesStayTheSame) {
  const QString file = write(QStringLiteral("five.dat"), handWrittenImage().bytes());
  struct Case {
    QStringList lang;
    int channels, col6Default, entry17;
  };
  const Case cases[] = {{{QStringLiteral("--lang"), QStringLiteral("1")}, 3, 1, 1},
                        {{}, 4, 1, 2},  // the settings file's "Language" = 2
                        {{QStringLiteral("--lang=3")}, 5, 0, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.channels);
    const CliResult r = run(c.lang + QStringList{QStringLiteral("decode"), file});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QJsonObject doc = r.json();
    EXPECT_EQ(doc[QStringLiteral("channels")].toArray().size(), c.channels);
    expectChannel(doc, 1, 14552500, 14502500, 1, 51, {1, 1, 1}, "AB1Z_");
    expectChannel(doc, 3, -1, -1, 0, 0, {0, c.col6Default, 0}, "");
    EXPECT_EQ(doc[QStringLiteral("options")].toArray()[16].toInt(), c.entry17);
  }
}

TEST_F(K52Cli, RunsLeaveTheSettingsFileAndTheProgramFolderAlone) {
  env.installDeliveredFiles();  // no "FirRun": the program's next start would be its installation pass
  const QByteArray settings = env.readFile(QStringLiteral("minglyc.dll"));
  const QString in = write(QStringLiteral("in.dat"), handWrittenImage().bytes());
  EXPECT_EQ(run({QStringLiteral("decode"), in}).exitCode, 0);
  EXPECT_EQ(run({QStringLiteral("--lang"), QStringLiteral("1"), QStringLiteral("normalize"), in, path(QStringLiteral("o.dat"))}).exitCode, 0);
  EXPECT_EQ(run({QStringLiteral("decode"), path(QStringLiteral("missing.dat"))}).exitCode, 2);
  EXPECT_EQ(env.readFile(QStringLiteral("minglyc.dll")), settings);
  QStringList entries = QDir(env.folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
  entries.sort();
  EXPECT_EQ(entries, (QStringList{QStringLiteral("dhcpqec.dll"), QStringLiteral("in.dat"), QStringLiteral("minglyc.dll"),
                                  QStringLiteral("o.dat")}));
}
